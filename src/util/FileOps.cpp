#include "util/FileOps.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "util/FileMask.h"
#include "util/NativePath.h"
#include "util/PathSeparators.h"

namespace fs = std::filesystem;

namespace {

bool Exists(const fs::path& path) {
  std::error_code ec;
  return fs::symlink_status(path, ec).type() != fs::file_type::not_found && !ec;
}

bool IsRealDirectory(const fs::path& path) {
  std::error_code ec;
  return fs::symlink_status(path, ec).type() == fs::file_type::directory;
}

bool HasWildcard(const QString& name) { return name.contains(u'*') || name.contains(u'?'); }

// The entries a source path stands for: itself when it exists; else, when its last component
// holds a wildcard, the matching entries of its folder (files and folders alike, hidden ones
// too). False when neither.
bool Expand(const QString& source, std::vector<fs::path>* entries) {
  const fs::path path = FileSystemPath(source);
  if (Exists(path)) {
    entries->push_back(path);
    return true;
  }
  const qsizetype slash = source.lastIndexOf(u'/');
  const QString mask = source.mid(slash + 1);
  if (!HasWildcard(mask)) return false;
  const fs::path folder = FileSystemPath(slash < 0    ? QStringLiteral(".")
                                 : slash == 0 ? QStringLiteral("/")
                                              : source.left(slash));
  // The folder named by the caller may itself be a link (a user's folder); what lies in it is
  // never followed.
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) return false;
  // On Windows "*.*" also takes names without a dot.
  const TFileMask fileMask(mask == u"*.*" ? QStringLiteral("*") : mask);
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec)) {
    if (fileMask.Matches(FromFileSystemPath(entry.path().filename()))) entries->push_back(entry.path());
  }
  return !ec;
}

// Whether `inner` is `outer` or lies below it, after resolving links and dot components.
bool IsSameOrInside(const fs::path& inner, const fs::path& outer) {
  std::error_code ec;
  const fs::path a = fs::weakly_canonical(inner, ec);
  if (ec) return false;
  const fs::path b = fs::weakly_canonical(outer, ec);
  if (ec) return false;
  const std::string& as = a.native();
  const std::string& bs = b.native();
  return as == bs || (as.size() > bs.size() && as.compare(0, bs.size(), bs) == 0 &&
                      (bs.back() == '/' || as[bs.size()] == '/'));
}

void CopyTimes(const fs::path& source, const fs::path& target) {
  struct stat st;
  if (::lstat(source.c_str(), &st) != 0) return;
  const timespec times[2] = {st.st_atim, st.st_mtim};
  utimensat(AT_FDCWD, target.c_str(), times, AT_SYMLINK_NOFOLLOW);
}

// Removes a file or link standing where a copy must go; a folder there is an error.
bool ClearTarget(const fs::path& target) {
  std::error_code ec;
  const fs::file_status st = fs::symlink_status(target, ec);
  if (st.type() == fs::file_type::not_found) return true;
  if (st.type() == fs::file_type::directory) return false;
  return fs::remove(target, ec) && !ec;
}

bool CopyLink(const fs::path& source, const fs::path& target) {
  std::error_code ec;
  const fs::path linkTarget = fs::read_symlink(source, ec);
  if (ec || !ClearTarget(target)) return false;
  fs::create_symlink(linkTarget, target, ec);
  if (ec) return false;
  CopyTimes(source, target);
  return true;
}

// An existing target is replaced only once the copy is complete, so a failed copy (full disk)
// never costs the file that was there.
bool CopyRegularFile(const fs::path& source, const fs::path& target) {
  std::error_code ec;
  const fs::file_status st = fs::symlink_status(target, ec);
  if (st.type() == fs::file_type::directory) return false;
  const bool replace = st.type() != fs::file_type::not_found;
  fs::path temporary = target;
  if (replace) temporary += ".hm-copy-" + std::to_string(::getpid());
  fs::remove(temporary, ec);
  if (!fs::copy_file(source, temporary, fs::copy_options::overwrite_existing, ec) || ec) {
    fs::remove(temporary, ec);
    return false;
  }
  CopyTimes(source, temporary);
  if (replace && ::rename(temporary.c_str(), target.c_str()) != 0) {
    fs::remove(temporary, ec);
    return false;
  }
  return true;
}

