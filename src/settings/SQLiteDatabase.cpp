#include "settings/SQLiteDatabase.h"

#include <sqlite3.h>

#include <QDir>
#include <QFileInfo>

#include "util/NativePath.h"

namespace {
constexpr int kBusyTimeoutMs = 1000;

struct StatementFinalizer {
  void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

Statement Prepare(sqlite3* db, const QByteArray& sql, int* result) {
  sqlite3_stmt* raw = nullptr;
  *result = sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &raw, nullptr);
  return Statement(raw);
}

QString ErrorText(const QString& message, int code, const QString& sql) {
  return QStringLiteral("Error executing SQL.\nError [%1]: %2.\n\"%3\"").arg(code).arg(message, sql);
}

QString ErrorText(sqlite3* db, int code, const QString& sql) {
  return ErrorText(QString::fromUtf8(sqlite3_errmsg(db)), code, sql);
}

// How a column is read: by its declared type, or by the value's own type when it has none.
enum class ColumnKind { Integer, Float, Blob, Text, Dynamic };

ColumnKind KindOfDeclaredType(const char* declared) {
  if (!declared) return ColumnKind::Dynamic;
  const QByteArray type = QByteArray(declared).trimmed().toUpper();
  if (type == "INTEGER" || type == "BOOLEAN") return ColumnKind::Integer;
  if (type == "NUMERIC" || type == "FLOAT" || type == "DOUBLE" || type == "REAL") return ColumnKind::Float;
  if (type == "BLOB") return ColumnKind::Blob;
  return ColumnKind::Text;
}

ColumnKind KindOfValue(int sqliteType) {
  switch (sqliteType) {
    case SQLITE_INTEGER:
      return ColumnKind::Integer;
    case SQLITE_FLOAT:
      return ColumnKind::Float;
    case SQLITE_BLOB:
      return ColumnKind::Blob;
    default:
      return ColumnKind::Text;
  }
}

TSQLiteTable::Value ReadValue(sqlite3_stmt* statement, int column, ColumnKind kind) {
  const int type = sqlite3_column_type(statement, column);
  if (type == SQLITE_NULL) return std::monostate{};
  if (kind == ColumnKind::Dynamic) kind = KindOfValue(type);
  switch (kind) {
    case ColumnKind::Integer:
      return qint64(sqlite3_column_int64(statement, column));
    case ColumnKind::Float:
      return sqlite3_column_double(statement, column);
    case ColumnKind::Blob: {
      const auto* data = static_cast<const char*>(sqlite3_column_blob(statement, column));
      return QByteArray(data, sqlite3_column_bytes(statement, column));
    }
    default: {
      const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
      return QString::fromUtf8(text, sqlite3_column_bytes(statement, column));
    }
  }
}
}  // namespace

void TSQLiteDatabase::Closer::operator()(sqlite3* db) const { sqlite3_close_v2(db); }

