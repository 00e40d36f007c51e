#include "compress/zip/ZipFileHandle.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

TFileDescriptor& TFileDescriptor::operator=(TFileDescriptor&& other) noexcept {
  if (this != &other) {
    reset();
    fd_ = other.release();
  }
  return *this;
}

int TFileDescriptor::release() {
  const int fd = fd_;
  fd_ = -1;
  return fd;
}

void TFileDescriptor::reset() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

bool TFileDescriptor::close() {
  if (fd_ < 0) return true;
  const int rc = ::close(release());
  return rc == 0 || errno == EINTR;
}

TFileDescriptor OpenForReading(const std::string& path) {
  return TFileDescriptor(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
}

int64_t ReadSomeAt(int fd, char* data, size_t size, uint64_t offset) {
  size_t done = 0;
  while (done < size) {
    const ssize_t n = ::pread(fd, data + done, size - done, off_t(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (n == 0) break;
    done += size_t(n);
  }
  return int64_t(done);
}

bool ReadAt(int fd, char* data, size_t size, uint64_t offset) {
  return ReadSomeAt(fd, data, size, offset) == int64_t(size);
}

bool WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) {
      errno = ENOSPC;
      return false;
    }
    data += n;
    size -= size_t(n);
  }
  return true;
}

bool WriteAllAt(int fd, const char* data, size_t size, uint64_t offset) {
  while (size > 0) {
    const ssize_t n = ::pwrite(fd, data, size, off_t(offset));
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) {
      errno = ENOSPC;
      return false;
    }
    data += n;
    size -= size_t(n);
    offset += uint64_t(n);
  }
  return true;
}
