#pragma once
// A POSIX file descriptor owned by one object: closed when the object goes, on every path.
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
  // Gives the descriptor up without closing it.
  int release();
  // Closes it, if any, and owns `fd` instead.
  void reset(int fd = -1);
  // Closes and reports whether the close succeeded (a delayed write error, a full disk, shows up
  // here).
  bool close();

 private:
  int fd_ = -1;
};
