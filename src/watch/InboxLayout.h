#pragma once
// What a watcher keeps inside the folder it watches, below INBOX/.harrowmint/ (a dot name, so it
// never arrives): claimed/<host>-<pid>/ for the items each watcher works on, done/ and failed/ for
// the items it finished, and journal.jsonl with one line per finished item.
#include <QString>

class TInboxLayout {
 public:
  // inbox: absolute, without a trailing '/'.
  explicit TInboxLayout(QString inbox) : inbox_(std::move(inbox)) {}

  QString inbox() const { return inbox_; }
  QString Arrival(const QString& name) const { return inbox_ + '/' + name; }
  // Folders end with '/'.
  QString base() const { return inbox_ + QStringLiteral("/.harrowmint/"); }
  QString claimed() const { return base() + QStringLiteral("claimed/"); }
  QString done() const { return base() + QStringLiteral("done/"); }
  QString failed() const { return base() + QStringLiteral("failed/"); }
  QString journal() const { return base() + QStringLiteral("journal.jsonl"); }
  // Without a trailing '/': its lock lies beside it.
  QString ClaimFolder(const QString& host, qint64 pid) const {
    return claimed() + host + '-' + QString::number(pid);
  }

  // Makes the folders that are missing; false when one cannot be made.
  bool Make() const;

 private:
  QString inbox_;
};

// This machine's name, as claimed folders and journal lines carry it.
QString WatcherHostName();
