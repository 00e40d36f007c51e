#include "settings/QuickSQLite.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStringList>

#include "settings/SQLSet.h"
#include "util/FileOps.h"

namespace {
const QString kInfosSQL = QStringLiteral(
    "CREATE TABLE infos ([ID] INTEGER PRIMARY KEY,"
    "[Name] TEXT COLLATE NOCASE,[content] TEXT,[IntData1] INTEGER,[floatData1] FLOAT,[date1] FLOAT, [date2] "
    "FLOAT);");

QString MainTableSQL(int n) {
  return QStringLiteral("CREATE TABLE MainTable") + QString::number(n) +
         QStringLiteral(" ([ID] INTEGER PRIMARY KEY,") +
         QStringLiteral(
             "[Name] TEXT COLLATE NOCASE,[sValue1] TEXT,[sValue2] TEXT, [TD1] TEXT COLLATE NOCASE") +
         QStringLiteral(
             ",[TD2] TEXT COLLATE NOCASE, [TD3] TEXT COLLATE NOCASE, [IntData1] INTEGER, [IntData2] INTEGER, "
             "[IntData3] INTEGER, [floatData1] FLOAT, [floatData2] FLOAT, [floatData3] FLOAT, [date1] FLOAT, "
             "[date2] FLOAT);");
}

const QString kSysDbVer = QStringLiteral("SysDbVer");
const QString kSysDbName = QStringLiteral("SysDbName");

bool TryExec(TSQLiteDatabase& db, const QString& sql) {
  try {
    db.ExecSQL(sql);
    return true;
  } catch (const ESQLiteException&) {
    return false;
  }
}
}  // namespace

TQSQLite::TQSQLite() = default;

TQSQLite::TQSQLite(const QString& dbPath, const QString& dbPwd) { Open(dbPath, dbPwd); }

TQSQLite::~TQSQLite() = default;

bool TQSQLite::ChangeDb(const QString& dbPath, const QString& dbPwd) {
  SQLite_cn.reset();
  FDbState = dbsClosed;
  Open(dbPath, dbPwd);
  return FDbState == dbsOpen;
}

void TQSQLite::Open(const QString& dbPath, const QString& dbPwd) {
  if (!QFileInfo::exists(dbPath)) CreateFile(dbPath, dbPwd);
  SQLite_cn = std::make_unique<TSQLiteDatabase>(dbPath, dbPwd);
  set_dbPath = dbPath;
  set_dbPwd = dbPwd;
  FDbState = SQLite_cn->isOpen() ? dbsOpen : dbsClosed;
}

void TQSQLite::CreateFile(const QString& dbPath, const QString& dbPwd) const {
  // Made whole beside its place, then put there: another connection (a worker of the same run,
  // another program) never finds the file without its schema, and the first one made is kept.
  const QString made = dbPath + QStringLiteral(".new-") + QString::number(QRandomGenerator::global()->generate(), 16);
  {
    TSQLiteDatabase db(made, dbPwd);
    if (!db.isOpen()) return;  // the file itself will not open either, and says why
    CreateSchema(db);
  }
  if (!RenamePath(made, dbPath)) QFile::remove(made);
}

void TQSQLite::CreateSchema(TSQLiteDatabase& db) const {
  // One transaction: a new file costs one sync instead of eleven.
  const bool inTransaction = TryExec(db, QStringLiteral("BEGIN"));
  try {
    db.ExecSQL(kInfosSQL);
    if (!ExampleDbSQL.isEmpty()) {
      for (const QString& line : ExampleDbSQL.split(QLatin1Char('\n')))
        if (!line.trimmed().isEmpty()) db.ExecSQL(line);
    } else {
      for (int n = 1; n <= 10; ++n)
        if (!db.TableExists(QStringLiteral("MainTable") + QString::number(n))) db.ExecSQL(MainTableSQL(n));
    }
  } catch (const ESQLiteException&) {
    // The schema step ends at its first failure; what was made before it stays.
  }
  if (inTransaction && !TryExec(db, QStringLiteral("COMMIT"))) TryExec(db, QStringLiteral("ROLLBACK"));
}

TSQLiteTable TQSQLite::GetTable(const QString& sql) const {
  return FDbState == dbsOpen ? SQLite_cn->GetTable(sql) : TSQLiteTable();
}

QString TQSQLite::KeySQL(const QString& name) {
  return QStringLiteral("select * from infos where name=") + SQLQuote(name);
}

