#pragma once
// One open SQLite database: the connection layer under TQSQLite and the text-replacement rules.
#include <QString>
#include <memory>

#include "settings/SQLiteError.h"
#include "settings/SQLiteTable.h"

struct sqlite3;

class TSQLiteDatabase {
 public:
  // Creates the file's folder when missing, opens (or creates) the file, sets a 1000 ms busy
  // timeout and the pragmas. Never raises: a file that cannot be opened leaves the object closed.
  // This SQLite cannot encrypt, so a non-empty password also leaves it closed rather than
  // storing the data in clear.
  explicit TSQLiteDatabase(const QString& fileName, const QString& password = {});
  ~TSQLiteDatabase();
  TSQLiteDatabase(const TSQLiteDatabase&) = delete;
  TSQLiteDatabase& operator=(const TSQLiteDatabase&) = delete;

  bool isOpen() const { return db_ != nullptr; }
  // Why the database is not open; empty while it is.
  QString OpenError() const { return openError_; }
  void Close();

  // Prepares and steps one statement; anything but done raises ESQLiteException (also when
  // the database is not open).
  void ExecSQL(const QString& sql);
  // All rows of a query; no rows when it cannot be run (syntax, missing table, busy beyond the
  // timeout, not open).
  TSQLiteTable GetTable(const QString& sql) const;
  // The same, but a query that cannot be run raises ESQLiteException: for callers that must
  // tell "no rows" from "no answer".
  TSQLiteTable QueryTable(const QString& sql) const;
  bool TableExists(const QString& name) const;
  // The ID SQLite gave the last inserted row of this connection; 0 when none or not open.
  qint64 LastInsertRowID() const;

 private:
  ESQLiteException NotOpenError(const QString& sql) const;

  struct Closer {
    void operator()(sqlite3* db) const;
  };
  std::unique_ptr<sqlite3, Closer> db_;
  QString openError_ = QStringLiteral("closed");
};
