#pragma once
// T7zExtractCallback: receives the items of an extraction and writes each file below the
// destination through the extraction target all engines share, with its stored time.
#include <QString>

#include <ctime>
#include <functional>
#include <optional>

#include "compress/common/ExtractTarget.h"
#include "compress/sevenzip/ComObject.h"
#include "compress/sevenzip/FileStreams.h"
#include "compress/sevenzip/InArchive.h"
#include "compress/sevenzip/Password.h"

class T7zExtractCallback final : public TComObject<z7::IArchiveExtractCallback, z7::ICryptoGetTextPassword> {
 public:
  struct TItemInfo {
    QString path;
    bool isFolder = false;
    bool isLink = false;  // a symbolic link: its data is the target, written as a file
    std::optional<timespec> time;  // modification time, when stored
  };
  using TItemLookup = std::function<TItemInfo(std::uint32_t index)>;

  T7zExtractCallback(const T7zPlugin& plugin, TItemLookup lookup, const QString& destination,
                     TExtractLedger* ledger, T7zPassword password);

  const T7zExtractReport& Report() const { return report_; }
  // After the extraction: a file the library left open (it stops at a write the system refused)
  // is closed and counted, and the folders that came to exist (folders are made only for the
  // files in them) get their stored times, once nothing is written into them any more.
  void Finish();

  z7::HRESULT SetTotal(std::uint64_t total) noexcept override {
    target_.SetTotal(total);
    return z7::kOk;
  }
  z7::HRESULT SetCompleted(const std::uint64_t*) noexcept override { return z7::kOk; }
  z7::HRESULT GetStream(std::uint32_t index, z7::ISequentialOutStream** out,
                        std::int32_t askMode) noexcept override;
  z7::HRESULT PrepareOperation(std::int32_t) noexcept override { return z7::kOk; }
  z7::HRESULT SetOperationResult(std::int32_t opRes) noexcept override;
  z7::HRESULT CryptoGetTextPassword(z7::BSTR* password) noexcept override;

 private:
  const T7zPlugin& plugin_;
  TItemLookup lookup_;
  TExtractTarget target_;
  T7zPassword password_;
  TComPtr<T7zOutFileStream> current_;
  std::optional<timespec> currentTime_;
  T7zExtractReport report_;
};
