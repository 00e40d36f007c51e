#include "compress/sevenzip/ExtractCallback.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>
#include <cerrno>

#include "compress/common/EntryPath.h"

T7zExtractCallback::T7zExtractCallback(const T7zPlugin& plugin, TItemLookup lookup, QString destination,
                                       T7zPassword password)
    : plugin_(plugin),
      lookup_(std::move(lookup)),
      destination_(std::move(destination)),
      password_(std::move(password)) {}

z7::HRESULT T7zExtractCallback::GetStream(std::uint32_t index, z7::ISequentialOutStream** out,
                                          std::int32_t askMode) noexcept {
  if (!out) return z7::kPointer;
  *out = nullptr;
  current_.Reset();
  if (askMode != z7::kAskExtract) return z7::kOk;
  const TItemInfo item = lookup_(index);
  // Folders are not created: only files carry content to repack.
  if (item.isFolder) return z7::kOk;
  const std::optional<QString> target = SafeEntryPath(destination_, item.path);
  if (!target) {
    // The library decodes and drops the data; the extraction as a whole is then a failure, so
    // the archive is never repacked without this file.
    ++report_.unsafeItems;
    return z7::kOk;
  }
  z7::HRESULT error = z7::kOk;
  current_ = CreateFile(*target, error);
  if (!current_) return error;
  *out = current_.get();
  current_->AddRef();
  return z7::kOk;
}

TComPtr<T7zOutFileStream> T7zExtractCallback::CreateFile(const QString& target, z7::HRESULT& error) const {
  if (!QDir().mkpath(QFileInfo(target).path())) {
    error = z7::kFail;
    return {};
  }
  TComPtr<T7zOutFileStream> stream = T7zOutFileStream::Create(target);
  if (!stream && errno == ELOOP) {
    // A link left by an earlier attempt on the same folder: replace it, never write through it.
    ::unlink(QFile::encodeName(target).constData());
    stream = T7zOutFileStream::Create(target);
  }
  if (!stream) error = HresultFromErrno(errno);
  return stream;
}

z7::HRESULT T7zExtractCallback::SetOperationResult(std::int32_t opRes) noexcept {
  if (opRes != z7::kOpOk) ++report_.failedItems;
  if (current_) {
    report_.producedFiles = true;
    if (!current_->Close()) ++report_.writeErrors;
    current_.Reset();
  }
  return z7::kOk;
}

z7::HRESULT T7zExtractCallback::CryptoGetTextPassword(z7::BSTR* password) noexcept {
  return password_.Answer(plugin_, password);
}
