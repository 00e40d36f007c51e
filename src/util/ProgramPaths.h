#pragma once
// The one place that knows where the program lives. Every other folder the system uses is
// derived from the program folder: the executable's folder, or the one given with --home.
#include <QString>

class TProgramPaths {
 public:
  // programFolder may end with '/' or not; it is made absolute.
  explicit TProgramPaths(const QString& programFolder);
  // The folder of the running executable.
  static TProgramPaths FromExecutable();
  // `--home DIR` among the arguments (removed from them), else the executable's folder.
  static TProgramPaths FromArguments(QStringList& arguments);

  // Every folder ends with '/', so file names are appended directly.
  QString programFolder() const { return program_; }
  QString dataFolder() const { return program_ + "Data/"; }
  QString seedDataFolder() const { return program_ + "SysDb/Data/"; }
  QString settingsFile() const { return dataFolder() + "Setting.ini"; }
  QString databaseFile() const { return dataFolder() + "data.db"; }
  QString mustFilesFolder() const { return dataFolder() + "MustFiles/"; }
  QString tempRoot() const { return program_ + "tmp/"; }
  QString engineFolder() const { return program_ + "Engine/"; }

 private:
  QString program_;
};