bool CopyEntry(const fs::path& source, const fs::path& target);

bool CopyFolder(const fs::path& source, const fs::path& target) {
  if (IsSameOrInside(target, source)) return false;
  std::error_code ec;
  if (!IsRealDirectory(target)) {
    if (!ClearTarget(target)) return false;
    if (!fs::create_directory(target, ec) || ec) return false;
  }
  bool ok = true;
  fs::directory_iterator it(source, ec);
  if (ec) return false;
  for (const fs::directory_entry& entry : it)
    ok = CopyEntry(entry.path(), target / entry.path().filename()) && ok;
  // Folder permissions are kept, but the owner may always change the copy's content, as on
  // Windows where a read-only folder does not protect what is in it.
  struct stat st;
  if (::lstat(source.c_str(), &st) == 0) ::chmod(target.c_str(), (st.st_mode & 07777) | S_IRWXU);
  CopyTimes(source, target);
  return ok;
}

bool CopyEntry(const fs::path& source, const fs::path& target) {
  std::error_code ec;
  switch (fs::symlink_status(source, ec).type()) {
    case fs::file_type::directory:
      return CopyFolder(source, target);
    case fs::file_type::regular:
      return CopyRegularFile(source, target);
    case fs::file_type::symlink:
      return CopyLink(source, target);
    default:
      // Devices, pipes and sockets are not content; reading a pipe would block forever.
      return false;
  }
}

// Gives the owner full rights on every folder of the tree, without following links, so that a
// read-only folder does not keep its content from being deleted.
void MakeFoldersWritable(const fs::path& folder) {
  struct stat st;
  if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return;
  ::chmod(folder.c_str(), (st.st_mode & 07777) | S_IRWXU);
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec))
    MakeFoldersWritable(entry.path());
}

bool RemoveEntry(const fs::path& path) {
  std::error_code ec;
  // remove_all never follows links: a link is removed, its target stays.
  fs::remove_all(path, ec);
  if (ec && IsRealDirectory(path)) {
    MakeFoldersWritable(path);
    ec.clear();
    fs::remove_all(path, ec);
  }
  return !ec && !Exists(path);
}

QString LowerAscii(QString text) {
  for (QChar& c : text)
    if (c >= u'A' && c <= u'Z') c = QChar(c.unicode() + 32);
  return text;
}

}  // namespace

bool CopyPath(const QString& source, const QString& target) {
  const QString from = WithoutTrailingSeparators(source);
  if (from.isEmpty() || target.isEmpty()) return false;
  const bool targetIsFolder = target.endsWith(u'/');
  const fs::path to = FileSystemPath(WithoutTrailingSeparators(target));
  const fs::path fromPath = FileSystemPath(from);
  if (Exists(fromPath)) {
    const fs::path destination = (targetIsFolder || IsRealDirectory(to)) ? to / fromPath.filename() : to;
    std::error_code ec;
    fs::create_directories(destination.parent_path(), ec);
    return CopyEntry(fromPath, destination);
  }
  std::vector<fs::path> entries;
  if (!Expand(from, &entries)) return false;
  std::error_code ec;
  if (!IsRealDirectory(to) && (!fs::create_directories(to, ec) || ec)) return false;
  bool ok = true;
  for (const fs::path& entry : entries) ok = CopyEntry(entry, to / entry.filename()) && ok;
  return ok;
}

bool DeletePath(const QString& path) {
  const QString target = WithoutTrailingSeparators(path);
  if (target.isEmpty() || target == u"/") return false;
  std::vector<fs::path> entries;
  if (!Expand(target, &entries)) return false;
  bool ok = true;
  for (const fs::path& entry : entries) ok = RemoveEntry(entry) && ok;
  return ok;
}

bool EmptyFolder(const QString& path) {
  const fs::path folder = FileSystemPath(WithoutTrailingSeparators(path));
  if (!IsRealDirectory(folder)) return false;
  std::error_code ec;
  std::vector<fs::path> entries;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec)) entries.push_back(entry.path());
  bool ok = !ec;
  for (const fs::path& entry : entries) ok = RemoveEntry(entry) && ok;
  return ok;
}

