#include "compress/zip/ZipFileHandle.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

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

namespace {
// Writes until everything is out; a write that makes no progress means the disk is full.
template <typename WriteSome>
bool WriteFully(const char* data, size_t size, WriteSome writeSome) {
  uint64_t done = 0;
  while (size > 0) {
    const ssize_t n = writeSome(data, size, done);
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
    done += uint64_t(n);
  }
  return true;
}
}  // namespace

bool WriteAll(int fd, const char* data, size_t size) {
  return WriteFully(data, size, [fd](const char* d, size_t n, uint64_t) { return ::write(fd, d, n); });
}

bool WriteAllAt(int fd, const char* data, size_t size, uint64_t offset) {
  return WriteFully(data, size, [fd, offset](const char* d, size_t n, uint64_t done) {
    return ::pwrite(fd, d, n, off_t(offset + done));
  });
}
