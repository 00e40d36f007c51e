#include "app/OutputReservations.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "app/JobLog.h"
#include "compress/common/WorkingNames.h"
#include "util/FileDescriptor.h"
#include "util/NativePath.h"

TOutputReservations::~TOutputReservations() {
  for (const THeld& held : held_) Remove(held);
}

TOutputReservations::THold TOutputReservations::Hold(const QString& path) {
  TWorkingFile working(path, [&](const QString& name) {
    if (notes_) notes_->HoldingOutput(path, name);
  });
  if (!working.created()) return HoldDirectly(path);
  if (!working.LinkInPlace()) {
    const int error = errno;
    return error == EEXIST ? Refused(path, error) : HoldDirectly(path);
  }
  const TFileDescriptor fd = working.TakeDescriptor();
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) {
    ::unlink(NativePath(path).c_str());
    return THold::Unheld;
  }
  held_.push_back({path, st.st_dev, st.st_ino});
  if (notes_) notes_->BeginOutput(path);
  return THold::Held;
}

TOutputReservations::THold TOutputReservations::HoldDirectly(const QString& path) {
  const std::string native = NativePath(path);
  const TFileDescriptor fd(::open(native.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
  struct stat st {};
  if (!fd) return Refused(path, errno);
  if (::fstat(fd.get(), &st) != 0) {
    ::unlink(native.c_str());
    return THold::Unheld;
  }
  held_.push_back({path, st.st_dev, st.st_ino});
  if (notes_) notes_->BeginOutput(path);
  return THold::Held;
}

TOutputReservations::THold TOutputReservations::Refused(const QString& path, int error) {
  struct stat st {};
  // A link (dangling or not) takes the name as a file does; a folder does not.
  if (error == EEXIST && !(::lstat(NativePath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode)))
    return THold::Taken;
  qCInfo(lcJob) << "cannot hold the output name" << path << ":" << std::strerror(error);
  return THold::Unheld;
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
