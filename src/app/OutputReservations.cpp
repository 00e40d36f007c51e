#include "app/OutputReservations.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "app/JobLog.h"
#include "util/FileDescriptor.h"
#include "util/NativePath.h"

TOutputReservations::~TOutputReservations() {
  for (const THeld& held : held_) Remove(held);
}

TOutputReservations::THold TOutputReservations::Hold(const QString& path) {
  const std::string native = NativePath(path);
  const TFileDescriptor fd(::open(native.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
  struct stat st {};
  if (!fd) {
    const int error = errno;
    // A link (dangling or not) takes the name as a file does; a folder does not.
    if (error == EEXIST && !(::lstat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode))) return THold::Taken;
    qCInfo(lcJob) << "cannot hold the output name" << path << ":" << std::strerror(error);
    return THold::Unheld;
  }
  if (::fstat(fd.get(), &st) != 0) {
    ::unlink(native.c_str());
    return THold::Unheld;
  }
  held_.push_back({path, st.st_dev, st.st_ino});
  return THold::Held;
}

void TOutputReservations::LetGo(const QString& path) {
  const auto at = std::find_if(held_.begin(), held_.end(), [&path](const THeld& h) { return h.path == path; });
  if (at == held_.end()) return;
  Remove(*at);
  held_.erase(at);
}

void TOutputReservations::Remove(const THeld& held) {
  const std::string native = NativePath(held.path);
  struct stat st {};
  if (::lstat(native.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_dev == held.device &&
      st.st_ino == held.inode && st.st_size == 0)
    ::unlink(native.c_str());
}