int TQSQLite::SetValue(const QString& name, const QString& content) {
  return StoreKey(name, QStringLiteral("content"), SQLQuote(content));
}

int TQSQLite::SetValueByDouble(const QString& name, double content) {
  return StoreKey(name, QStringLiteral("floatData1"), SQLFloat(content));
}

int TQSQLite::StoreKey(const QString& name, const QString& column, const QString& valueSQL) {
  if (FDbState != dbsOpen) return -1;
  // A lookup that fails must not read as "no such key": the insert would add a second row.
  const TSQLiteTable row = SQLite_cn->QueryTable(KeySQL(name));
  if (row.Count() == 0) {
    SQLite_cn->ExecSQL(QStringLiteral("insert into infos (name,") + column + QStringLiteral(") values (") +
                       SQLQuote(name) + QLatin1Char(',') + valueSQL + QLatin1Char(')'));
    return 1;
  }
  SQLite_cn->ExecSQL(QStringLiteral("update infos set ") + column + QLatin1Char('=') + valueSQL +
                     QStringLiteral(" where id=") +
                     QString::number(row.FieldAsInteger(QStringLiteral("ID"))));
  return 0;
}

QString TQSQLite::GetValue(const QString& name, const QString& defValue) const {
  const TSQLiteTable row = GetTable(KeySQL(name));
  return row.Count() > 0 ? row.FieldByName(QStringLiteral("content")) : defValue;
}

double TQSQLite::GetValueAsDouble(const QString& name, double defValue) const {
  const TSQLiteTable row = GetTable(KeySQL(name));
  if (row.Count() == 0) return defValue;
  try {
    return row.FieldAsDouble(QStringLiteral("floatData1"));
  } catch (const ESQLiteException&) {
    return defValue;  // a hand-made table whose floatData1 is text
  }
}

QString TQSQLite::GetValueBySQL(const QString& sql, const QString& defValue) const {
  const TSQLiteTable table = GetTable(sql);
  return (table.Count() > 0 && table.ColCount() > 0) ? table.FieldAsString(0) : defValue;
}

bool TQSQLite::isHaveRecord(const QString& sql) const { return GetTable(sql).Count() > 0; }

bool TQSQLite::isExistCodeId(const QString& TableName, const QString& CodeName, const QString& IdValue,
                             const QString& newCodeValue) const {
  const TSQLiteTable rows =
      GetTable(QStringLiteral("select * from ") + TableName + QStringLiteral(" where ") + CodeName +
               QLatin1Char('=') + SQLQuote(newCodeValue));
  if (rows.Count() == 0) return false;
  if (IdValue.isEmpty()) return true;
  return rows.FieldByName(QStringLiteral("ID")) != IdValue;
}

int TQSQLite::DelDataById(const QString& TableName, const QString& id) {
  if (FDbState != dbsOpen) return -1;
  QString sql = QStringLiteral("delete from ") + TableName;
  if (!id.isEmpty()) sql += QStringLiteral(" where id=") + id;
  try {
    SQLite_cn->ExecSQL(sql);
    return 1;
  } catch (const ESQLiteException&) {
    return -2;
  }
}

QString TQSQLite::GetCreateDbSQL(const QString& tableName, const QString& strField, const QString& intField,
                                 const QString& floatField) {
  QString sql = QStringLiteral("CREATE TABLE ") + tableName + QStringLiteral(" ([ID] INTEGER PRIMARY KEY");
  const auto addColumns = [&sql](const QString& names, const QString& type) {
    for (const QString& name : names.split(QLatin1Char(','), Qt::SkipEmptyParts))
      sql += QLatin1Char(',') + name + type;
  };
  addColumns(strField, QStringLiteral(" TEXT COLLATE NOCASE"));
  addColumns(intField, QStringLiteral(" INTEGER DEFAULT 0"));
  addColumns(floatField, QStringLiteral(" FLOAT DEFAULT 0"));
  return sql + QStringLiteral(");");
}

double TQSQLite::DbVersion() const { return GetValueAsDouble(kSysDbVer, 0); }
void TQSQLite::SetDbVersion(double version) { SetValueByDouble(kSysDbVer, version); }
QString TQSQLite::DbName() const { return GetValue(kSysDbName); }
void TQSQLite::SetDbName(const QString& name) { SetValue(kSysDbName, name); }
