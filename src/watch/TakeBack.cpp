#include "watch/TakeBack.h"

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include "app/RunFolder.h"
#include "util/FileOps.h"
#include "watch/ClaimEnd.h"
#include "watch/ClaimFolder.h"
#include "watch/WatchLog.h"

namespace {

// The process number of a claimed folder of this host ("<host>-<pid>"), or nothing.
std::optional<qint64> ProcessOf(const QString& folderName, const QString& host) {
  if (!folderName.startsWith(host + '-')) return std::nullopt;
  bool number = false;
  const qint64 pid = folderName.mid(host.size() + 1).toLongLong(&number);
  return number && pid > 0 ? std::optional(pid) : std::nullopt;
}

// An end written down stands only while the output it names is there; a run killed before
// recording its result has had its output removed by the sweep.
bool EndStands(const TClaimEnd& end) {
  const QString output = end.line.value(QStringLiteral("output")).toString();
  return output.isEmpty() || QFileInfo(output).isFile();
}

// Finishes or returns every item of a dead watcher's folder; true when nothing is left in it.
bool TakeBackFolder(const TInboxLayout& layout, const QString& folder, const TJournal& journal) {
  const QString prefix = folder + '/';
  const auto list = [&folder] {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
  };
  // Entries of items that are finished but could not all be moved yet: never run again.
  QSet<QString> finishing;
  for (const QString& name : list()) {
    // The records: an item may have been moved before its watcher was killed.
    if (!IsClaimRecordName(name) || !name.endsWith(QLatin1String(".end"))) continue;
    const std::optional<TClaimEnd> end = ReadClaimEnd(prefix, name.mid(1).chopped(4));
    if (!end) continue;
    if (!EndStands(*end)) {
      DropClaimEnd(prefix, *end);
      continue;
    }
    qCInfo(lcWatch) << "finishing" << prefix + end->entries.first() << "as its watcher wrote down";
    if (!CarryOutClaimEnd(prefix, *end, journal, true))
      for (const QString& entry : end->entries) finishing << entry;
  }
  bool emptied = true;
  for (const QString& name : list()) {
    const QString path = prefix + name;
    if (IsClaimRecordName(name)) {
      // A record of an item that has gone, or a temporary of one never finished.
      if (!(name.endsWith(QLatin1String(".end")) && finishing.contains(name.mid(1).chopped(4))))
        DeletePath(path);
      continue;
    }
    if (finishing.contains(name)) {
      emptied = false;
      continue;
    }
    qCInfo(lcWatch) << "returning" << path << "to the inbox: its watcher is gone";
    emptied &= ReturnToInbox(layout, path);
  }
  return emptied && QDir().rmdir(folder);
}

}  // namespace

int TakeBackClaims(const TInboxLayout& layout, const QString& host, qint64 livePid, const TJournal& journal,
                   const std::function<void()>& sweepRuns) {
  const QDir claimed(layout.claimed());
  QStringList folders;
  for (const QString& name : claimed.entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot)) {
    const std::optional<qint64> pid = ProcessOf(name, host);
    if (pid && *pid != livePid) folders << claimed.filePath(name);
  }
  bool swept = false;
  int taken = 0;
  for (const QString& folder : folders) {
    // The lock names this very process, which cannot be the folder's owner.
    if (ProcessOf(QFileInfo(folder).fileName(), host) == qint64(::getpid()))
      FolderOwnerLock(folder)->removeStaleLockFile();
    const auto lock = TakeEndedOwnersLock(folder);
    if (!lock) continue;
    if (!swept && sweepRuns) sweepRuns();
    swept = true;
    qCInfo(lcWatch) << "taking back what a watcher that is gone left in" << folder;
    if (TakeBackFolder(layout, folder, journal)) ++taken;
    lock->unlock();
  }
  return taken;
}
