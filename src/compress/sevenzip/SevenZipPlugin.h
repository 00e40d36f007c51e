#pragma once
// T7zPlugin: one loaded copy of the 7-Zip library. It is loaded by full path when constructed
// and unloaded when destroyed, so every object it created must be released before it goes.
// Workers each load their own (the loader counts the loads of the one file) and create their own
// objects for each operation: no object of the library is shared between threads.
#include <QString>

#include <ctime>
#include <memory>
#include <optional>

#include "compress/sevenzip/ComObject.h"
#include "compress/sevenzip/SevenZipAbi.h"

class T7zPlugin {
 public:
  // Throws E7zLoadError: "Error loading library %s", "%s is not a 7z library",
  // "%s is not a Format library".
  explicit T7zPlugin(const QString& libraryPath);
  T7zPlugin(const T7zPlugin&) = delete;
  T7zPlugin& operator=(const T7zPlugin&) = delete;

  // A new object of the 7z format handler with the interface I.
  template <class I>
  z7::HRESULT CreateObject(TComPtr<I>& out) const {
    return createObject_(&classId_, &I::kIid, out.Receive());
  }
  void SetClassId(const z7::GUID& classId) { classId_ = classId; }

  // Strings cross the boundary only as the library's own BSTRs, in the library's UTF-16 form.
  z7::BSTR AllocString(const QString& text) const;
  void FreeString(z7::BSTR text) const;
  void ClearVariant(z7::PROPVARIANT& value) const;

  // GetHandlerProperty(kName): "7z" for the 7z library.
  QString HandlerName() const;
  // GetModuleProp(kVersion) as "major.minor.0.0"; kUnknownVersion when the library cannot tell.
  QString ModuleVersion() const;

 private:
  struct LibraryCloser {
    void operator()(void* handle) const;
  };
  std::unique_ptr<void, LibraryCloser> library_;
  z7::CreateObjectFunc createObject_ = nullptr;
  z7::GetHandlerPropertyFunc getHandlerProperty_ = nullptr;
  z7::GetModulePropFunc getModuleProp_ = nullptr;  // optional: older libraries lack it
  z7::SysAllocStringFunc sysAllocString_ = nullptr;
  z7::SysFreeStringFunc sysFreeString_ = nullptr;
  z7::VariantClearFunc variantClear_ = nullptr;
  z7::GUID classId_ = z7::k7zFormatClassId;
};

// RAII for a PROPVARIANT the library filled in.
class TPropVariant {
 public:
  explicit TPropVariant(const T7zPlugin& plugin) : plugin_(plugin) {}
  ~TPropVariant() { plugin_.ClearVariant(value_); }
  TPropVariant(const TPropVariant&) = delete;
  TPropVariant& operator=(const TPropVariant&) = delete;
  z7::PROPVARIANT* get() { return &value_; }
  const z7::PROPVARIANT& value() const { return value_; }
  QString ToString() const;
  bool ToBool() const;
  // A FILETIME (100-ns ticks since 1601, UTC) as Unix time; nothing for any other type.
  std::optional<timespec> ToUnixTime() const;

 private:
  const T7zPlugin& plugin_;
  z7::PROPVARIANT value_;
};
