#pragma once
// Builds one INSERT or UPDATE statement from field/value pairs, in the order they were added.
// Values are written as SQL literals; field and table names are written as they are.
#include <QDateTime>
#include <QString>
#include <QStringList>

// Value type codes of TSQLSet.
enum TSQLValueType : int {
  svText = 0,          // quoted
  svInteger = 1,       // unquoted decimal
  svFloat = 2,         // unquoted, '.' and up to 15 significant digits
  svBoolean = 3,       // unquoted 1 or 0
  svDateTimeText = 4,  // quoted "yyyy-MM-dd HH:mm:ss"
};

// 'text' with every apostrophe doubled.
QString SQLQuote(const QString& text);
// A number as SQL: general format, 15 significant digits, '.' whatever the locale.
QString SQLFloat(double value);

class TSQLSet {
 public:
  explicit TSQLSet(const QString& tableName = {}) : F_TableName(tableName) {}

  QString TableName() const { return F_TableName; }
  void SetTableName(const QString& name) { F_TableName = name; }

  // The explicit form: quoted for codes 0 and 4, unquoted for every other code.
  int AddPram(const QString& fieldName, const QString& sValue, int sValueType);
  int AddPram(const QString& fieldName, const QString& value);
  int AddPram(const QString& fieldName, const char* value) {
    return AddPram(fieldName, QString::fromUtf8(value));
  }
  int AddPram(const QString& fieldName, int value);
  int AddPram(const QString& fieldName, qint64 value);
  int AddPram(const QString& fieldName, double value);
  int AddPram(const QString& fieldName, bool value);
  // A date-time as its day count (a number).
  int AddPram(const QString& fieldName, const QDateTime& value);
  int AddPramByDateTimeStr(const QString& fieldName, const QDateTime& value);
  int ClearPram();

  // "INSERT INTO table(a,b) VALUES ('x',1)". At least one field must have been added.
  QString GetInsertSQL() const;
  // "update table set a='x',b=1", followed by one space and whereSQL when it is given.
  QString GetUpdateSQL() const;
  QString GetUpdateSQL(const QString& whereSQL) const;

 private:
  QString ValueSQL(int index) const;

  QString F_TableName;
  QStringList F_FieldLists;
  QStringList F_FieldValueLists;
  QStringList F_FieldType;
};
