#pragma once
// One window per program folder: a lock file named "Harrowmint" followed by the folder's
// instance key, in the user's runtime folder. Another program folder has another key and is
// never blocked. The lock is held as long as the object lives; a lock left behind by a process
// that ended without releasing it is taken over.
#include <QLockFile>
#include <QString>

class TInstanceLock {
 public:
  // programFolder as the program knows it, with its final '/'.
  explicit TInstanceLock(const QString& programFolder);

  // False when a running process holds the lock.
  bool TryLock();
  QString fileName() const { return fileName_; }

  static QString LockFileName(const QString& programFolder);

 private:
  QString fileName_;
  QLockFile lock_;
};
