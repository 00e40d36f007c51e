#include "util/FileDescriptor.h"

#include <unistd.h>

#include <cerrno>

TFileDescriptor& TFileDescriptor::operator=(TFileDescriptor&& other) noexcept {
  if (this != &other) reset(other.release());
  return *this;
}

int TFileDescriptor::release() {
  const int fd = fd_;
  fd_ = -1;
  return fd;
}

void TFileDescriptor::reset(int fd) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = fd;
}

bool TFileDescriptor::close() {
  if (fd_ < 0) return true;
  const int rc = ::close(release());
  // Linux has closed the descriptor even when close() reports EINTR.
  return rc == 0 || errno == EINTR;
}