TSQLiteDatabase::TSQLiteDatabase(const QString& fileName, const QString& password) {
  // SQLite here has no encryption: refusing a key beats writing the data in clear.
  if (!password.isEmpty()) {
    openError_ = QStringLiteral("this SQLite cannot open an encrypted database");
    return;
  }
  const QFileInfo file(fileName);
  const QString folder = file.absolutePath();
  if (!QFileInfo(folder).isDir() && !QDir().mkpath(folder)) {
    openError_ = QStringLiteral("cannot create the folder %1").arg(folder);
    return;
  }

  // As sqlite3_open, but without the per-call mutex: a connection belongs to one operation on
  // one thread.
  sqlite3* raw = nullptr;
  const int opened =
      sqlite3_open_v2(NativePath(fileName).c_str(), &raw,
                      SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
  std::unique_ptr<sqlite3, Closer> db(raw);  // a handle comes back even on failure
  const auto failed = [&](int code) {
    openError_ = QStringLiteral("%1: %2").arg(
        fileName, QString::fromUtf8(db ? sqlite3_errmsg(db.get()) : sqlite3_errstr(code)));
    return code != SQLITE_OK;
  };
  if (failed(opened)) return;
  sqlite3_busy_timeout(db.get(), kBusyTimeoutMs);
  // Setting the sync mode reads the schema, so a file that is no database (or stays locked past
  // the timeout) is refused here rather than at its first query.
  if (failed(sqlite3_exec(db.get(), "PRAGMA SYNCHRONOUS=NORMAL;", nullptr, nullptr, nullptr))) return;
  if (failed(sqlite3_exec(db.get(), "PRAGMA temp_store = MEMORY;", nullptr, nullptr, nullptr))) return;
  openError_.clear();
  db_ = std::move(db);
}

TSQLiteDatabase::~TSQLiteDatabase() = default;

void TSQLiteDatabase::Close() {
  db_.reset();
  openError_ = QStringLiteral("closed");
}

ESQLiteException TSQLiteDatabase::NotOpenError(const QString& sql) const {
  return ESQLiteException(
      ErrorText(QStringLiteral("database not open (%1)").arg(openError_), SQLITE_MISUSE, sql), SQLITE_MISUSE);
}

void TSQLiteDatabase::ExecSQL(const QString& sql) {
  if (!db_)
    throw ESQLiteException(
        ErrorText(QStringLiteral("database not open (%1)").arg(openError_), SQLITE_MISUSE, sql),
        SQLITE_MISUSE);
  int result = SQLITE_OK;
  const Statement statement = Prepare(db_.get(), sql.toUtf8(), &result);
  if (result != SQLITE_OK) throw ESQLiteException(ErrorText(db_.get(), result, sql), result);
  if (!statement) return;  // only blanks or comments
  result = sqlite3_step(statement.get());
  if (result != SQLITE_DONE) throw ESQLiteException(ErrorText(db_.get(), result, sql), result);
}

TSQLiteTable TSQLiteDatabase::QueryTable(const QString& sql) const {
  if (!db_) throw NotOpenError(sql);
  int result = SQLITE_OK;
  const Statement statement = Prepare(db_.get(), sql.toUtf8(), &result);
  if (result != SQLITE_OK) throw ESQLiteException(ErrorText(db_.get(), result, sql), result);
  if (!statement) return {};

  const int columnCount = sqlite3_column_count(statement.get());
  QStringList columns;
  std::vector<ColumnKind> kinds;
  columns.reserve(columnCount);
  kinds.reserve(size_t(columnCount));
  for (int c = 0; c < columnCount; ++c) {
    columns.append(QString::fromUtf8(sqlite3_column_name(statement.get(), c)));
    kinds.push_back(KindOfDeclaredType(sqlite3_column_decltype(statement.get(), c)));
  }

  std::vector<TSQLiteTable::Value> values;
  values.reserve(size_t(columnCount) * 64);  // most results here are small tables of rules
  while ((result = sqlite3_step(statement.get())) == SQLITE_ROW)
    for (int c = 0; c < columnCount; ++c) values.push_back(ReadValue(statement.get(), c, kinds[size_t(c)]));
  if (result != SQLITE_DONE) throw ESQLiteException(ErrorText(db_.get(), result, sql), result);
  return TSQLiteTable(std::move(columns), std::move(values));
}

TSQLiteTable TSQLiteDatabase::GetTable(const QString& sql) const {
  if (!db_) return {};
  try {
    return QueryTable(sql);
  } catch (const ESQLiteException&) {
    return {};  // a query cut short is no result
  }
}

bool TSQLiteDatabase::TableExists(const QString& name) const {
  QString lower = name.toLower();
  lower.replace(QLatin1Char('\''), QLatin1String("''"));
  return GetTable(
             QStringLiteral("select [sql] from sqlite_master where [type] = 'table' and lower(name) = '") +
             lower + QStringLiteral("' "))
             .Count() > 0;
}

qint64 TSQLiteDatabase::LastInsertRowID() const { return db_ ? sqlite3_last_insert_rowid(db_.get()) : 0; }
