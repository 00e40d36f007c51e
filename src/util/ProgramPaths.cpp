#include "util/ProgramPaths.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include "util/PathSeparators.h"

TProgramPaths::TProgramPaths(const QString& programFolder)
    : program_(WithTrailingSeparator(QDir::cleanPath(QFileInfo(programFolder).absoluteFilePath()))) {}

TProgramPaths TProgramPaths::FromExecutable() {
  // /proc/self/exe works before (and without) a QCoreApplication.
  const QFileInfo exe(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget());
  return TProgramPaths(exe.absolutePath());
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
