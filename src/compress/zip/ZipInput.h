#pragma once
// An archive opened for reading: positioned reads through a read-ahead buffer, so that the many
// small records and entries of an archive cost few system calls.
#include <QString>

#include <cstdint>
#include <vector>

#include "compress/zip/ZipFileHandle.h"

class TZipInput {
 public:
  bool Open(const QString& path);
  uint64_t size() const { return size_; }
  // Exactly `length` bytes at `position`; false on a read error or past the end.
  bool Read(uint64_t position, char* data, size_t length);

 private:
  TFileDescriptor fd_;
  uint64_t size_ = 0;
  std::vector<char> buffer_;
  uint64_t bufferStart_ = 0;
  size_t bufferFill_ = 0;
};
