#include "watch/ClaimFolder.h"

#include <QDir>
#include <QFileInfo>

#include "app/RunFolder.h"
#include "util/FileOps.h"
#include "watch/WatchLog.h"

TClaimFolder::TClaimFolder(const TInboxLayout& layout, const QString& host, qint64 pid)
    : layout_(layout), folder_(layout.ClaimFolder(host, pid)) {
  auto lock = FolderOwnerLock(folder_);
  // The lock comes first, so a watcher that finds the folder finds its owner too.
  if (!lock->tryLock(0) || !QDir().mkpath(folder_)) {
    qCWarning(lcWatch) << "cannot make the claimed folder" << folder_;
    return;
  }
  lock_ = std::move(lock);
}

TClaimFolder::~TClaimFolder() {
  if (!lock_) return;
  QDir().rmdir(folder_);  // only when empty
  lock_->unlock();
}

TClaimFolder::TClaim TClaimFolder::Claim(const QString& name) {
  const QString claimed = path() + name;
  // Only this watcher puts items here; a rename would replace the earlier one.
  if (QFileInfo(claimed).exists() || QFileInfo(claimed).isSymLink()) return TClaim::Busy;
  if (RenamePath(layout_.Arrival(name), claimed)) return TClaim::Claimed;
  return TClaim::Lost;
}

bool ReturnToInbox(const TInboxLayout& layout, const QString& path) {
  const QString name = QFileInfo(path).fileName();
  if (RenamePath(path, layout.Arrival(name))) return true;
  qCWarning(lcWatch) << "cannot put" << path << "back into the inbox: something of that name lies there, or"
                     << "the rename failed; it stays where it is for now";
  return false;
}
