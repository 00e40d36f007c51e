#include "compress/zip/ZipInput.h"

#include <sys/stat.h>

#include <cstring>

namespace {
constexpr size_t kReadAhead = 256 * 1024;
}  // namespace

bool TZipInput::Open(const QString& path) {
  fd_ = OpenForReading(NativePath(path));
  struct stat st {};
  if (!fd_ || ::fstat(fd_.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
    fd_.reset();
    return false;
  }
  size_ = uint64_t(st.st_size);
  buffer_.resize(kReadAhead);
  return true;
}

bool TZipInput::Read(uint64_t position, char* data, size_t length) {
  if (!fd_ || position > size_ || length > size_ - position) return false;
  if (position >= bufferStart_ && position + length <= bufferStart_ + bufferFill_) {
    std::memcpy(data, buffer_.data() + (position - bufferStart_), length);
    return true;
  }
  if (length >= buffer_.size() / 2) return ReadAt(fd_.get(), data, length, position);
  const int64_t got = ReadSomeAt(fd_.get(), buffer_.data(), buffer_.size(), position);
  if (got < int64_t(length)) {
    bufferFill_ = 0;
    return false;
  }
  bufferStart_ = position;
  bufferFill_ = size_t(got);
  std::memcpy(data, buffer_.data(), length);
  return true;
}
