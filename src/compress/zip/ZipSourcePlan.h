#pragma once
// What goes into an archive: the files and folders found under the source patterns, each with
// its entry name relative to the first matching root, in the order they are written.
#include <QHash>
#include <QString>
#include <QStringList>

#include <sys/stat.h>
#include <sys/types.h>

#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

class TFileMask;

struct TZipSource {
  std::string path;   // file-system path, read when the entry is written
  QString entryName;  // '/'-separated; folder names end with '/'
  bool isFolder = false;
  uint64_t size = 0;
  int64_t mtimeSeconds = 0;
  uint32_t mode = 0;  // st_mode
};

// Patterns are "folder/*" (the folder searched recursively for names matching the mask), a file
// path, or a folder path. A pattern's folder part (up to its last '/') is a relative-path root;
// each name is made relative to the first root, in list order, that is a prefix of its folder
// (without regard to case). Names on disk are read by DecodeDiskName. A missing source
// contributes nothing. Files reached through a
// symbolic link are stored with the content they point to; linked folders are not entered (no
// cycles, no leaving the tree), dangling links and special files are left out. When two sources
// give the same name, the later one replaces the earlier one, as a second add into an archive
// does.
class TZipSourcePlan {
 public:
  // Leaves the file with this device and inode out (the archive being written).
  void Exclude(dev_t device, ino_t inode) { excluded_.insert({device, inode}); }
  // False when a folder cannot be listed or a file cannot be examined; `error` says which.
  bool Build(const QStringList& patterns);

  const std::vector<TZipSource>& sources() const { return sources_; }
  const QString& error() const { return error_; }

 private:
  struct TChild;
  // native: the folder as the file system has it; folder: the same as text, for entry names.
  bool WalkFolder(const std::string& native, const QString& folder, const TFileMask* mask);
  void AddFile(const QString& folder, const QString& name, const std::string& path, const struct stat& st);
  void Add(TZipSource source);
  QString RelativeFolder(const QString& folder) const;

  QStringList roots_;
  std::set<std::pair<dev_t, ino_t>> excluded_;
  std::vector<TZipSource> sources_;
  QHash<QString, size_t> byName_;
  QString error_;
};
