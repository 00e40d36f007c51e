#include "updater/ProgramProcesses.h"

#include <unistd.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QThread>

namespace {

constexpr int kPollMs = 100;

bool NameMatches(const QString& fileName, const QStringList& names) {
  for (const QString& name : names) {
    const QString wanted = name.trimmed();
    if (wanted.isEmpty()) continue;
    if (fileName == wanted) return true;
    if (wanted.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive) && fileName == wanted.chopped(4))
      return true;
  }
  return false;
}

}  // namespace

QList<qint64> ProgramProcesses(const QString& programFolder, const QStringList& names) {
  QList<qint64> ids;
  const QString folder = QFileInfo(programFolder).canonicalFilePath();
  if (folder.isEmpty()) return ids;
  const qint64 self = getpid();
  for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
    bool numeric = false;
    const qint64 pid = entry.toLongLong(&numeric);
    if (!numeric || pid == self) continue;
    const QFileInfo exe(QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget());
    if (exe.absolutePath() == folder && NameMatches(exe.fileName(), names)) ids << pid;
  }
  return ids;
}

bool WaitForProgramsToEnd(const QString& programFolder, const QStringList& names, int timeoutMs) {
  const QDeadlineTimer deadline(timeoutMs);
  while (!ProgramProcesses(programFolder, names).isEmpty()) {
    if (deadline.hasExpired()) return false;
    QThread::msleep(kPollMs);
  }
  return true;
}
