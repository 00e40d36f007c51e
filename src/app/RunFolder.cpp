#include "app/RunFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include "app/JobLog.h"
#include "compress/rar/RarPacker.h"
#include "settings/PathVars.h"
#include "util/FileOps.h"

namespace {

const QString kPrefix = QStringLiteral("run-");
const QString kLockSuffix = QStringLiteral(".lock");
// Inside the run's folder: the output being written, one path.
const QString kOutputFile = QStringLiteral("output-in-progress");

// A partial output is a file of the run's own making: never a folder, never through a link; the
// packers' temporaries beside it are found by its name.
void RemovePartialOutput(const QString& output) {
  const QFileInfo info(output);
  if (info.isFile() && !info.isSymLink()) DeletePath(output);
  // The 7z packer writes "<output>.<8 hex digits>.tmp", the ZIP engine "<output>.<8 hex
  // digits>.hmtmp", and each renames it at the end.
  static const QRegularExpression temporary(QStringLiteral("^\\.[0-9a-f]{8}\\.(hm)?tmp$"));
  const QDir folder = info.dir();
  for (const QFileInfo& sibling :
       folder.entryInfoList({info.fileName() + QStringLiteral(".*tmp")}, QDir::Files))
    if (temporary.match(sibling.fileName().mid(info.fileName().size())).hasMatch() && !sibling.isSymLink())
      DeletePath(sibling.filePath());
  // The RAR packer writes in a folder of its own beside the output, named after it.
  const QString staging = QFileInfo(RarStagingPrefix(output)).fileName();
  for (const QFileInfo& sibling :
       folder.entryInfoList({staging + QStringLiteral("??????")}, QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot))
    if (!sibling.isSymLink()) DeletePath(sibling.filePath());
}

void RemoveRunLeftovers(const QString& folder) {
  QFile list(folder + '/' + kOutputFile);
  if (list.open(QIODevice::ReadOnly)) {
    const QString output = QString::fromUtf8(list.readAll());
    list.close();
    if (!output.isEmpty()) RemovePartialOutput(output);
  }
  DeletePath(folder);
}

}  // namespace

// Only the process that holds it makes a lock live: neither its age nor a reused process number
// of another program does.
std::unique_ptr<QLockFile> FolderOwnerLock(const QString& folder) {
  auto lock = std::make_unique<QLockFile>(folder + kLockSuffix);
  lock->setStaleLockTime(0);
  return lock;
}

TRunFolder::TRunFolder(const QString& tempRoot) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    // Made again each time: the start of another program removes the temp root when it finds it
    // empty, maybe just before this run's lock is in it.
    QDir().mkpath(tempRoot);
    folder_ = tempRoot + kPrefix + GetDateRandomName();
    auto lock = FolderOwnerLock(folder_);
    // The lock comes first, so a start that finds the folder finds its owner too.
    if (!QFileInfo::exists(folder_) && lock->tryLock(0) && QDir().mkdir(folder_)) {
      lock_ = std::move(lock);
      return;
    }
  }
  qCWarning(lcJob) << "cannot mark a run folder below" << tempRoot;
}

TRunFolder::~TRunFolder() {
  if (!lock_) return;
  RemoveRunLeftovers(folder_);
  lock_->unlock();
}

void TRunFolder::BeginOutput(const QString& output) {
  if (!lock_) return;
  QFile list(folder_ + '/' + kOutputFile);
  if (!list.open(QIODevice::WriteOnly | QIODevice::Truncate) || list.write(output.toUtf8()) < 0 || !list.flush())
    qCWarning(lcJob) << "cannot note the output in progress" << output;
}

void TRunFolder::EndOutput() {
  if (lock_) DeletePath(folder_ + '/' + kOutputFile);
}

int RemoveEndedRuns(const QString& tempRoot) {
  QDir root(tempRoot);
  QSet<QString> runs;
  for (QString name : root.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
    // Every run marks what it leaves: anything else was left by a version that did not.
    if (!name.startsWith(kPrefix)) {
      DeletePath(root.filePath(name));
      continue;
    }
    if (name.endsWith(kLockSuffix)) name.chop(kLockSuffix.size());
    runs.insert(root.filePath(name));
  }
  int removed = 0;
  for (const QString& folder : runs) {
    // Free once its process is gone; a folder without a lock lost it when its run ended half-way
    // through cleaning up.
    const auto lock = FolderOwnerLock(folder);
    if (!lock->tryLock(0)) continue;
    qCInfo(lcJob) << "removing what an ended run left:" << folder;
    RemoveRunLeftovers(folder);
    lock->unlock();
    ++removed;
  }
  root.rmdir(root.absolutePath());  // only when nothing is left in it
  return removed;
}
