#pragma once
// The folder a watcher claims its items into, INBOX/.harrowmint/claimed/<host>-<pid>/. An item is
// claimed by renaming it there, which only one watcher can do; while the watcher lives, a lock
// beside the folder (FolderOwnerLock) names its process, from before the folder exists to after it
// is gone, so that a watcher of the same host can tell a live one from one that was killed.
#include <QLockFile>
#include <QString>

#include <memory>

#include "watch/InboxLayout.h"

class TClaimFolder {
 public:
  // Takes the lock and makes the folder; ok() is false when either cannot be had.
  TClaimFolder(const TInboxLayout& layout, const QString& host, qint64 pid);
  // Removes the folder when nothing is left in it, then lets the lock go. Whatever stays is taken
  // back by the next watcher of this host.
  ~TClaimFolder();
  TClaimFolder(const TClaimFolder&) = delete;
  TClaimFolder& operator=(const TClaimFolder&) = delete;

  bool ok() const { return bool(lock_); }
  // Ends with '/'.
  QString path() const { return folder_ + '/'; }

  enum class TClaim {
    Claimed,  // the arrival lies in this folder now
    Lost,     // it is gone: another watcher took it, or its uploader removed it
    Busy,     // an item of that name is still being worked on here: it waits in the inbox
  };
  TClaim Claim(const QString& name);

 private:
  TInboxLayout layout_;
  QString folder_;
  std::unique_ptr<QLockFile> lock_;
};

// Renames the item at path back into the inbox, where it arrives again; false when that name is
// taken there again or the rename fails (the item stays where it is; the cause is logged).
bool ReturnToInbox(const TInboxLayout& layout, const QString& path);
