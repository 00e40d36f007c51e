#include "compress/common/ExtractedTree.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "util/DirHandle.h"
#include "util/FileDescriptor.h"
#include "util/NativePath.h"

namespace {

constexpr mode_t kOwnerFile = S_IRUSR | S_IWUSR;
constexpr mode_t kOwnerFolder = S_IRWXU;

// The names in a folder, read before anything in it changes.
bool Names(int folderFd, std::vector<std::string>& names) {
  // The descriptor is handed to the directory stream, which closes it.
  const int own = ::dup(folderFd);
  if (own < 0) return false;
  TDirHandle dir(::fdopendir(own));
  if (!dir) {
    ::close(own);
    return false;
  }
  errno = 0;
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
    errno = 0;
  }
  return errno == 0;
}

// Copies what is left to read from `in` into `out`.
bool CopyRest(QFile& in, QFile& out) {
  constexpr qint64 kBlock = 1 << 20;
  while (!in.atEnd()) {
    const QByteArray block = in.read(kBlock);
    if (block.isEmpty() || out.write(block) != block.size()) return false;
  }
  return out.flush();
}

// Puts a new file, filled by `fill`, in the place of the folder's entry `name`.
bool ReplaceWithFile(int folderFd, const std::string& name, const std::function<bool(QFile& out)>& fill) {
  std::string temporary;
  TFileDescriptor fd;
  for (int attempt = 0; attempt < 100 && !fd; ++attempt) {
    temporary = name + ".hm-settle-" + std::to_string(QRandomGenerator::global()->generate());
    fd = TFileDescriptor(
        ::openat(folderFd, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644));
    if (!fd && errno != EEXIST) return false;
  }
  if (!fd) return false;
  QFile out;
  const bool written = out.open(fd.get(), QIODevice::WriteOnly) && fill(out) && out.flush() && fd.close();
  if (!written || ::renameat(folderFd, temporary.c_str(), folderFd, name.c_str()) != 0) {
    ::unlinkat(folderFd, temporary.c_str(), 0);
    return false;
  }
  return true;
}

bool ReplaceWithText(int folderFd, const std::string& name, const std::string& text) {
  return ReplaceWithFile(folderFd, name,
                         [&text](QFile& out) { return out.write(text.data(), qint64(text.size())) == qint64(text.size()); });
}

// A copy of a file with several names takes the place of this name.
bool MakeOwnCopy(int folderFd, const std::string& name) {
  const TFileDescriptor in(::openat(folderFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
  if (!in) return false;
  QFile source;
  if (!source.open(in.get(), QIODevice::ReadOnly)) return false;
  return ReplaceWithFile(folderFd, name, [&source](QFile& out) { return CopyRest(source, out); });
}

class TSettler {
 public:
  explicit TSettler(TExtractLedger& ledger) : ledger_(ledger) {}

  void Folder(int folderFd, const QString& relative) {
    std::vector<std::string> names;
    if (!Names(folderFd, names)) {
      ledger_.Refuse(relative.isEmpty() ? QStringLiteral(".") : relative, QStringLiteral("cannot be read"));
      return;
    }
    for (const std::string& name : names) Entry(folderFd, name, relative + FromNativePath(name));
  }

 private:
  void Entry(int folderFd, const std::string& name, const QString& relative) {
    struct stat st {};
    if (::fstatat(folderFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
      if (errno != ENOENT) ledger_.Refuse(relative, QStringLiteral("cannot be read"));
      return;
    }
    if (S_ISDIR(st.st_mode)) {
      // Entered only once its owner may: a folder unpacked with mode 000 could not be cleaned.
      if ((st.st_mode & kOwnerFolder) != kOwnerFolder)
        ::fchmodat(folderFd, name.c_str(), (st.st_mode & 07777) | kOwnerFolder, 0);
      TFileDescriptor sub(::openat(folderFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
      if (!sub) {
        ledger_.Refuse(relative, QStringLiteral("cannot be read"));
        return;
      }
      Folder(sub.get(), relative + '/');
    } else if (S_ISREG(st.st_mode)) {
      // Before any copy: a file unpacked with mode 000 could not be read for one.
      const mode_t mode = (st.st_mode & 07777) | kOwnerFile;
      if (mode != (st.st_mode & 07777)) ::fchmodat(folderFd, name.c_str(), mode, 0);
      if (st.st_nlink > 1) {
        // Past the reserve the ledger stops, which fails the extraction; the names stay shared.
        if (!ledger_.ReserveSpace(quint64(st.st_size))) return;
        if (!MakeOwnCopy(folderFd, name)) {
          ledger_.Refuse(relative, QStringLiteral("a file of several names that cannot be copied"));
          return;
        }
        ::fchmodat(folderFd, name.c_str(), mode, 0);  // the copy's own
      }
    } else if (S_ISLNK(st.st_mode)) {
      std::string target(size_t(st.st_size > 0 ? st.st_size : PATH_MAX) + 1, '\0');
      const ssize_t length = ::readlinkat(folderFd, name.c_str(), target.data(), target.size());
      if (length < 0 || !ReplaceWithText(folderFd, name, target.substr(0, size_t(length)))) {
        ::unlinkat(folderFd, name.c_str(), 0);
        ledger_.Refuse(relative, QStringLiteral("a link that cannot be replaced"));
        return;
      }
      ledger_.Convert(relative, QStringLiteral("a link, now a file holding its target"));
    } else {
      ::unlinkat(folderFd, name.c_str(), 0);
      ledger_.Refuse(relative, QStringLiteral("a device, pipe or socket"));
    }
  }

  TExtractLedger& ledger_;
};

quint64 BytesIn(int folderFd) {
  std::vector<std::string> names;
  if (!Names(folderFd, names)) return 0;
  quint64 bytes = 0;
  for (const std::string& name : names) {
    struct stat st {};
    if (::fstatat(folderFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (S_ISREG(st.st_mode)) {
      bytes += quint64(st.st_size);
    } else if (S_ISDIR(st.st_mode)) {
      const TFileDescriptor sub(::openat(folderFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
      if (sub) bytes += BytesIn(sub.get());
    }
  }
  return bytes;
}

}  // namespace

void SettleExtractedTree(const QString& dir, TExtractLedger& ledger) {
  const std::string root = NativePath(dir);
  struct stat st {};
  if (::lstat(root.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return;
  if ((st.st_mode & kOwnerFolder) != kOwnerFolder) ::chmod(root.c_str(), (st.st_mode & 07777) | kOwnerFolder);
  const TFileDescriptor fd(::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (!fd) {
    ledger.Refuse(QStringLiteral("."), QStringLiteral("cannot be read"));
    return;
  }
  TSettler(ledger).Folder(fd.get(), QString());
}

quint64 BytesBelow(const QString& dir) {
  const TFileDescriptor fd(::open(NativePath(dir).c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  return fd ? BytesIn(fd.get()) : 0;
}
