#pragma once
// A POSIX file descriptor owned by one object, and the whole-buffer read and write loops the
// engine's streams are built on.
#include <QString>

#include <cstddef>
#include <cstdint>
#include <string>

class TFileDescriptor {
 public:
  TFileDescriptor() = default;
  explicit TFileDescriptor(int fd) : fd_(fd) {}
  TFileDescriptor(TFileDescriptor&& other) noexcept : fd_(other.release()) {}
  TFileDescriptor& operator=(TFileDescriptor&& other) noexcept;
  TFileDescriptor(const TFileDescriptor&) = delete;
  TFileDescriptor& operator=(const TFileDescriptor&) = delete;
  ~TFileDescriptor() { reset(); }

  int get() const { return fd_; }
  explicit operator bool() const { return fd_ >= 0; }
  int release();
  void reset();
  // Closes and reports whether the close succeeded (a delayed write error shows up here).
  bool close();

 private:
  int fd_ = -1;
};

// The file-system form of a path (Linux paths are bytes; Qt decodes them as UTF-8).
inline std::string NativePath(const QString& path) { return path.toUtf8().toStdString(); }

TFileDescriptor OpenForReading(const std::string& path);
// Reads exactly `size` bytes at `offset`; false on error or end of file.
bool ReadAt(int fd, char* data, size_t size, uint64_t offset);
// Reads up to `size` bytes at `offset`; the count read, or -1 on error.
int64_t ReadSomeAt(int fd, char* data, size_t size, uint64_t offset);
// Writes the whole buffer at the current position; false on error (errno kept).
bool WriteAll(int fd, const char* data, size_t size);
// Writes the whole buffer at `offset` without moving the position.
bool WriteAllAt(int fd, const char* data, size_t size, uint64_t offset);
