#include "compress/sevenzip/OutArchive.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <string>
#include <variant>
#include <vector>

#include "compress/common/WorkingNames.h"
#include "compress/sevenzip/FileStreams.h"
#include "compress/sevenzip/UpdateCallback.h"
#include "util/FileMask.h"
#include "util/NativePath.h"
#include "util/PackableFiles.h"

namespace {

constexpr std::uint32_t kAttrReadOnly = 0x01;
constexpr std::uint32_t kAttrArchive = 0x20;
constexpr std::uint32_t kAttrUnixExtension = 0x8000;  // the Unix mode sits in the high 16 bits
constexpr std::uint64_t kUnixToFileTimeSeconds = 11644473600ULL;

z7::FILETIME ToFileTime(const struct statx_timestamp& t) {
  const std::uint64_t ticks =
      (static_cast<std::uint64_t>(t.tv_sec) + kUnixToFileTimeSeconds) * 10000000ULL + t.tv_nsec / 100;
  return {static_cast<std::uint32_t>(ticks), static_cast<std::uint32_t>(ticks >> 32)};
}

// Fills the item from the file's metadata (a link's target); false when the file is gone or
// not a regular file.
bool DescribeFile(const QByteArray& fileName, T7zBatchItem& item) {
  struct statx st;
  if (::statx(AT_FDCWD, fileName.constData(), 0,
              STATX_TYPE | STATX_MODE | STATX_SIZE | STATX_MTIME | STATX_BTIME, &st) != 0)
    return false;
  if (!S_ISREG(st.stx_mode)) return false;
  item.FileName = fileName;
  item.Size = st.stx_size;
  item.Attributes = kAttrUnixExtension | (static_cast<std::uint32_t>(st.stx_mode) << 16) | kAttrArchive;
  if (!(st.stx_mode & S_IWUSR)) item.Attributes |= kAttrReadOnly;
  item.LastWriteTime = ToFileTime(st.stx_mtime);
  item.HasCreationTime = (st.stx_mask & STATX_BTIME) != 0;
  if (item.HasCreationTime) item.CreationTime = ToFileTime(st.stx_btime);
  return true;
}

}  // namespace

T7zOutArchive::T7zOutArchive(const T7zPlugin& plugin) : plugin_(plugin) {}

bool T7zOutArchive::AddFiles(const QString& dir, const QString& prefix, const QString& mask, bool recursive) {
  const std::optional<std::vector<TPackableFile>> files = ListPackableFiles(dir, recursive);
  if (!files) return false;
  const TFileMask fileMask(mask);
  for (const TPackableFile& file : *files) {
    if (!fileMask.MatchesEverything() && !fileMask.Matches(file.name.section('/', -1))) continue;
    T7zBatchItem item;
    if (!DescribeFile(file.path, item)) continue;  // gone since it was found
    item.Path = prefix.isEmpty() ? file.name : prefix + '/' + file.name;
    items_.push_back(std::move(item));
  }
  return true;
}

void T7zOutArchive::SetProperty(const QString& name, std::uint32_t value) {
  properties_.push_back({name, value});
}

void T7zOutArchive::SetProperty(const QString& name, const QString& value) {
  properties_.push_back({name, value});
}

z7::HRESULT T7zOutArchive::ApplyProperties(z7::IOutArchive& archive) const {
  if (properties_.isEmpty()) return z7::kOk;
  TComPtr<z7::ISetProperties> setter;
  const z7::HRESULT found = archive.QueryInterface(z7::ISetProperties::kIid, setter.Receive());
  if (z7::Failed(found)) return found;
  // All in one call and in the order they were set: the handler may start each call afresh.
  std::vector<std::wstring> names;
  std::vector<z7::PROPVARIANT> values(properties_.size());
  for (int i = 0; i < properties_.size(); ++i) {
    names.push_back(properties_[i].first.toStdWString());
    if (const auto* number = std::get_if<std::uint32_t>(&properties_[i].second)) {
      values[i].vt = z7::VT_UI4;
      values[i].ulVal = *number;
    } else {
      values[i].vt = z7::VT_BSTR;
      values[i].bstrVal = plugin_.AllocString(std::get<QString>(properties_[i].second));
    }
  }
  std::vector<const wchar_t*> namePointers;
  for (const std::wstring& name : names) namePointers.push_back(name.c_str());
  const z7::HRESULT hr =
      setter->SetProperties(namePointers.data(), values.data(), static_cast<std::uint32_t>(values.size()));
  for (z7::PROPVARIANT& value : values) plugin_.ClearVariant(value);
  return hr;
}

z7::HRESULT T7zOutArchive::SaveToFile(const QString& path, const TByteProgress& progress,
                                      std::function<bool()> stopRequested) {
  TComPtr<z7::IOutArchive> archive;
  z7::HRESULT hr = plugin_.CreateObject(archive);
  if (z7::Failed(hr) || !archive) return z7::Failed(hr) ? hr : z7::kFail;
  hr = ApplyProperties(*archive.get());
  if (z7::Failed(hr)) return hr;

  TWorkingFile working(path);
  if (!working.created()) return HresultFromErrno(working.error());
  TComPtr<T7zOutFileStream> out = T7zOutFileStream::Adopt(working.TakeDescriptor(), nullptr, NativePath(working.path()));
  TComPtr<T7zUpdateCallback> callback(
      new T7zUpdateCallback(plugin_, items_, password_, progress, std::move(stopRequested)));
  hr = archive->UpdateItems(out.get(), static_cast<std::uint32_t>(items_.size()), callback.get());
  if (!out->Close() && hr == z7::kOk) hr = z7::kFail;
  if (hr == z7::kOk && !working.PutInPlace()) hr = HresultFromErrno(errno);
  return hr;
}
