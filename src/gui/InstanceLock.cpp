#include "gui/InstanceLock.h"

#include <QDir>
#include <QStandardPaths>

#include "util/SystemInfo.h"

TInstanceLock::TInstanceLock(const QString& programFolder)
    : fileName_(LockFileName(programFolder)), lock_(fileName_) {
  // Qt's default takes a lock older than 30 seconds for stale even while its owner runs; only a
  // lock whose process is gone is stale here.
  lock_.setStaleLockTime(0);
}

bool TInstanceLock::TryLock() { return lock_.tryLock(0); }

QString TInstanceLock::LockFileName(const QString& programFolder) {
  QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (folder.isEmpty()) folder = QDir::tempPath();
  return folder + QStringLiteral("/Harrowmint") + InstanceKey(programFolder);
}