bool RenamePath(const QString& oldPath, const QString& newPath) {
  if (oldPath == newPath) return false;
  const std::string from = NativePath(WithoutTrailingSeparators(oldPath));
  const std::string to = NativePath(WithoutTrailingSeparators(newPath));
  if (from.empty() || to.empty()) return false;
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno == EEXIST) {
    // On a case-insensitive file system a change of case finds the entry itself.
    struct stat a;
    struct stat b;
    const bool same = ::lstat(from.c_str(), &a) == 0 && ::lstat(to.c_str(), &b) == 0 &&
                      a.st_dev == b.st_dev && a.st_ino == b.st_ino;
    return same && ::rename(from.c_str(), to.c_str()) == 0;
  }
  if (errno != EINVAL && errno != ENOSYS) return false;
  // The file system cannot refuse replacing by itself (NFS). A hard link or a folder made there
  // holds the name exclusively, even against another machine; only then is the entry moved.
  struct stat st;
  if (::lstat(from.c_str(), &st) != 0) return false;
  if (!S_ISDIR(st.st_mode)) {
    if (::link(from.c_str(), to.c_str()) == 0) {
      if (::unlink(from.c_str()) == 0) return true;
      ::unlink(to.c_str());
      return false;
    }
    if (errno != EPERM && errno != EOPNOTSUPP) return false;
  } else if (::mkdir(to.c_str(), 0700) == 0) {
    // A rename may replace an empty folder; a folder someone filled meanwhile stays.
    if (::rename(from.c_str(), to.c_str()) == 0) return true;
    ::rmdir(to.c_str());
    return false;
  } else if (errno == EEXIST) {
    return false;
  }
  // No hard links either (FAT): the name is checked, then taken.
  if (::lstat(to.c_str(), &st) == 0) return false;
  return ::rename(from.c_str(), to.c_str()) == 0;
}

qint64 GetFileSize64(const QString& path) {
  struct stat st;
  if (path.isEmpty() || ::stat(NativePath(path).c_str(), &st) != 0 || S_ISDIR(st.st_mode))
    return 0;
  return st.st_size;
}

QString SizeText(qint64 size, const QLocale& locale) {
  QLocale plain = locale;
  plain.setNumberOptions(QLocale::OmitGroupSeparator);
  double value = static_cast<double>(static_cast<quint64>(size)) / 1024.0;
  const char* unit = "KB";
  if (value >= 1024) {
    value /= 1024;
    unit = "MB";
    if (value >= 1024) {
      value /= 1024;
      unit = "GB";
    }
  }
  return plain.toString(value, 'f', 2) + QLatin1String(unit);
}

QString SizeText(qint64 size) { return SizeText(size, QLocale()); }

QString FileSizeText(const QString& path) { return SizeText(GetFileSize64(path)); }

bool IsValidFileName(const QString& name) {
  if (name.isEmpty()) return false;
  static const QString kReserved = QStringLiteral("|aux|com1|com2|prn|con|nul|");
  const QString lower = LowerAscii(name);
  if (kReserved.contains(u'|' + lower + u'|')) return false;
  const qsizetype dot = lower.lastIndexOf(u'.');
  if (dot >= 0 && kReserved.contains(u'|' + lower.left(dot) + u'|')) return false;
  static const QString kForbidden = QStringLiteral("\"*/:<>?\\|");
  for (const QChar c : name)
    if (c.unicode() <= 0xFF && kForbidden.contains(c)) return false;
  return !name.endsWith(u'.');
}

QString FileNamePart(const QString& path) { return path.mid(path.lastIndexOf(u'/') + 1); }

QString FileNameWithoutExt(const QString& path) {
  const QString name = FileNamePart(path);
  const qsizetype dot = name.lastIndexOf(u'.');
  return dot < 0 ? name : name.left(dot);
}

QString FileExtension(const QString& path) {
  const QString name = FileNamePart(path);
  const qsizetype dot = name.lastIndexOf(u'.');
  return dot < 0 ? QString() : name.mid(dot);
}

QString FolderPart(const QString& path) { return path.left(path.lastIndexOf(u'/') + 1); }

QString CollapseDoubledSeparators(const QString& path) {
  QString out;
  out.reserve(path.size());
  for (qsizetype i = 0; i < path.size(); ++i) {
    out += path[i];
    if (path[i] == u'/' && i + 1 < path.size() && path[i + 1] == u'/') ++i;
  }
  return out;
}
