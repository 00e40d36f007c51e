#include "compress/sevenzip/FileStreams.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>

#include "util/NativePath.h"

z7::HRESULT HresultFromErrno(int error) {
  if (error == 0) return z7::kFail;
  if (error == ENOMEM) return z7::kOutOfMemory;
  return static_cast<z7::HRESULT>(0x80070000u | (static_cast<std::uint32_t>(error) & 0xFFFFu));
}

namespace {

z7::HRESULT SeekFd(int fd, std::int64_t offset, std::uint32_t origin, std::uint64_t* newPosition) {
  int whence;
  switch (origin) {
    case z7::kSeekSet:
      whence = SEEK_SET;
      break;
    case z7::kSeekCur:
      whence = SEEK_CUR;
      break;
    case z7::kSeekEnd:
      whence = SEEK_END;
      break;
    default:
      return z7::kInvalidArg;
  }
  const off_t position = ::lseek(fd, offset, whence);
  if (position < 0) return HresultFromErrno(errno);
  if (newPosition) *newPosition = static_cast<std::uint64_t>(position);
  return z7::kOk;
}

}  // namespace

TComPtr<T7zInFileStream> T7zInFileStream::Open(const QString& path) {
  return Open(QByteArray::fromStdString(NativePath(path)));
}

TComPtr<T7zInFileStream> T7zInFileStream::Open(const QByteArray& nativePath) {
  TFileDescriptor fd(::open(nativePath.constData(), O_RDONLY | O_CLOEXEC));
  if (!fd) return {};
  return TComPtr<T7zInFileStream>(new T7zInFileStream(std::move(fd)));
}

z7::HRESULT T7zInFileStream::Read(void* data, std::uint32_t size, std::uint32_t* processed) noexcept {
  if (processed) *processed = 0;
  if (size == 0) return z7::kOk;
  ssize_t n;
  do {
    n = ::read(fd_.get(), data, size);
  } while (n < 0 && errno == EINTR);
  if (n < 0) return HresultFromErrno(errno);
  if (processed) *processed = static_cast<std::uint32_t>(n);
  return z7::kOk;
}

z7::HRESULT T7zInFileStream::Seek(std::int64_t offset, std::uint32_t origin,
                                  std::uint64_t* newPosition) noexcept {
  return SeekFd(fd_.get(), offset, origin, newPosition);
}

z7::HRESULT T7zInFileStream::GetSize(std::uint64_t* size) noexcept {
  struct stat st;
  if (::fstat(fd_.get(), &st) != 0) return HresultFromErrno(errno);
  *size = static_cast<std::uint64_t>(st.st_size);
  return z7::kOk;
}

TComPtr<T7zVolumeStream> T7zVolumeStream::Open(const QStringList& paths) {
  TComPtr<T7zVolumeStream> stream(new T7zVolumeStream);
  for (const QString& path : paths) {
    TFileDescriptor fd(::open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st;
    if (!fd || ::fstat(fd.get(), &st) != 0) return {};
    const auto size = static_cast<std::uint64_t>(st.st_size);
    stream->volumes_.push_back({std::move(fd), stream->size_, size});
    stream->size_ += size;
  }
  return stream;
}

z7::HRESULT T7zVolumeStream::Read(void* data, std::uint32_t size, std::uint32_t* processed) noexcept {
  if (processed) *processed = 0;
  if (size == 0 || position_ >= size_) return z7::kOk;
  // Volumes are few; the last one that starts at or before the position holds it.
  auto volume = volumes_.begin();
  while (volume + 1 != volumes_.end() && (volume + 1)->start <= position_) ++volume;
  const std::uint64_t offset = position_ - volume->start;
  const std::uint64_t wanted = std::min<std::uint64_t>(size, volume->size - offset);
  ssize_t n;
  do {
    n = ::pread(volume->fd.get(), data, wanted, static_cast<off_t>(offset));
  } while (n < 0 && errno == EINTR);
  if (n < 0) return HresultFromErrno(errno);
  position_ += static_cast<std::uint64_t>(n);
  if (processed) *processed = static_cast<std::uint32_t>(n);
  return z7::kOk;
}

z7::HRESULT T7zVolumeStream::Seek(std::int64_t offset, std::uint32_t origin,
                                  std::uint64_t* newPosition) noexcept {
  std::int64_t base;
  switch (origin) {
    case z7::kSeekSet:
      base = 0;
      break;
    case z7::kSeekCur:
      base = static_cast<std::int64_t>(position_);
      break;
    case z7::kSeekEnd:
      base = static_cast<std::int64_t>(size_);
      break;
    default:
      return z7::kInvalidArg;
  }
  if (offset < -base) return HresultFromErrno(EINVAL);
  position_ = static_cast<std::uint64_t>(base + offset);
  if (newPosition) *newPosition = position_;
  return z7::kOk;
}

z7::HRESULT T7zVolumeStream::GetSize(std::uint64_t* size) noexcept {
  *size = size_;
  return z7::kOk;
}

TComPtr<T7zOutFileStream> T7zOutFileStream::Create(const QString& path, TCreateMode mode) {
  const int flags =
      O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW | (mode == TCreateMode::NewOnly ? O_EXCL : O_TRUNC);
  TFileDescriptor fd(::open(NativePath(path).c_str(), flags, 0666));
  if (!fd) return {};
  return TComPtr<T7zOutFileStream>(new T7zOutFileStream(std::move(fd), nullptr));
}

TComPtr<T7zOutFileStream> T7zOutFileStream::Adopt(TFileDescriptor fd, TExtractTarget* target, std::string path) {
  return TComPtr<T7zOutFileStream>(new T7zOutFileStream(std::move(fd), target, std::move(path)));
}

z7::HRESULT T7zOutFileStream::Write(const void* data, std::uint32_t size, std::uint32_t* processed) noexcept {
  // Writes everything or fails, so a short write never passes unnoticed.
  if (processed) *processed = 0;
  if (target_ && !target_->Reserve(size)) return HresultFromErrno(ENOSPC);
  const char* bytes = static_cast<const char*>(data);
  std::uint32_t done = 0;
  while (done < size) {
    const ssize_t n = ::write(fd_.get(), bytes + done, size - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      const int error = errno;
      Refused(error);
      return HresultFromErrno(error);
    }
    done += static_cast<std::uint32_t>(n);
    written_ += static_cast<std::uint64_t>(n);
    if (processed) *processed = done;
  }
  return z7::kOk;
}

void T7zOutFileStream::Refused(int error) {
  refused_ = true;
  if (target_) target_->WriteFailed(path_, error);
}

bool T7zOutFileStream::Close() {
  if (fd_.close()) return true;
  Refused(errno);
  return false;
}

void T7zOutFileStream::SetTime(const timespec& time) {
  const timespec times[2] = {time, time};
  ::futimens(fd_.get(), times);
}

z7::HRESULT T7zOutFileStream::Seek(std::int64_t offset, std::uint32_t origin,
                                   std::uint64_t* newPosition) noexcept {
  return SeekFd(fd_.get(), offset, origin, newPosition);
}

z7::HRESULT T7zOutFileStream::SetSize(std::uint64_t newSize) noexcept {
  if (::ftruncate(fd_.get(), static_cast<off_t>(newSize)) != 0) return HresultFromErrno(errno);
  return z7::kOk;
}
