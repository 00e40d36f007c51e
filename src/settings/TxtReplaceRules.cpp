#include "settings/TxtReplaceRules.h"

#include <algorithm>
#include <limits>

#include "settings/DayCount.h"

namespace {
int ToPriority(qint64 value) {
  return int(std::clamp<qint64>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

double CreatedOf(const TSQLiteTable& table, int column) {
  try {
    return table.FieldAsDouble(column);
  } catch (const ESQLiteException&) {
    return 0;  // a hand-made table that declares the column as text
  }
}

// Every rule operation opens through TQSQLite, even where only one table is touched: a bare
// open of a missing file would leave an empty file behind that never gets its tables. A store
// opened with a path always has a connection, open or not; a closed one raises on ExecSQL.
TSQLiteDatabase& Connection(TQSQLite& store) { return *store.Database(); }
}  // namespace

QString TxtReplaceOrderSQL() {
  return QStringLiteral("select * from ") + kTxtReplaceTable + QStringLiteral(" order by ") + kFieldPriority +
         QStringLiteral(" desc");
}

std::vector<TxtReplaceRule> ReadTxtReplaceRules(TSQLiteTable table) {
  // Columns looked up once: the cleanup reads the rules for every text file.
  const int id = table.FieldIndex(QStringLiteral("ID"));
  const int name = table.FieldIndex(kFieldName);
  const int from = table.FieldIndex(kFieldFrom);
  const int to = table.FieldIndex(kFieldTo);
  const int priority = table.FieldIndex(kFieldPriority);
  const int created = table.FieldIndex(kFieldCreated);
  std::vector<TxtReplaceRule> rules;
  rules.reserve(size_t(table.Count()));
  for (table.MoveFirst(); !table.Eof(); table.Next()) {
    TxtReplaceRule rule;
    rule.ID = table.FieldAsInteger(id);
    rule.Name = table.FieldAsString(name);
    rule.sValue1 = table.FieldAsString(from);
    rule.sValue2 = table.FieldAsString(to);
    rule.intData1 = ToPriority(table.FieldAsInteger(priority));
    rule.floatData1 = CreatedOf(table, created);
    rules.push_back(std::move(rule));
  }
  return rules;
}

std::vector<TxtReplaceRule> LoadTxtReplaceRules(const QString& dbPath) {
  const TQSQLite store(dbPath);
  return ReadTxtReplaceRules(store.GetTable(TxtReplaceOrderSQL()));
}

std::optional<std::vector<TxtReplaceRule>> TryLoadTxtReplaceRules(const QString& dbPath, QString* error) {
  // A data.db that does not exist yet is made whole before it is put in place (TQSQLite): workers
  // or programs that open it at once never find it without its tables.
  const TQSQLite store(dbPath);
  if (store.DbState() != dbsOpen) {
    *error = QStringLiteral("cannot be opened");
    return std::nullopt;
  }
  TSQLiteTable table;
  try {
    table = store.Database()->QueryTable(TxtReplaceOrderSQL());
  } catch (const ESQLiteException& e) {
    *error = e.message();
    return std::nullopt;
  }
  return ReadTxtReplaceRules(std::move(table));
}

std::optional<TxtReplaceRule> LoadTxtReplaceRule(const QString& dbPath, qint64 id) {
  const TQSQLite store(dbPath);
  const std::vector<TxtReplaceRule> rules =
      ReadTxtReplaceRules(store.GetTable(QStringLiteral("select * from ") + kTxtReplaceTable +
                                         QStringLiteral(" where id=") + QString::number(id)));
  if (rules.empty()) return std::nullopt;
  return rules.front();
}

TSQLSet TxtReplaceRuleSet(const TxtReplaceRule& rule) {
  TSQLSet set(kTxtReplaceTable);
  set.AddPram(kFieldName, rule.Name);
  set.AddPram(kFieldFrom, rule.sValue1);
  set.AddPram(kFieldTo, rule.sValue2);
  set.AddPram(kFieldPriority, rule.intData1);
  return set;
}

QString TxtReplaceInsertSQL(const TxtReplaceRule& rule, double createdDayCount) {
  TSQLSet set = TxtReplaceRuleSet(rule);
  set.AddPram(kFieldCreated, createdDayCount);
  return set.GetInsertSQL();
}

QString TxtReplaceUpdateSQL(const TxtReplaceRule& rule) {
  return TxtReplaceRuleSet(rule).GetUpdateSQL(QStringLiteral("where id=") + QString::number(rule.ID));
}

qint64 AddTxtReplaceRule(const QString& dbPath, const TxtReplaceRule& rule, const QDateTime& now) {
  TQSQLite store(dbPath);
  TSQLiteDatabase& db = Connection(store);
  db.ExecSQL(TxtReplaceInsertSQL(rule, DateTimeToDayCount(now)));
  return db.LastInsertRowID();
}

qint64 AddTxtReplaceRule(const QString& dbPath, const TxtReplaceRule& rule) {
  return AddTxtReplaceRule(dbPath, rule, QDateTime::currentDateTime());
}

void UpdateTxtReplaceRule(const QString& dbPath, const TxtReplaceRule& rule) {
  TQSQLite store(dbPath);
  Connection(store).ExecSQL(TxtReplaceUpdateSQL(rule));
}

void DeleteTxtReplaceRule(const QString& dbPath, qint64 id) {
  TQSQLite store(dbPath);
  Connection(store).ExecSQL(QStringLiteral("delete from ") + kTxtReplaceTable + QStringLiteral(" where id=") +
                            QString::number(id));
}
