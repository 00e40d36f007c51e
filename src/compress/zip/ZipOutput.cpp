#include "compress/zip/ZipOutput.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {
constexpr size_t kBufferSize = 1 << 20;
}  // namespace

TZipOutput::~TZipOutput() { Abandon(); }

bool TZipOutput::Open(const QString& target) {
  file_.emplace(target);
  if (!file_->created()) {
    errno = file_->error();
    file_.reset();
    return false;
  }
  fd_ = file_->TakeDescriptor();
  struct stat st {};
  if (::fstat(fd_.get(), &st) == 0) {
    device_ = st.st_dev;
    inode_ = st.st_ino;
  }
  buffer_.resize(kBufferSize);
  return true;
}

bool TZipOutput::Flush() {
  if (used_ == 0) return !failed_;
  if (!failed_ && !WriteAll(fd_.get(), buffer_.data(), used_)) failed_ = true;
  used_ = 0;
  return !failed_;
}

bool TZipOutput::Write(const char* data, size_t size) {
  if (failed_ || !fd_) return false;
  position_ += size;
  if (used_ + size <= buffer_.size()) {
    std::memcpy(buffer_.data() + used_, data, size);
    used_ += size;
    return true;
  }
  if (!Flush()) return false;
  if (size >= buffer_.size()) {
    if (!WriteAll(fd_.get(), data, size)) failed_ = true;
    return !failed_;
  }
  std::memcpy(buffer_.data(), data, size);
  used_ = size;
  return true;
}

bool TZipOutput::Patch(uint64_t offset, const QByteArray& bytes) {
  if (failed_ || !fd_ || offset + uint64_t(bytes.size()) > position_) return false;
  const uint64_t buffered = position_ - used_;
  if (offset >= buffered) {
    std::memcpy(buffer_.data() + (offset - buffered), bytes.constData(), size_t(bytes.size()));
    return true;
  }
  if (offset + uint64_t(bytes.size()) > buffered && !Flush()) return false;
  if (!WriteAllAt(fd_.get(), bytes.constData(), size_t(bytes.size()), offset)) failed_ = true;
  return !failed_;
}

bool TZipOutput::TruncateTo(uint64_t offset) {
  if (failed_ || !fd_ || offset > position_) return false;
  const uint64_t buffered = position_ - used_;
  if (offset >= buffered) {
    used_ = size_t(offset - buffered);
    position_ = offset;
    return true;
  }
  used_ = 0;
  if (::ftruncate(fd_.get(), off_t(offset)) != 0 || ::lseek(fd_.get(), off_t(offset), SEEK_SET) < 0) {
    failed_ = true;
    return false;
  }
  position_ = offset;
  return true;
}

bool TZipOutput::Commit() {
  if (!Flush() || !fd_.close()) {
    Abandon();
    return false;
  }
  if (!file_ || !file_->PutInPlace()) {
    Abandon();
    return false;
  }
  file_.reset();
  return true;
}

void TZipOutput::Abandon() {
  fd_.reset();
  file_.reset();
}
