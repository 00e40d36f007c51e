#pragma once
// The journal of a watched folder: one JSON line per finished item, appended by every watcher of
// the folder, on this machine or on others that share it over NFS.
#include <QByteArray>
#include <QString>

class TJournal {
 public:
  explicit TJournal(QString path) : path_(std::move(path)) {}

  // Appends the line (which holds no line break) whole and flushes it to the disk, under a lock
  // every writer takes (POSIX record locks, which NFS carries). With once, a line the journal
  // holds already is not added again (a watcher that was killed after its line was written).
  // False when the journal cannot be written; the cause is logged.
  bool Append(const QByteArray& line, bool once = false) const;

 private:
  QString path_;
};
