#pragma once
// The one place that knows where the program lives. Every folder the system uses comes from here,
// in one of two layouts:
//
// - portable: everything in the program folder, which is the executable's folder or the one
//   given with --home: Data/, tmp/, the seed data folder SysDb/Data/, Engine/, translations/;
// - installed (`cmake --install`, the Debian package): the executable lies in <prefix>/bin and
//   finds the read-only folders relative to it, the seed data folder, the shipped plug-in files
//   and the translations below <prefix>/share/harrowmint/ and the engine folder
//   <prefix>/lib/harrowmint/Engine/. The writable program folder (Data/, tmp/, the default
//   output folder) is the user's data folder, $XDG_DATA_HOME/harrowmint/ (by default
//   ~/.local/share/harrowmint/), seeded from the shared seed data folder at the first start.
//
// An executable runs in the installed layout when <its folder>/../share/harrowmint/ exists, which
// only the install rules lay out; the build tree and a copied program folder are portable.
#include <QString>
#include <QStringList>

class TProgramPaths {
 public:
  // The portable layout in programFolder (which may end with '/' or not; it is made absolute).
  explicit TProgramPaths(const QString& programFolder);
  // The installed layout: read-only folders below shareFolder and engineFolder, the writable
  // program folder elsewhere.
  static TProgramPaths Installed(const QString& shareFolder, const QString& engineFolder,
                                 const QString& programFolder);
  // The layout of the running executable.
  static TProgramPaths FromExecutable();
  // The layout of an executable that lies in folder.
  static TProgramPaths ForExecutableFolder(const QString& folder);
  // `--home DIR` among the arguments (removed from them): the portable layout in DIR; else the
  // executable's layout.
  static TProgramPaths FromArguments(QStringList& arguments);

  // Every folder ends with '/', so file names are appended directly.
  // The writable program folder: the folder of Data/ and tmp/, "<app>" in the output folder.
  QString programFolder() const { return program_; }
  QString dataFolder() const { return program_ + "Data/"; }
  QString seedDataFolder() const { return share_ + "SysDb/Data/"; }
  QString settingsFile() const { return dataFolder() + "Setting.ini"; }
  QString databaseFile() const { return dataFolder() + "data.db"; }
  QString mustFilesFolder() const { return dataFolder() + "MustFiles/"; }
  QString tempRoot() const { return program_ + "tmp/"; }
  QString engineFolder() const { return engine_; }
  QString translationsFolder() const { return share_ + "translations/"; }

  bool installed() const { return installed_; }
  // Whether the programs lie in the program folder, so an update can replace them there. An
  // installed program belongs to the package manager, which updates it.
  bool updatableInPlace() const { return !installed_; }

 private:
  TProgramPaths(QString program, QString share, QString engine, bool installed);

  QString program_;
  QString share_;  // the read-only part: the program folder itself when portable
  QString engine_;
  bool installed_ = false;
};
