#include "util/ProgramPaths.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "InstallLayout.h"
#include "util/PathSeparators.h"

namespace {

QString Folder(const QString& path) {
  return WithTrailingSeparator(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
}

// $XDG_DATA_HOME/harrowmint, where a relative XDG_DATA_HOME counts as unset (as the XDG base
// directory rules say) instead of landing in whatever the working folder is.
QString UserProgramFolder() {
  QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  if (!QDir::isAbsolutePath(data)) data = QDir::homePath() + QStringLiteral("/.local/share");
  return data + QStringLiteral("/harrowmint");
}

}  // namespace

TProgramPaths::TProgramPaths(QString program, QString share, QString engine, bool installed)
    : program_(Folder(program)), share_(Folder(share)), engine_(Folder(engine)), installed_(installed) {}

TProgramPaths::TProgramPaths(const QString& programFolder)
    : TProgramPaths(programFolder, programFolder, programFolder + QStringLiteral("/Engine"), false) {}

TProgramPaths TProgramPaths::Installed(const QString& shareFolder, const QString& engineFolder,
                                       const QString& programFolder) {
  return TProgramPaths(programFolder, shareFolder, engineFolder, true);
}

TProgramPaths TProgramPaths::FromExecutable() {
  // /proc/self/exe works before (and without) a QCoreApplication.
  const QFileInfo exe(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget());
  return ForExecutableFolder(exe.absolutePath());
}

TProgramPaths TProgramPaths::ForExecutableFolder(const QString& folder) {
  const QString share = folder + QStringLiteral("/" HM_INSTALLED_SHARE_FROM_BIN);
  if (!QFileInfo(share).isDir()) return TProgramPaths(folder);
  return Installed(share, folder + QStringLiteral("/" HM_INSTALLED_ENGINE_FROM_BIN), UserProgramFolder());
}

TProgramPaths TProgramPaths::FromArguments(QStringList& arguments) {
  for (qsizetype i = 0; i < arguments.size(); ++i) {
    const QString& a = arguments[i];
    if (a == QLatin1String("--home") && i + 1 < arguments.size()) {
      const QString dir = arguments[i + 1];
      arguments.remove(i, 2);
      return TProgramPaths(dir);
    }
    if (a.startsWith(QLatin1String("--home="))) {
      const QString dir = a.mid(7);
      arguments.removeAt(i);
      return TProgramPaths(dir);
    }
  }
  return FromExecutable();
}
