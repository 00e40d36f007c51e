// Text-replacement rules: their statements, their order, and add / edit / delete on data.db.
#include <QFileInfo>

#include "settings/DayCount.h"
#include "settings/TxtReplaceRules.h"
#include "support/TestSupport.h"

using testsupport::TempDir;

namespace {
TxtReplaceRule Rule(const QString& name, int priority, const QString& from = {}, const QString& to = {}) {
  TxtReplaceRule rule;
  rule.Name = name;
  rule.sValue1 = from;
  rule.sValue2 = to;
  rule.intData1 = priority;
  return rule;
}

QStringList NamesInOrder(const QString& dbPath) {
  QStringList names;
  for (const TxtReplaceRule& rule : LoadTxtReplaceRules(dbPath)) names << rule.Name;
  return names;
}

const QDateTime kCreated(QDate(2015, 7, 1), QTime(9, 5, 3));
}  // namespace

TEST(TxtReplaceRules, StatementTexts) {
  EXPECT_EQ(TxtReplaceOrderSQL(), QStringLiteral("select * from MainTable1 order by intData1 desc"));
  TxtReplaceRule rule = Rule(QStringLiteral("it's"), -5, QStringLiteral("a'b"), {});
  rule.ID = 12;
  EXPECT_EQ(TxtReplaceInsertSQL(rule, 42186.5),
            QStringLiteral("INSERT INTO MainTable1(Name,sValue1,sValue2,intData1,floatData1) "
                           "VALUES ('it''s','a''b','',-5,42186.5)"));
  EXPECT_EQ(
      TxtReplaceUpdateSQL(rule),
      QStringLiteral("update MainTable1 set Name='it''s',sValue1='a''b',sValue2='',intData1=-5 where id=12"));
}

TEST(TxtReplaceRules, ReadInPriorityOrderHighestFirst) {
  TempDir dir;
  const QString db = dir.file(QStringLiteral("data.db"));
  for (const auto& [name, priority] : std::initializer_list<std::pair<const char*, int>>{
           {"low", -5}, {"default", 0}, {"high", 10}, {"tie-a", 3}, {"tie-b", 3}, {"max", 2147483647}}) {
    AddTxtReplaceRule(db, Rule(QLatin1String(name), priority), kCreated);
  }
  // Equal priorities come in the order of creation.
  EXPECT_EQ(NamesInOrder(db),
            (QStringList{QStringLiteral("max"), QStringLiteral("high"), QStringLiteral("tie-a"),
                         QStringLiteral("tie-b"), QStringLiteral("default"), QStringLiteral("low")}));
  EXPECT_EQ(LoadTxtReplaceRules(db).front().intData1, 2147483647);
}

TEST(TxtReplaceRules, StoredAsTypedAndEditKeepsTheCreationTime) {
  TempDir dir;
  const QString db = dir.file(QStringLiteral("data.db"));
  TxtReplaceRule rule =
      Rule(QStringLiteral("  it's a rule  "), 7, QStringLiteral("www.example.com\r\n第二行\r\n'3'"),
           QStringLiteral("line 1\r\nline 2\r\nline 3"));
  rule.ID = AddTxtReplaceRule(db, rule, kCreated);
  ASSERT_GT(rule.ID, 0);

  std::optional<TxtReplaceRule> stored = LoadTxtReplaceRule(db, rule.ID);
  ASSERT_TRUE(stored);
  EXPECT_EQ(stored->Name, rule.Name);
  EXPECT_EQ(stored->sValue1, rule.sValue1);
  EXPECT_EQ(stored->sValue2, rule.sValue2);
  EXPECT_EQ(stored->intData1, 7);
  EXPECT_EQ(DayCountToDateTime(stored->floatData1), kCreated);

  rule.Name = QStringLiteral("edited");
  rule.sValue2.clear();
  rule.intData1 = -1;
  rule.floatData1 = 1.0;  // ignored: an edit never touches the creation time
  UpdateTxtReplaceRule(db, rule);
  stored = LoadTxtReplaceRule(db, rule.ID);
  ASSERT_TRUE(stored);
  EXPECT_EQ(stored->Name, QStringLiteral("edited"));
  EXPECT_EQ(stored->sValue2, QString());
  EXPECT_EQ(stored->intData1, -1);
  EXPECT_EQ(DayCountToDateTime(stored->floatData1), kCreated);

  const qint64 second = AddTxtReplaceRule(db, Rule(QStringLiteral("second"), 0));
  DeleteTxtReplaceRule(db, rule.ID);
  EXPECT_FALSE(LoadTxtReplaceRule(db, rule.ID));
  EXPECT_EQ(NamesInOrder(db), QStringList{QStringLiteral("second")});
  DeleteTxtReplaceRule(db, second);
  EXPECT_TRUE(LoadTxtReplaceRules(db).empty());
}

