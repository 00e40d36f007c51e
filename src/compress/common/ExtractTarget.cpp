#include "compress/common/ExtractTarget.h"

#include <QDir>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "compress/common/EntryPath.h"
#include "util/DiskNames.h"
#include "util/NativePath.h"
#include "util/PathSeparators.h"

TExtractTarget::TExtractTarget(const QString& destDir, TExtractLedger* ledger)
    : destDir_(WithoutTrailingSeparators(destDir)), root_(NativePath(destDir_)), ledger_(ledger) {}

std::optional<std::string> TExtractTarget::PathFor(const QString& entryName) const {
  const auto path = SafeEntryPath(destDir_, entryName);
  if (!path) return std::nullopt;
  return NativePath(*path);
}

bool TExtractTarget::MakeFolder(const std::string& path) {
  std::lock_guard lock(mutex_);
  if (!rootReady_) rootReady_ = QDir().mkpath(destDir_);
  if (!rootReady_) return false;
  if (path == root_) return true;
  if (path.size() <= root_.size() + 1 || path.compare(0, root_.size(), root_) != 0 ||
      path[root_.size()] != '/')
    return false;
  // Each level below the root, outermost first.
  size_t end = root_.size();
  while (end < path.size()) {
    end = path.find('/', end + 1);
    if (end == std::string::npos) end = path.size();
    const std::string level = path.substr(0, end);
    if (checkedFolders_.count(level)) continue;
    struct stat st {};
    if (::lstat(level.c_str(), &st) != 0) {
      if (errno != ENOENT) return false;
      if (::mkdir(level.c_str(), 0777) != 0 && errno != EEXIST) {
        WriteFailed(level, errno);
        return false;
      }
      if (::lstat(level.c_str(), &st) != 0) return false;
    }
    if (!S_ISDIR(st.st_mode)) return false;  // a file, or a link that might lead outside
    checkedFolders_.insert(level);
  }
  return true;
}

bool TExtractTarget::MakeParentFolder(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash != std::string::npos && MakeFolder(path.substr(0, slash));
}

TFileDescriptor TExtractTarget::CreateFile(const std::string& path) {
  const int flags = O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC;
  TFileDescriptor fd(::open(path.c_str(), flags, 0666));
  if (!fd && errno == ELOOP && ::unlink(path.c_str()) == 0)
    fd = TFileDescriptor(::open(path.c_str(), flags, 0666));
  if (!fd) {
    const int error = errno;
    WriteFailed(path, error);
    errno = error;
  }
  return fd;
}

bool TExtractTarget::PrepareFile(const std::string& path) {
  if (!MakeParentFolder(path)) return false;
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) ::unlink(path.c_str());
  return true;
}

void TExtractTarget::GiveOwnerAccess(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return;
  const mode_t needed = S_ISDIR(st.st_mode) ? S_IRWXU : S_ISREG(st.st_mode) ? (S_IRUSR | S_IWUSR) : 0;
  if ((st.st_mode & needed) != needed) ::chmod(path.c_str(), (st.st_mode & 07777) | needed);
}

void TExtractTarget::WriteFailed(const std::string& path, int error) const {
  if (!ledger_) return;
  const bool below = path.size() > root_.size() && path.compare(0, root_.size(), root_) == 0 && path[root_.size()] == '/';
  ledger_->WriteFailed(DecodeDiskPath(QByteArray::fromStdString(below ? path.substr(root_.size() + 1) : path)), error);
}

void TExtractTarget::RememberFolderTime(const std::string& path, int64_t seconds, int64_t nanoseconds) {
  std::lock_guard lock(mutex_);
  folderTimes_.push_back({path, seconds, nanoseconds});
}

void TExtractTarget::ApplyFolderTimes() {
  std::lock_guard lock(mutex_);
  for (const TFolderTime& t : folderTimes_) {
    const timespec times[2] = {{time_t(t.seconds), long(t.nanoseconds)},
                               {time_t(t.seconds), long(t.nanoseconds)}};
    ::utimensat(AT_FDCWD, t.path.c_str(), times, AT_SYMLINK_NOFOLLOW);
  }
  folderTimes_.clear();
}
