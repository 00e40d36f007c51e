#pragma once
// T7zUpdateCallback: tells the library about each queued file and hands it the file's data.
#include <QVector>

#include <functional>

#include "compress/common/Progress.h"
#include "compress/sevenzip/ComObject.h"
#include "compress/sevenzip/OutArchive.h"
#include "compress/sevenzip/Password.h"

class T7zUpdateCallback final : public TComObject<z7::IArchiveUpdateCallback, z7::ICryptoGetTextPassword2> {
 public:
  T7zUpdateCallback(const T7zPlugin& plugin, const QVector<T7zBatchItem>& items, T7zPassword password,
                    TByteProgress progress = {}, std::function<bool()> stopRequested = {})
      : plugin_(plugin),
        items_(items),
        password_(std::move(password)),
        progress_(std::move(progress)),
        stopRequested_(std::move(stopRequested)) {}

  z7::HRESULT SetTotal(std::uint64_t total) noexcept override {
    total_ = total;
    return z7::kOk;
  }
  z7::HRESULT SetCompleted(const std::uint64_t* done) noexcept override {
    if (done && progress_) progress_(*done, total_);
    // The library ends the writing at once and reports kAbort.
    return stopRequested_ && stopRequested_() ? z7::kAbort : z7::kOk;
  }
  z7::HRESULT GetUpdateItemInfo(std::uint32_t index, std::int32_t* newData, std::int32_t* newProps,
                                std::uint32_t* indexInArchive) noexcept override;
  z7::HRESULT GetProperty(std::uint32_t index, z7::PROPID propId, z7::PROPVARIANT* value) noexcept override;
  z7::HRESULT GetStream(std::uint32_t index, z7::ISequentialInStream** in) noexcept override;
  z7::HRESULT SetOperationResult(std::int32_t) noexcept override { return z7::kOk; }
  z7::HRESULT CryptoGetTextPassword2(std::int32_t* isDefined, z7::BSTR* password) noexcept override;

 private:
  const T7zPlugin& plugin_;
  const QVector<T7zBatchItem>& items_;
  T7zPassword password_;
  TByteProgress progress_;
  std::function<bool()> stopRequested_;
  std::uint64_t total_ = 0;
};
