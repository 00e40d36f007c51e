#pragma once
// Reference counting on both sides of the library boundary: TComPtr owns one reference to an
// interface (the library's objects or ours), TComObject implements IUnknown for our own callback
// and stream objects, which the library may keep and release after we let go of them.
#include <atomic>
#include <tuple>
#include <type_traits>
#include <utility>

#include "compress/sevenzip/SevenZipAbi.h"

template <class T>
class TComPtr {
 public:
  TComPtr() = default;
  // Takes a new reference.
  explicit TComPtr(T* p) : p_(p) {
    if (p_) p_->AddRef();
  }
  TComPtr(const TComPtr& other) : TComPtr(other.p_) {}
  TComPtr(TComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  TComPtr& operator=(TComPtr other) noexcept {
    std::swap(p_, other.p_);
    return *this;
  }
  ~TComPtr() { Reset(); }

  void Reset() {
    if (T* p = std::exchange(p_, nullptr)) p->Release();
  }
  // For an out parameter that hands over a reference already counted for us.
  void** Receive() {
    Reset();
    return reinterpret_cast<void**>(&p_);
  }
  T** ReceiveTyped() {
    Reset();
    return &p_;
  }
  // Hands our reference to an out parameter of the library.
  T* Detach() { return std::exchange(p_, nullptr); }

  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  T* p_ = nullptr;
};

namespace comdetail {

template <class I, class = void>
struct HasBase : std::false_type {};
template <class I>
struct HasBase<I, std::void_t<typename I::Base>> : std::true_type {};

template <class I>
bool Implements(const z7::GUID& iid) {
  if (iid == I::kIid) return true;
  if constexpr (HasBase<I>::value) return Implements<typename I::Base>(iid);
  return false;
}

}  // namespace comdetail

// Our objects start with no reference; the first TComPtr takes one, and the last Release
// deletes the object. The count is atomic because the library reports progress from its threads.
template <class... Interfaces>
class TComObject : public Interfaces... {
 public:
  TComObject() = default;
  TComObject(const TComObject&) = delete;
  TComObject& operator=(const TComObject&) = delete;

  z7::HRESULT QueryInterface(const z7::GUID& iid, void** out) noexcept override {
    if (!out) return z7::kPointer;
    *out = nullptr;
    if (iid == z7::kIUnknownId) {
      *out = static_cast<FirstInterface*>(this);
    } else {
      ((!*out && comdetail::Implements<Interfaces>(iid) ? (*out = static_cast<Interfaces*>(this)) : nullptr),
       ...);
    }
    if (!*out) return z7::kNoInterface;
    AddRef();
    return z7::kOk;
  }
  z7::ULONG AddRef() noexcept override { return ++refs_; }
  z7::ULONG Release() noexcept override {
    const z7::ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

 protected:
  virtual ~TComObject() = default;

 private:
  using FirstInterface = std::tuple_element_t<0, std::tuple<Interfaces...>>;
  std::atomic<z7::ULONG> refs_{0};
};
