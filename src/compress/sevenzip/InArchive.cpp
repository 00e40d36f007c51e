#include "compress/sevenzip/InArchive.h"

#include <QFileInfo>

#include <sys/stat.h>

#include <cerrno>

#include "compress/sevenzip/ExtractCallback.h"
#include "compress/sevenzip/FileStreams.h"

namespace {

constexpr std::uint64_t kMaxStartSearch = 1048576;
constexpr std::uint32_t kAllItems = 0xFFFFFFFF;

class T7zOpenCallback final : public TComObject<z7::IArchiveOpenCallback, z7::ICryptoGetTextPassword> {
 public:
  T7zOpenCallback(const T7zPlugin& plugin, T7zPassword password)
      : plugin_(plugin), password_(std::move(password)) {}

  z7::HRESULT SetTotal(const std::uint64_t*, const std::uint64_t*) noexcept override { return z7::kOk; }
  z7::HRESULT SetCompleted(const std::uint64_t*, const std::uint64_t*) noexcept override { return z7::kOk; }
  z7::HRESULT CryptoGetTextPassword(z7::BSTR* password) noexcept override {
    return password_.Answer(plugin_, password);
  }

 private:
  const T7zPlugin& plugin_;
  T7zPassword password_;
};

}  // namespace

T7zInArchive::T7zInArchive(const T7zPlugin& plugin) : plugin_(plugin) {}

T7zInArchive::~T7zInArchive() { Close(); }

z7::HRESULT T7zInArchive::Open(const QString& archivePath) {
  Close();
  if (!archive_) {
    const z7::HRESULT created = plugin_.CreateObject(archive_);
    if (z7::Failed(created) || !archive_) return z7::Failed(created) ? created : z7::kFail;
  }
  TComPtr<T7zInFileStream> stream = T7zInFileStream::Open(archivePath);
  if (!stream) return HresultFromErrno(errno);
  TComPtr<T7zOpenCallback> callback(new T7zOpenCallback(plugin_, password_));
  const z7::HRESULT hr = archive_->Open(stream.get(), &kMaxStartSearch, callback.get());
  if (hr != z7::kOk) {
    archive_->Close();
    return hr;
  }
  defaultItemName_ = QFileInfo(archivePath).completeBaseName();
  open_ = true;
  return z7::kOk;
}

void T7zInArchive::Close() {
  if (open_) archive_->Close();
  open_ = false;
}

std::uint32_t T7zInArchive::NumberOfItems() const {
  std::uint32_t count = 0;
  if (!open_ || z7::Failed(archive_->GetNumberOfItems(&count))) return 0;
  return count;
}

QString T7zInArchive::ItemPath(std::uint32_t index) const {
  TPropVariant value(plugin_);
  if (open_) archive_->GetProperty(index, z7::kpidPath, value.get());
  const QString path = value.ToString();
  return path.isEmpty() ? defaultItemName_ : path;
}

bool T7zInArchive::ItemIsFolder(std::uint32_t index) const {
  TPropVariant value(plugin_);
  if (open_) archive_->GetProperty(index, z7::kpidIsDir, value.get());
  return value.ToBool();
}

bool T7zInArchive::ItemIsLink(std::uint32_t index) const {
  constexpr std::uint32_t kUnixExtension = 0x8000;  // FILE_ATTRIBUTE_UNIX_EXTENSION
  TPropVariant value(plugin_);
  if (open_) archive_->GetProperty(index, z7::kpidAttrib, value.get());
  if (value.value().vt != z7::VT_UI4 || !(value.value().ulVal & kUnixExtension)) return false;
  return S_ISLNK(value.value().ulVal >> 16);
}

T7zExtractReport T7zInArchive::ExtractTo2(const QString& path, TExtractLedger* ledger) {
  if (!open_) return {};
  auto lookup = [this](std::uint32_t index) {
    return T7zExtractCallback::TItemInfo{ItemPath(index), ItemIsFolder(index), ItemIsLink(index)};
  };
  TComPtr<T7zExtractCallback> callback(new T7zExtractCallback(plugin_, lookup, path, ledger, password_));
  const z7::HRESULT hr = archive_->Extract(nullptr, kAllItems, 0, callback.get());
  T7zExtractReport report = callback->Report();
  report.result = hr;
  return report;
}
