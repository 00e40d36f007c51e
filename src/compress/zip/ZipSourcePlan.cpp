#include "compress/zip/ZipSourcePlan.h"

#include <dirent.h>
#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#include "compress/zip/ZipFileHandle.h"
#include "util/DirHandle.h"
#include "util/DiskNames.h"
#include "util/FileMask.h"
#include "util/FileOps.h"

struct TZipSourcePlan::TChild {
  std::string name;  // bytes as the file system has them
  struct stat st;
  bool isFolder;
};

namespace {

bool IsMask(const QString& s) { return s.isEmpty() || s.contains('*') || s.contains('?'); }

// Null for a mask that takes every name.
std::unique_ptr<TFileMask> MakeMatcher(const QString& mask) {
  if (mask.isEmpty() || mask == QLatin1String("*")) return nullptr;
  auto matcher = std::make_unique<TFileMask>(mask);
  if (matcher->MatchesEverything()) return nullptr;
  return matcher;
}

QString ErrnoText() { return QString::fromLocal8Bit(std::strerror(errno)); }

}  // namespace

bool TZipSourcePlan::Build(const QStringList& patterns) {
  roots_.clear();
  for (const QString& p : patterns) roots_ << FolderPart(p);
  for (const QString& pattern : patterns) {
    const QString folder = FolderPart(pattern);
    const QString rest = pattern.mid(folder.size());
    if (IsMask(rest)) {
      std::unique_ptr<TFileMask> matcher;
      try {
        matcher = MakeMatcher(rest);
      } catch (const EMaskException& e) {
        error_ = e.Message();
        return false;
      }
      if (!WalkFolder(NativePath(folder), folder, matcher.get())) return false;
      continue;
    }
    struct stat st {};
    const std::string path = NativePath(pattern);
    if (::stat(path.c_str(), &st) != 0) continue;  // a missing source adds nothing
    if (S_ISDIR(st.st_mode)) {
      Add({path, RelativeFolder(folder) + rest + '/', true, 0, st.st_mtim.tv_sec, st.st_mode});
      if (!WalkFolder(path + '/', pattern + '/', nullptr)) return false;
    } else if (S_ISREG(st.st_mode)) {
      AddFile(folder, rest, path, st);
    }
  }
  return true;
}

bool TZipSourcePlan::WalkFolder(const std::string& native, const QString& folder, const TFileMask* matcher) {
  std::vector<TChild> children;
  {
    TDirHandle dir(::opendir(native.empty() ? "." : native.c_str()));
    if (!dir) {
      if (errno == ENOENT || errno == ENOTDIR) return true;
      error_ = folder + ": " + ErrnoText();
      return false;
    }
    const int dirFd = dirfd(dir.get());
    for (;;) {
      errno = 0;  // readdir's only way to tell an error from the end; a skipped entry may leave one
      const dirent* d = ::readdir(dir.get());
      if (!d) break;
      const char* name = d->d_name;
      if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
      TChild child{name, {}, false};
      if (::fstatat(dirFd, name, &child.st, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno == ENOENT) continue;  // removed while we looked
        error_ = folder + DecodeDiskName(name) + ": " + ErrnoText();
        return false;
      }
      if (S_ISLNK(child.st.st_mode)) {
        // Only linked files are taken, with their content; see the class comment.
        if (::fstatat(dirFd, name, &child.st, 0) != 0 || !S_ISREG(child.st.st_mode)) continue;
      }
      child.isFolder = S_ISDIR(child.st.st_mode);
      if (child.isFolder || S_ISREG(child.st.st_mode)) children.push_back(std::move(child));
    }
    if (errno != 0) {
      error_ = folder + ": " + ErrnoText();
      return false;
    }
  }
  std::sort(children.begin(), children.end(), [](const TChild& a, const TChild& b) {
    return a.isFolder != b.isFolder ? !a.isFolder : a.name < b.name;
  });
  for (const TChild& child : children) {
    const QString name = DecodeDiskName(QByteArray::fromStdString(child.name));
    const std::string path = native + child.name;
    if (!child.isFolder) {
      if (!matcher || matcher->Matches(name)) AddFile(folder, name, path, child.st);
      continue;
    }
    Add({path, RelativeFolder(folder) + name + '/', true, 0, child.st.st_mtim.tv_sec, child.st.st_mode});
    if (!WalkFolder(path + '/', folder + name + '/', matcher)) return false;
  }
  return true;
}

void TZipSourcePlan::AddFile(const QString& folder, const QString& name, const std::string& path,
                             const struct stat& st) {
  if (excluded_.count({st.st_dev, st.st_ino})) return;
  Add({path, RelativeFolder(folder) + name, false, uint64_t(st.st_size), st.st_mtim.tv_sec, st.st_mode});
}

void TZipSourcePlan::Add(TZipSource source) {
  const auto it = byName_.constFind(source.entryName);
  if (it == byName_.constEnd()) {
    byName_.insert(source.entryName, sources_.size());
    sources_.push_back(std::move(source));
  } else if (!source.isFolder) {
    sources_[*it] = std::move(source);
  }
}

QString TZipSourcePlan::RelativeFolder(const QString& folder) const {
  for (const QString& root : roots_)
    if (folder.startsWith(root, Qt::CaseInsensitive)) return folder.mid(root.size());
  QString relative = folder;
  while (relative.startsWith('/')) relative.remove(0, 1);
  return relative;
}
