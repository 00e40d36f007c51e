#include "app/RunFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QThread>

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "app/JobLog.h"
#include "compress/common/WorkingNames.h"
#include "settings/PathVars.h"
#include "util/FileOps.h"
#include "util/NativePath.h"

namespace {

const QString kPrefix = QStringLiteral("run-");
const QString kLockSuffix = QStringLiteral(".lock");
// Inside the run's folder: the output noted, one. 'H' and the output's path once its name is held,
// 'P', the working file's path, a NUL and the output's path before; a note without a mark is a
// held output's path (written by a version before the marks).
const QString kOutputFile = QStringLiteral("output-in-progress");
constexpr char kHeld = 'H';
constexpr char kHolding = 'P';

// A partial output is a file of the run's own making: never a folder, never through a link. What
// its packer wrote under working names goes first: while the output's name is held, no other run
// can begin an output of that name and write working names of the same prefix.
void RemovePartialOutput(const QString& output) {
  for (const QString& working : WorkingNamesOf(output)) DeletePath(working);
  const QFileInfo info(output);
  if (info.isFile() && !info.isSymLink()) DeletePath(output);
}

// The run died holding a name, or about to: its working file is removed, and the name's file only
// when it is the same file (the link was made), never another's that came there since.
void RemoveHoldingOutput(const QString& working, const QString& output) {
  const QFileInfo info(working);
  if (!info.isFile() || info.isSymLink()) return;
  std::error_code error;
  if (!QFileInfo(output).isSymLink() &&
      std::filesystem::equivalent(FileSystemPath(working), FileSystemPath(output), error))
    DeletePath(output);
  DeletePath(working);
}

void RemoveRunLeftovers(const QString& folder) {
  QFile list(folder + '/' + kOutputFile);
  if (list.open(QIODevice::ReadOnly)) {
    const QByteArray note = list.readAll();
    list.close();
    if (note.startsWith(kHolding)) {
      const qsizetype separator = note.indexOf('\0');
      if (separator > 0)
        RemoveHoldingOutput(QString::fromUtf8(note.mid(1, separator - 1)),
                            QString::fromUtf8(note.mid(separator + 1)));
    } else {
      const QString output = QString::fromUtf8(note.startsWith(kHeld) ? note.mid(1) : note);
      if (!output.isEmpty()) RemovePartialOutput(output);
    }
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

std::unique_ptr<QLockFile> TakeEndedOwnersLock(const QString& folder) {
  auto lock = FolderOwnerLock(folder);
  if (lock->tryLock(0)) return lock;
  // A live owner holds the file's system lock from the moment it makes the file, and writes its
  // number in it at once; removeStaleLockFile takes that system lock before it removes anything.
  const QString file = folder + kLockSuffix;
  const auto empty = [&file] {
    const QFileInfo info(file);
    return info.exists() && info.size() == 0;
  };
  if (lock->error() != QLockFile::LockFailedError || !empty()) return nullptr;
  QThread::msleep(100);
  if (!empty() || !lock->removeStaleLockFile() || !lock->tryLock(0)) return nullptr;
  qCInfo(lcJob) << "taking the empty lock an owner killed while making it left:" << file;
  return lock;
}

TRunFolder::TRunFolder(const QString& tempRoot) {
  // Another program's start removes the temp root whenever it finds it empty, so the folder is made
  // with the root in one call and locked at once: making the root first and then the lock lost,
  // every time, to a sweep that kept coming back. A sweep that finds the folder before its lock
  // takes it for an ended run's and removes it; the run keeps the folder only if it is still there
  // once locked, and tries another name if not.
  for (int attempt = 0; attempt < 1000; ++attempt) {
    folder_ = tempRoot + kPrefix + GetDateRandomName();
    std::error_code error;
    // False for a name another run holds, and when the root vanished between its making and ours.
    if (!std::filesystem::create_directories(FileSystemPath(folder_), error)) continue;
    auto lock = FolderOwnerLock(folder_);
    if (lock->tryLock(0) && QFileInfo(folder_).isDir()) {
      lock_ = std::move(lock);
      return;
    }
    // Empty and unlocked: nothing in it can be anyone's but this run's.
    QDir().rmdir(folder_);
  }
  qCWarning(lcJob) << "cannot mark a run folder below" << tempRoot;
}

TRunFolder::~TRunFolder() {
  if (!lock_) return;
  RemoveRunLeftovers(folder_);
  lock_->unlock();
}

void TRunFolder::HoldingOutput(const QString& output, const QString& working) {
  Note(kHolding + working.toUtf8() + '\0' + output.toUtf8());
}

void TRunFolder::BeginOutput(const QString& output) { Note(kHeld + output.toUtf8()); }

void TRunFolder::Note(const QByteArray& note) {
  if (!lock_) return;
  // Replaced whole, by a rename: a run killed while it writes leaves the note before or the note
  // after. Not synced: a kill loses nothing the system has been given.
  const QString path = folder_ + '/' + kOutputFile;
  QFile next(path + QStringLiteral(".new"));
  const bool written = next.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                       next.write(note) == note.size() && next.flush();
  next.close();
  if (!written || std::rename(NativePath(next.fileName()).c_str(), NativePath(path).c_str()) != 0)
    qCWarning(lcJob) << "cannot note the output in progress in" << folder_;
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
    // Free once its process is gone. A folder without a lock lost it when its run ended half-way
    // through cleaning up, or is one a run has just made and not yet locked: that run finds it gone
    // and makes another.
    const auto lock = TakeEndedOwnersLock(folder);
    if (!lock) continue;
    qCInfo(lcJob) << "removing what an ended run left:" << folder;
    RemoveRunLeftovers(folder);
    lock->unlock();
    ++removed;
  }
  root.rmdir(root.absolutePath());  // only when nothing is left in it
  return removed;
}
