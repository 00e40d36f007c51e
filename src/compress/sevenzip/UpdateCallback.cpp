#include "compress/sevenzip/UpdateCallback.h"

#include <cerrno>

#include "compress/sevenzip/FileStreams.h"

namespace {

constexpr std::uint32_t kNotInArchive = 0xFFFFFFFF;

void SetBool(z7::PROPVARIANT& value, bool on) {
  value.vt = z7::VT_BOOL;
  value.boolVal = on ? z7::kVariantTrue : 0;
}

void SetFileTime(z7::PROPVARIANT& value, const z7::FILETIME& time) {
  value.vt = z7::VT_FILETIME;
  value.wReserved1 = value.wReserved2 = value.wReserved3 = 0;
  value.filetime = time;
}

}  // namespace

z7::HRESULT T7zUpdateCallback::GetUpdateItemInfo(std::uint32_t index, std::int32_t* newData,
                                                 std::int32_t* newProps,
                                                 std::uint32_t* indexInArchive) noexcept {
  if (index >= static_cast<std::uint32_t>(items_.size())) return z7::kInvalidArg;
  // Every archive is written from scratch.
  if (newData) *newData = 1;
  if (newProps) *newProps = 1;
  if (indexInArchive) *indexInArchive = kNotInArchive;
  return z7::kOk;
}

z7::HRESULT T7zUpdateCallback::GetProperty(std::uint32_t index, z7::PROPID propId,
                                           z7::PROPVARIANT* value) noexcept {
  if (!value) return z7::kPointer;
  if (index >= static_cast<std::uint32_t>(items_.size())) return z7::kInvalidArg;
  const T7zBatchItem& item = items_[index];
  z7::PROPVARIANT result;
  switch (propId) {
    case z7::kpidPath:
      result.vt = z7::VT_BSTR;
      result.bstrVal = plugin_.AllocString(item.Path);
      if (!result.bstrVal) return z7::kOutOfMemory;
      break;
    case z7::kpidIsDir:
      SetBool(result, item.IsFolder);
      break;
    case z7::kpidIsAnti:
      SetBool(result, item.IsAnti);
      break;
    case z7::kpidSize:
      result.vt = z7::VT_UI8;
      result.uhVal = item.Size;
      break;
    case z7::kpidAttrib:
      result.vt = z7::VT_UI4;
      result.ulVal = item.Attributes;
      break;
    case z7::kpidCTime:
      if (item.HasCreationTime) SetFileTime(result, item.CreationTime);
      break;
    case z7::kpidMTime:
      SetFileTime(result, item.LastWriteTime);
      break;
    default:
      break;  // access time and everything else: not given
  }
  *value = result;
  return z7::kOk;
}

z7::HRESULT T7zUpdateCallback::GetStream(std::uint32_t index, z7::ISequentialInStream** in) noexcept {
  if (!in) return z7::kPointer;
  *in = nullptr;
  if (index >= static_cast<std::uint32_t>(items_.size())) return z7::kInvalidArg;
  const T7zBatchItem& item = items_[index];
  if (item.IsFolder) return z7::kOk;
  // A file that vanished or cannot be read fails the whole archive rather than leaving it out.
  TComPtr<T7zInFileStream> stream = T7zInFileStream::Open(item.FileName);
  if (!stream) return HresultFromErrno(errno);
  *in = stream.Detach();
  return z7::kOk;
}

z7::HRESULT T7zUpdateCallback::CryptoGetTextPassword2(std::int32_t* isDefined, z7::BSTR* password) noexcept {
  if (!isDefined || !password) return z7::kPointer;
  *isDefined = password_.IsDefined() ? 1 : 0;
  *password = plugin_.AllocString(password_.Text());
  return *password ? z7::kOk : z7::kOutOfMemory;
}
