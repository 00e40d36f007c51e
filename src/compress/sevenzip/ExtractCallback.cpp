#include "compress/sevenzip/ExtractCallback.h"

#include <cerrno>

T7zExtractCallback::T7zExtractCallback(const T7zPlugin& plugin, TItemLookup lookup, const QString& destination,
                                       TExtractLedger* ledger, T7zPassword password)
    : plugin_(plugin),
      lookup_(std::move(lookup)),
      target_(destination, ledger),
      password_(std::move(password)) {}

z7::HRESULT T7zExtractCallback::GetStream(std::uint32_t index, z7::ISequentialOutStream** out,
                                          std::int32_t askMode) noexcept {
  if (!out) return z7::kPointer;
  *out = nullptr;
  current_.Reset();
  if (askMode != z7::kAskExtract) return z7::kOk;
  const TItemInfo item = lookup_(index);
  const std::optional<std::string> path = target_.PathFor(item.path);
  // Folders are not created: only files carry content to repack.
  if (item.isFolder) {
    if (path && item.time) target_.RememberFolderTime(*path, item.time->tv_sec, item.time->tv_nsec);
    return z7::kOk;
  }
  if (!path) {
    // The library decodes and drops the data; the extraction as a whole is then a failure, so
    // the archive is never repacked without this file.
    ++report_.unsafeItems;
    return z7::kOk;
  }
  // A file that cannot be made stops the library; that says nothing of the password.
  if (!target_.MakeParentFolder(*path)) {
    ++report_.writeErrors;
    return z7::kFail;
  }
  TFileDescriptor fd = target_.CreateFile(*path);
  if (!fd) {
    ++report_.writeErrors;
    return HresultFromErrno(errno);
  }
  if (item.isLink) target_.Convert(item.path, QStringLiteral("a symbolic link, now a file holding its target"));
  current_ = T7zOutFileStream::Adopt(std::move(fd), &target_, *path);
  currentTime_ = item.time;
  *out = current_.get();
  current_->AddRef();
  return z7::kOk;
}

z7::HRESULT T7zExtractCallback::SetOperationResult(std::int32_t opRes) noexcept {
  if (opRes != z7::kOpOk) ++report_.failedItems;
  if (current_) {
    report_.producedFiles = true;
    if (currentTime_) current_->SetTime(*currentTime_);
    if (!current_->Close() || current_->refused()) ++report_.writeErrors;
    current_.Reset();
  }
  return z7::kOk;
}

void T7zExtractCallback::Finish() {
  if (current_) {
    current_->Close();
    if (current_->refused()) ++report_.writeErrors;
    current_.Reset();
  }
  target_.ApplyFolderTimes();
}

z7::HRESULT T7zExtractCallback::CryptoGetTextPassword(z7::BSTR* password) noexcept {
  return password_.Answer(plugin_, password);
}
