#include "compress/sevenzip/InArchive.h"

#include <QDir>
#include <QFileInfo>

#include <sys/stat.h>

#include <cerrno>

#include "compress/common/VolumeSet.h"
#include "compress/sevenzip/ExtractCallback.h"
#include "compress/sevenzip/FileStreams.h"
#include "compress/sevenzip/TestCallback.h"

namespace {

constexpr std::uint64_t kMaxStartSearch = 1048576;
constexpr std::uint32_t kAllItems = 0xFFFFFFFF;

class T7zOpenCallback final : public TComObject<z7::IArchiveOpenCallback, z7::ICryptoGetTextPassword,
                                                z7::IArchiveOpenVolumeCallback> {
 public:
  T7zOpenCallback(const T7zPlugin& plugin, T7zPassword password, const QString& archivePath)
      : plugin_(plugin), password_(std::move(password)), archive_(archivePath) {}

  z7::HRESULT SetTotal(const std::uint64_t*, const std::uint64_t*) noexcept override { return z7::kOk; }
  z7::HRESULT SetCompleted(const std::uint64_t*, const std::uint64_t*) noexcept override { return z7::kOk; }
  z7::HRESULT CryptoGetTextPassword(z7::BSTR* password) noexcept override {
    return password_.Answer(plugin_, password);
  }

  z7::HRESULT GetProperty(z7::PROPID propId, z7::PROPVARIANT* value) noexcept override {
    if (!value) return z7::kInvalidArg;
    *value = z7::PROPVARIANT();
    if (propId != z7::kpidName) return z7::kOk;
    value->vt = z7::VT_BSTR;
    value->bstrVal = plugin_.AllocString(archive_.fileName());
    return value->bstrVal ? z7::kOk : z7::kOutOfMemory;
  }
  // Only a sibling of the archive by a plain name: the handler builds the names from the archive's.
  z7::HRESULT GetStream(const wchar_t* name, z7::IInStream** stream) noexcept override {
    if (!stream) return z7::kInvalidArg;
    *stream = nullptr;
    const QString fileName = name ? QString::fromWCharArray(name) : QString();
    if (fileName.isEmpty() || fileName.contains('/') || fileName == QLatin1String("..")) return z7::kFalse;
    TComPtr<T7zInFileStream> volume = T7zInFileStream::Open(archive_.dir().filePath(fileName));
    if (!volume) return z7::kFalse;
    *stream = volume.Detach();
    return z7::kOk;
  }

 private:
  const T7zPlugin& plugin_;
  T7zPassword password_;
  QFileInfo archive_;
};

// A 7z set cut into pieces (x.7z.001, ...) is read as the one archive the pieces make up.
TComPtr<z7::IInStream> OpenArchiveStream(const QString& archivePath) {
  if (const QStringList volumes = SevenZipVolumes(archivePath); !volumes.isEmpty()) {
    TComPtr<T7zVolumeStream> joined = T7zVolumeStream::Open(volumes);
    return TComPtr<z7::IInStream>(joined.get());
  }
  TComPtr<T7zInFileStream> file = T7zInFileStream::Open(archivePath);
  return TComPtr<z7::IInStream>(file.get());
}

}  // namespace

T7zInArchive::T7zInArchive(const T7zPlugin& plugin) : plugin_(plugin) {}

T7zInArchive::~T7zInArchive() { Close(); }

z7::HRESULT T7zInArchive::Open(const QString& archivePath) {
  Close();
  if (!archive_) {
    const z7::HRESULT created = plugin_.CreateObject(archive_);
    if (z7::Failed(created) || !archive_) return z7::Failed(created) ? created : z7::kFail;
  }
  TComPtr<z7::IInStream> stream = OpenArchiveStream(archivePath);
  if (!stream) return HresultFromErrno(errno);
  TComPtr<T7zOpenCallback> callback(new T7zOpenCallback(plugin_, password_, archivePath));
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

std::optional<timespec> T7zInArchive::ItemTime(std::uint32_t index) const {
  TPropVariant value(plugin_);
  if (open_) archive_->GetProperty(index, z7::kpidMTime, value.get());
  return value.ToUnixTime();
}

T7zExtractReport T7zInArchive::ExtractTo2(const QString& path, TExtractLedger* ledger) {
  if (!open_) return {};
  auto lookup = [this](std::uint32_t index) {
    return T7zExtractCallback::TItemInfo{ItemPath(index), ItemIsFolder(index), ItemIsLink(index), ItemTime(index)};
  };
  TComPtr<T7zExtractCallback> callback(new T7zExtractCallback(plugin_, lookup, path, ledger, password_));
  const z7::HRESULT hr = archive_->Extract(nullptr, kAllItems, 0, callback.get());
  callback->Finish();
  T7zExtractReport report = callback->Report();
  report.result = hr;
  return report;
}

T7zExtractReport T7zInArchive::Test() {
  if (!open_) return {};
  TComPtr<T7zTestCallback> callback(new T7zTestCallback(plugin_, password_));
  constexpr std::int32_t kTestMode = 1;
  const z7::HRESULT hr = archive_->Extract(nullptr, kAllItems, kTestMode, callback.get());
  T7zExtractReport report = callback->Report();
  report.result = hr;
  return report;
}
