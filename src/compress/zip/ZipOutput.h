#pragma once
// The archive being written: a file under a working name beside the target, filled through a
// large buffer, renamed onto the target only when complete. Until then the target is untouched, and an
// output that is abandoned (an error, a full disk) is removed.
#include <QString>

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "compress/common/WorkingNames.h"
#include "compress/zip/ZipFileHandle.h"

class TZipOutput {
 public:
  TZipOutput() = default;
  TZipOutput(const TZipOutput&) = delete;
  TZipOutput& operator=(const TZipOutput&) = delete;
  ~TZipOutput();

  // Creates the working file in the target's folder. False when that folder is not writable.
  bool Open(const QString& target);
  bool Write(const char* data, size_t size);
  bool Write(const QByteArray& bytes) { return Write(bytes.constData(), size_t(bytes.size())); }
  uint64_t Position() const { return position_; }
  // Overwrites bytes already written (a header whose sizes are known only after the data).
  bool Patch(uint64_t offset, const QByteArray& bytes);
  // Drops everything from `offset` on, so an entry can be written again.
  bool TruncateTo(uint64_t offset);
  // Flushes, closes and renames the file onto the target.
  bool Commit();

  // Device and inode of the working file, so a walk of the sources can leave it out.
  dev_t device() const { return device_; }
  ino_t inode() const { return inode_; }

 private:
  bool Flush();
  void Abandon();

  std::optional<TWorkingFile> file_;
  TFileDescriptor fd_;
  std::vector<char> buffer_;
  size_t used_ = 0;
  uint64_t position_ = 0;  // logical size: flushed bytes plus buffered ones
  bool failed_ = false;
  dev_t device_ = 0;
  ino_t inode_ = 0;
};
