#include "watch/InboxScan.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include <algorithm>
#include <filesystem>

#include "util/DirHandle.h"
#include "util/FileDescriptor.h"
#include "util/NativePath.h"

namespace {

qint64 Nanoseconds(const struct timespec& t) { return qint64(t.tv_sec) * 1000000000 + t.tv_nsec; }

qint64 NewestChange(const struct stat& st) {
  return std::max(Nanoseconds(st.st_mtim), Nanoseconds(st.st_ctim));
}

}  // namespace

std::optional<QStringList> ArrivalNames(const QString& folder) {
  const TDirHandle dir(::opendir(NativePath(folder).c_str()));
  if (!dir) return std::nullopt;
  QStringList names;
  while (const dirent* entry = ::readdir(dir.get())) {
    const QString name = FromNativePath(entry->d_name);
    if (IsArrivalName(name)) names << name;
  }
  return names;
}

std::optional<TEntrySignature> LookAt(const QString& path) {
  const std::string native = NativePath(path);
  struct stat st {};
  if (::lstat(native.c_str(), &st) != 0) return std::nullopt;
  TEntrySignature signature;
  signature.inode = st.st_ino;
  signature.newestChangeNs = NewestChange(st);
  if (!S_ISDIR(st.st_mode)) {
    signature.kind = S_ISREG(st.st_mode) ? TEntrySignature::TKind::File : TEntrySignature::TKind::Other;
    signature.bytes = st.st_size;
    return signature;
  }
  signature.kind = TEntrySignature::TKind::Folder;
  namespace fs = std::filesystem;
  std::error_code error;
  // An entry that goes while the walk passes is a change the next look sees in its folder's times.
  for (fs::recursive_directory_iterator it(native, fs::directory_options::skip_permission_denied, error), end;
       !error && it != end; it.increment(error)) {
    struct stat below {};
    if (::lstat(it->path().c_str(), &below) != 0) continue;
    ++signature.entries;
    if (!S_ISDIR(below.st_mode)) signature.bytes += below.st_size;
    signature.newestChangeNs = std::max(signature.newestChangeNs, NewestChange(below));
  }
  return signature;
}

std::optional<bool> HasWriters(const QString& path) {
  const std::string native = NativePath(path);
  struct stat st {};
  // Only a regular file is opened: opening a device or a pipe may do something.
  if (::lstat(native.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  const TFileDescriptor fd(::open(native.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  if (!fd || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  if (::fcntl(fd.get(), F_SETLEASE, F_RDLCK) == 0) {
    ::fcntl(fd.get(), F_SETLEASE, F_UNLCK);
    return false;
  }
  if (errno == EAGAIN) return true;
  return std::nullopt;
}

void IgnoreLeaseBreaks() {
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  ::sigaction(SIGIO, &ignore, nullptr);
}
