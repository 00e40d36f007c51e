#include "util/PackableFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "util/DirHandle.h"
#include "util/DiskNames.h"
#include "util/NativePath.h"
#include "util/PathSeparators.h"

namespace {

struct TChild {
  QByteArray name;
  bool isFolder = false;
};

QByteArray RealPath(const QByteArray& path) {
  char resolved[PATH_MAX];
  return ::realpath(path.constData(), resolved) ? QByteArray(resolved) : QByteArray();
}

class TWalk {
 public:
  // folderLinks, when given, receives the links to folders met on the way.
  TWalk(QByteArray root, bool recursive, std::vector<QByteArray>* folderLinks = nullptr)
      : root_(std::move(root)), recursive_(recursive), folderLinks_(folderLinks) {
    realRoot_ = RealPath(root_);
  }

  bool Folder(const QByteArray& path, const QString& relative, std::vector<TPackableFile>& files) const {
    std::vector<TChild> children;
    if (!Children(path, children)) return false;
    std::sort(children.begin(), children.end(), [](const TChild& a, const TChild& b) {
      return a.isFolder != b.isFolder ? a.isFolder : a.name < b.name;
    });
    for (const TChild& child : children) {
      const QByteArray childPath = path + '/' + child.name;
      const QString name = relative + DecodeDiskName(child.name);
      if (!child.isFolder)
        files.push_back({childPath, name});
      else if (recursive_ && !Folder(childPath, name + '/', files))
        return false;
    }
    return true;
  }

 private:
  bool Children(const QByteArray& path, std::vector<TChild>& children) const {
    TDirHandle dir(::opendir(path.constData()));
    if (!dir) return false;
    const int dirFd = dirfd(dir.get());
    errno = 0;
    while (const dirent* entry = ::readdir(dir.get())) {
      const char* name = entry->d_name;
      if (std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0) {
        struct stat st;
        if (::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
          if (errno != ENOENT) return false;  // ENOENT: removed while we looked
        } else if (S_ISDIR(st.st_mode)) {
          children.push_back({name, true});
        } else if (S_ISREG(st.st_mode)) {
          children.push_back({name, false});
        } else if (S_ISLNK(st.st_mode)) {
          Link(path + '/' + name, name, children);
        }
      }
      errno = 0;
    }
    return errno == 0;
  }

  // A link to a file inside the folder is that file; a link to a folder is only noted.
  void Link(const QByteArray& link, const char* name, std::vector<TChild>& children) const {
    struct stat st;
    if (::stat(link.constData(), &st) != 0) return;
    if (S_ISDIR(st.st_mode)) {
      if (folderLinks_) folderLinks_->push_back(link);
    } else if (S_ISREG(st.st_mode) && !realRoot_.isEmpty() && RealPath(link).startsWith(realRoot_ + '/')) {
      children.push_back({name, false});
    }
  }

  QByteArray root_;
  QByteArray realRoot_;
  bool recursive_;
  std::vector<QByteArray>* folderLinks_;
};

// Walks the folder as a packing does; nothing when it is not a folder, nullopt when a folder
// below cannot be read.
std::optional<std::vector<TPackableFile>> Walk(const QString& folder, bool recursive,
                                               std::vector<QByteArray>* folderLinks) {
  const QByteArray root = QByteArray::fromStdString(NativePath(WithoutTrailingSeparators(folder)));
  std::vector<TPackableFile> files;
  struct stat st;
  if (::stat(root.constData(), &st) != 0 || !S_ISDIR(st.st_mode)) return files;
  if (!TWalk(root, recursive, folderLinks).Folder(root, QString(), files)) return std::nullopt;
  return files;
}

}  // namespace

std::optional<std::vector<TPackableFile>> ListPackableFiles(const QString& folder, bool recursive) {
  return Walk(folder, recursive, nullptr);
}

std::optional<std::vector<QByteArray>> ListFolderLinks(const QString& folder) {
  std::vector<QByteArray> links;
  if (!Walk(folder, true, &links)) return std::nullopt;
  return links;
}
