#pragma once
// data.db as the system uses it: opened per operation, given the standard schema when the file is
// new, with a small key/value table "infos" and a few table operations.
#include <QString>
#include <memory>

#include "settings/SQLiteDatabase.h"

// Connection states of TQSQLite.
enum TDbState : int { dbsOpen = 0, dbsClosed = 1 };

class TQSQLite {
 public:
  // No database: every operation returns its default.
  TQSQLite();
  // Opens dbPath (creating its folder and the file when missing) and creates the schema only
  // when the file did not exist. Never raises: a file that cannot be opened gives dbsClosed.
  explicit TQSQLite(const QString& dbPath, const QString& dbPwd = {});
  ~TQSQLite();
  TQSQLite(const TQSQLite&) = delete;
  TQSQLite& operator=(const TQSQLite&) = delete;

  // Closes the current database and opens another as the constructor does; true when open.
  bool ChangeDb(const QString& dbPath, const QString& dbPwd = {});

  int DbState() const { return FDbState; }
  QString DbPath() const { return set_dbPath; }
  // When not empty, a new file gets "infos" and these statements (one per line) as its schema
  // instead of MainTable1 ... MainTable10. Takes effect at the next ChangeDb.
  void SetExampleDbSQL(const QString& sql) { ExampleDbSQL = sql; }
  // The connection, for GetTable and ExecSQL; null when there is no database.
  TSQLiteDatabase* Database() const { return SQLite_cn.get(); }
  // No rows when the database is not open.
  TSQLiteTable GetTable(const QString& sql) const;

  // Key/value table "infos"; keys compare without regard to ASCII case.
  // -1 not open, 1 inserted, 0 updated; a failing statement raises ESQLiteException.
  int SetValue(const QString& name, const QString& content);
  int SetValueByDouble(const QString& name, double content);
  QString GetValue(const QString& name, const QString& defValue = {}) const;
  double GetValueAsDouble(const QString& name, double defValue = 0) const;

  // First column of the first row as text, or defValue.
  QString GetValueBySQL(const QString& sql, const QString& defValue = {}) const;
  bool isHaveRecord(const QString& sql) const;
  // True when another row than IdValue already has CodeName = newCodeValue (any row when IdValue
  // is empty).
  bool isExistCodeId(const QString& TableName, const QString& CodeName, const QString& IdValue,
                     const QString& newCodeValue) const;
  // -1 not open, 1 deleted, -2 the statement failed. An empty id deletes every row.
  int DelDataById(const QString& TableName, const QString& id);
  static QString GetCreateDbSQL(const QString& tableName, const QString& strField, const QString& intField,
                                const QString& floatField);

  // "SysDbVer" (a number, default 0) and "SysDbName" (a text, default empty).
  double DbVersion() const;
  void SetDbVersion(double version);
  QString DbName() const;
  void SetDbName(const QString& name);

 private:
  void Open(const QString& dbPath, const QString& dbPwd);
  // A new database file with its schema at dbPath, unless another was put there first.
  void CreateFile(const QString& dbPath, const QString& dbPwd) const;
  void CreateSchema(TSQLiteDatabase& db) const;
  static QString KeySQL(const QString& name);
  int StoreKey(const QString& name, const QString& column, const QString& valueSQL);

  QString set_dbPath;
  QString set_dbPwd;
  int FDbState = dbsClosed;
  std::unique_ptr<TSQLiteDatabase> SQLite_cn;
  QString ExampleDbSQL;
};