TEST(TxtReplaceRules, FreshInstallationGetsTheDatabase) {
  TempDir dir;
  const QString db = dir.file(QStringLiteral("Data/data.db"));
  EXPECT_TRUE(LoadTxtReplaceRules(db).empty());
  EXPECT_TRUE(QFileInfo(db).size() > 0);
  QString error;
  const auto fresh = TryLoadTxtReplaceRules(dir.file(QStringLiteral("Fresh/data.db")), &error);
  ASSERT_TRUE(fresh) << error.toStdString();  // a new database is a readable one without rules
  EXPECT_TRUE(fresh->empty());
  // The first rule lands in a complete database even when nothing listed the rules before.
  const QString untouched = dir.file(QStringLiteral("Other/data.db"));
  EXPECT_FALSE(LoadTxtReplaceRule(untouched, 1));
  AddTxtReplaceRule(untouched, Rule(QStringLiteral("first"), 0));
  EXPECT_EQ(NamesInOrder(untouched), QStringList{QStringLiteral("first")});
}

TEST(TxtReplaceRules, UnusableDatabasesGiveNoRulesAndStoringRaises) {
  TempDir dir;
  const QString noTable = dir.file(QStringLiteral("notable.db"));
  TSQLiteDatabase(noTable).ExecSQL(QStringLiteral("create table infos (x)"));
  const QString notDb = dir.file(QStringLiteral("text.db"));
  testsupport::WriteFile(notDb, QByteArray(4096, 'x'));
  const QString empty = dir.file(QStringLiteral("empty.db"));
  testsupport::WriteFile(empty, {});

  for (const QString& db : {noTable, notDb, empty}) {
    SCOPED_TRACE(db.toStdString());
    EXPECT_TRUE(LoadTxtReplaceRules(db).empty());
    // The run tells the user; a database it cannot read is not one without rules.
    QString error;
    EXPECT_FALSE(TryLoadTxtReplaceRules(db, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(LoadTxtReplaceRule(db, 1));
    EXPECT_THROW(AddTxtReplaceRule(db, Rule(QStringLiteral("r"), 0)), ESQLiteException);
    EXPECT_THROW(UpdateTxtReplaceRule(db, Rule(QStringLiteral("r"), 0)), ESQLiteException);
    EXPECT_THROW(DeleteTxtReplaceRule(db, 1), ESQLiteException);
  }
  EXPECT_EQ(testsupport::ReadFile(notDb), QByteArray(4096, 'x'));
}

TEST(TxtReplaceRules, RowsWithNullsAndOddTypesStillRead) {
  TempDir dir;
  const QString db = dir.file(QStringLiteral("data.db"));
  TQSQLite store(db);
  store.Database()->ExecSQL(QStringLiteral("insert into MainTable1 (Name) values ('only a name')"));
  store.Database()->ExecSQL(QStringLiteral(
      "insert into MainTable1 (Name,intData1,floatData1) values ('odd','12abc','not a time')"));
  const std::vector<TxtReplaceRule> rules = LoadTxtReplaceRules(db);
  ASSERT_EQ(rules.size(), 2u);
  EXPECT_EQ(rules[0].Name, QStringLiteral("odd"));
  EXPECT_EQ(rules[0].floatData1, 0.0);
  EXPECT_EQ(rules[1].sValue1, QString());
  EXPECT_EQ(rules[1].intData1, 0);
}

TEST(DayCount, RoundTripsThroughTheEpochConvention) {
  const struct {
    QDateTime time;
    double days;
  } cases[] = {
      {QDateTime(QDate(1899, 12, 30), QTime(0, 0)), 0.0},
      {QDateTime(QDate(1899, 12, 31), QTime(18, 0)), 1.75},
      {QDateTime(QDate(1899, 12, 29), QTime(6, 0)), -1.25},
      {QDateTime(QDate(2015, 7, 1), QTime(12, 0)), 42186.5},
  };
  for (const auto& c : cases) {
    EXPECT_DOUBLE_EQ(DateTimeToDayCount(c.time), c.days) << c.time.toString().toStdString();
    EXPECT_EQ(DayCountToDateTime(c.days), c.time) << c.days;
  }
  EXPECT_EQ(DayCountToDateTime(DateTimeToDayCount(kCreated)), kCreated);
  EXPECT_FALSE(DayCountToDateTime(std::numeric_limits<double>::quiet_NaN()).isValid());
}
