#pragma once
// Every packer writes an output under a working name beside it and renames it onto the output
// only when complete, so a partial archive never bears the output's name. Working names are
// hidden, short whatever the output's name (a folder that takes the output's name takes them too)
// and all begin with the output's working-name prefix: whoever knows an output a dead run was
// writing finds what its packer left by that prefix.
#include <QString>
#include <QStringList>

#include <functional>

#include "util/FileDescriptor.h"

// The output's folder, then "/.hm-", 16 hex digits of a hash of the output's file name and '-'.
QString WorkingNamePrefix(const QString& output);
// The prefix and six characters, as QTemporaryDir and QTemporaryFile take a name to make unique.
QString WorkingNameTemplate(const QString& output);
// The files and folders beside output that bear its working-name prefix (never through a link).
QStringList WorkingNamesOf(const QString& output);

// A new file under a working name beside an output, created empty and exclusively (mode 0666
// less the umask, as the output would be). Removed when this object goes, unless it was put in
// place.
class TWorkingFile {
 public:
  // announce, when given, hears each path before a file is created there: whoever finds the file
  // after a kill then knows it was this one's.
  explicit TWorkingFile(const QString& output, const std::function<void(const QString& path)>& announce = {});
  ~TWorkingFile();
  TWorkingFile(const TWorkingFile&) = delete;
  TWorkingFile& operator=(const TWorkingFile&) = delete;

  // False when no file could be made; error() then holds the errno.
  bool created() const { return !path_.empty(); }
  int error() const { return error_; }
  QString path() const;
  // The descriptor, open for writing; the caller closes it before PutInPlace.
  TFileDescriptor TakeDescriptor() { return std::move(fd_); }
  // Renames the file onto the output; false with errno set when that fails (the file is then
  // removed with this object).
  bool PutInPlace();
  // Gives the file the output's name as well (a hard link), only where nothing lies: false with
  // errno EEXIST when something does. The working name still goes with this object.
  bool LinkInPlace();

 private:
  std::string output_;
  std::string path_;
  TFileDescriptor fd_;
  int error_ = 0;
};
