#pragma once
// Text-replacement rules: rows of "MainTable1" in data.db, applied to .txt files in order of
// priority (higher first). Every function opens the database for one operation and closes it.
#include <QString>
#include <optional>
#include <vector>

#include "settings/QuickSQLite.h"
#include "settings/SQLSet.h"

inline const QString kTxtReplaceTable = QStringLiteral("MainTable1");
inline const QString kFieldName = QStringLiteral("Name");
inline const QString kFieldFrom = QStringLiteral("sValue1");
inline const QString kFieldTo = QStringLiteral("sValue2");
inline const QString kFieldPriority = QStringLiteral("intData1");
inline const QString kFieldCreated = QStringLiteral("floatData1");

struct TxtReplaceRule {
  qint64 ID = 0;          // given by SQLite on insert
  QString Name;           // description, never empty when stored through the dialog
  QString sValue1;        // text to replace; may span lines
  QString sValue2;        // replacement; empty deletes
  int intData1 = 0;       // priority: larger replaces earlier
  double floatData1 = 0;  // creation time as a day count; set on insert, kept on edit
};

// The one order every reader uses: "select * from MainTable1 order by intData1 desc".
QString TxtReplaceOrderSQL();

// All rules in order (opened through TQSQLite, so a missing file gets its schema). No rules when
// the file cannot be opened or has no MainTable1.
std::vector<TxtReplaceRule> LoadTxtReplaceRules(const QString& dbPath);
// The same, but nothing, with SQLite's reason in *error, when the file cannot be read as the
// rules' database (damaged, not a database, no MainTable1), so a caller can tell the user.
std::optional<std::vector<TxtReplaceRule>> TryLoadTxtReplaceRules(const QString& dbPath, QString* error);
std::vector<TxtReplaceRule> ReadTxtReplaceRules(TSQLiteTable table);
// The rule with that ID, if any.
std::optional<TxtReplaceRule> LoadTxtReplaceRule(const QString& dbPath, qint64 id);

// The statements the rule dialog runs; insertion adds the creation time.
TSQLSet TxtReplaceRuleSet(const TxtReplaceRule& rule);
QString TxtReplaceInsertSQL(const TxtReplaceRule& rule, double createdDayCount);
QString TxtReplaceUpdateSQL(const TxtReplaceRule& rule);

// Store and delete. A database that cannot be opened or a statement that fails raises
// ESQLiteException, whose text the dialog shows. Add returns the new rule's ID.
qint64 AddTxtReplaceRule(const QString& dbPath, const TxtReplaceRule& rule, const QDateTime& now);
qint64 AddTxtReplaceRule(const QString& dbPath, const TxtReplaceRule& rule);
void UpdateTxtReplaceRule(const QString& dbPath, const TxtReplaceRule& rule);
void DeleteTxtReplaceRule(const QString& dbPath, qint64 id);
