#pragma once
// T7zTestCallback: receives the items of an extraction in the library's test mode, which decodes
// every item and checks its CRC without handing out any data; it counts the items that failed.
#include "compress/sevenzip/ComObject.h"
#include "compress/sevenzip/InArchive.h"
#include "compress/sevenzip/Password.h"

class T7zTestCallback final : public TComObject<z7::IArchiveExtractCallback, z7::ICryptoGetTextPassword> {
 public:
  T7zTestCallback(const T7zPlugin& plugin, T7zPassword password)
      : plugin_(plugin), password_(std::move(password)) {}

  // failedItems: items whose data did not decode or check; the rest stays unset.
  const T7zExtractReport& Report() const { return report_; }

  z7::HRESULT SetTotal(std::uint64_t) noexcept override { return z7::kOk; }
  z7::HRESULT SetCompleted(const std::uint64_t*) noexcept override { return z7::kOk; }
  // No stream: in test mode the library decodes and drops the data itself.
  z7::HRESULT GetStream(std::uint32_t, z7::ISequentialOutStream** out, std::int32_t) noexcept override {
    if (!out) return z7::kPointer;
    *out = nullptr;
    return z7::kOk;
  }
  z7::HRESULT PrepareOperation(std::int32_t) noexcept override { return z7::kOk; }
  z7::HRESULT SetOperationResult(std::int32_t opRes) noexcept override {
    if (opRes != z7::kOpOk) ++report_.failedItems;
    return z7::kOk;
  }
  z7::HRESULT CryptoGetTextPassword(z7::BSTR* password) noexcept override {
    return password_.Answer(plugin_, password);
  }

 private:
  const T7zPlugin& plugin_;
  T7zPassword password_;
  T7zExtractReport report_;
};
