#pragma once
// The one error the store raises: a statement that failed, or a field read in a type it cannot
// have. Its text holds SQLite's own message and the statement.
#include <QString>
#include <stdexcept>

class ESQLiteException : public std::runtime_error {
 public:
  ESQLiteException(const QString& message, int errorCode = 0);

  QString message() const { return message_; }
  // SQLite's result code (SQLITE_BUSY, SQLITE_ERROR, ...), 0 when not from SQLite.
  int errorCode() const { return errorCode_; }

 private:
  QString message_;
  int errorCode_;
};
