// The SQLite store: statement texts, opening good and bad files, the key/value table.
#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QLocale>

#include <atomic>
#include <thread>

#include "settings/QuickSQLite.h"
#include "settings/SQLSet.h"
#include "support/TestSupport.h"

using testsupport::TempDir;

namespace {
QStringList TableNames(const QString& dbPath) {
  TSQLiteDatabase db(dbPath);
  TSQLiteTable t =
      db.GetTable(QStringLiteral("select name from sqlite_master where type='table' order by rowid"));
  QStringList names;
  for (; !t.Eof(); t.Next()) names << t.FieldAsString(0);
  return names;
}
}  // namespace

TEST(SQLSet, BuildsInsertAndUpdateTexts) {
  TSQLSet set(QStringLiteral("MainTable1"));
  set.AddPram(QStringLiteral("Name"), QStringLiteral("a'b"));
  set.AddPram(QStringLiteral("intData1"), 5);
  EXPECT_EQ(set.GetInsertSQL(), QStringLiteral("INSERT INTO MainTable1(Name,intData1) VALUES ('a''b',5)"));
  EXPECT_EQ(set.GetUpdateSQL(), QStringLiteral("update MainTable1 set Name='a''b',intData1=5"));
  EXPECT_EQ(set.GetUpdateSQL(QStringLiteral("where id=3")),
            QStringLiteral("update MainTable1 set Name='a''b',intData1=5 where id=3"));

  set.ClearPram();
  set.AddPram(QStringLiteral("big"), qint64(1) << 40);
  set.AddPram(QStringLiteral("on"), true);
  set.AddPram(QStringLiteral("off"), false);
  set.AddPram(QStringLiteral("raw"), QStringLiteral("x+1"), 7);  // unknown code: unquoted
  set.AddPram(QStringLiteral("lit"), "it's");                    // a C string stays text
  set.AddPramByDateTimeStr(QStringLiteral("at"), QDateTime(QDate(2015, 7, 1), QTime(9, 5, 3)));
  set.AddPram(QStringLiteral("day"), QDateTime(QDate(1899, 12, 31), QTime(12, 0)));
  EXPECT_EQ(set.GetInsertSQL(), QStringLiteral("INSERT INTO MainTable1(big,on,off,raw,lit,at,day) VALUES "
                                               "(1099511627776,1,0,x+1,'it''s','2015-07-01 09:05:03',1.5)"));
}

TEST(SQLSet, NumbersUseAPointWhateverTheLocale) {
  const QLocale saved;
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  const struct {
    double value;
    const char* sql;
  } cases[] = {
      {0.5, "0.5"},
      {-2.25, "-2.25"},
      {42186.3785532407, "42186.3785532407"},
      {1.0 / 3, "0.333333333333333"},
      {1e20, "1e+20"},
      {0, "0"},
  };
  for (const auto& c : cases) {
    TSQLSet set(QStringLiteral("t"));
    set.AddPram(QStringLiteral("f"), c.value);
    EXPECT_EQ(set.GetInsertSQL(), QStringLiteral("INSERT INTO t(f) VALUES (%1)").arg(QLatin1String(c.sql)));
  }
  QLocale::setDefault(saved);
  EXPECT_EQ(SQLFloat(std::numeric_limits<double>::quiet_NaN()), QStringLiteral("NULL"));
}

TEST(SQLiteDatabase, NewFileGetsFolderAndStandardSchema) {
  TempDir dir;
  const QString path = dir.file(QStringLiteral("a/b/data.db"));
  {
    TQSQLite store(path);
    EXPECT_EQ(store.DbState(), dbsOpen);
  }
  QStringList expected{QStringLiteral("infos")};
  for (int n = 1; n <= 10; ++n) expected << QStringLiteral("MainTable%1").arg(n);
  EXPECT_EQ(TableNames(path), expected);

  // The statements as stored by SQLite (it keeps the text, without the final ';').
  TSQLiteDatabase db(path);
  const auto schemaOf = [&db](const char* table) {
    TSQLiteTable t = db.GetTable(
        QStringLiteral("select sql from sqlite_master where name='%1'").arg(QLatin1String(table)));
    return t.FieldAsString(0);
  };
  EXPECT_EQ(
      schemaOf("infos"),
      QStringLiteral("CREATE TABLE infos ([ID] INTEGER PRIMARY KEY,[Name] TEXT COLLATE NOCASE,[content] TEXT,"
                     "[IntData1] INTEGER,[floatData1] FLOAT,[date1] FLOAT, [date2] FLOAT)"));
  EXPECT_EQ(schemaOf("MainTable7"),
            QStringLiteral(
                "CREATE TABLE MainTable7 ([ID] INTEGER PRIMARY KEY,[Name] TEXT COLLATE NOCASE,[sValue1] TEXT,"
                "[sValue2] TEXT, [TD1] TEXT COLLATE NOCASE,[TD2] TEXT COLLATE NOCASE, [TD3] TEXT COLLATE "
                "NOCASE, [IntData1] INTEGER, [IntData2] INTEGER, [IntData3] INTEGER, [floatData1] FLOAT, "
                "[floatData2] FLOAT, [floatData3] FLOAT, [date1] FLOAT, [date2] FLOAT)"));
  EXPECT_TRUE(db.TableExists(QStringLiteral("maintable10")));
  EXPECT_FALSE(db.TableExists(QStringLiteral("MainTable11")));
  EXPECT_FALSE(db.TableExists(QStringLiteral("x' or '1'='1")));
  // MainTable1 takes the rule columns, in any letter case.
  EXPECT_NO_THROW(
      db.ExecSQL(QStringLiteral("insert into MainTable1 (Name,sValue1,sValue2,intData1,floatData1) "
                                "values ('n','a','b',1,2.5)")));
}

// Workers of one run, or programs side by side, that find no data.db all at once: every one
// reads the whole schema, none a file another is still filling.
TEST(SQLiteDatabase, ANewFileIsNeverSeenWithoutItsSchema) {
  for (int round = 0; round < 10; ++round) {
    TempDir dir;
    const QString path = dir.file(QStringLiteral("data.db"));
    std::atomic<int> complete{0};
    std::vector<std::thread> openers;
    for (int i = 0; i < 4; ++i)
      openers.emplace_back([&] {
        TQSQLite store(path);
        if (store.DbState() == dbsOpen && store.Database()->TableExists(QStringLiteral("MainTable10"))) ++complete;
      });
    for (std::thread& opener : openers) opener.join();
    EXPECT_EQ(complete.load(), 4);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({QStringLiteral("data.db")}));
  }
}

TEST(SQLiteDatabase, BadFilesGiveClosedStateOrNoRows) {
  TempDir dir;
  const QString notDb = dir.file(QStringLiteral("text.db"));
  testsupport::WriteFile(notDb, QByteArray("this is not a database, just some text\n").repeated(200));
  const QString empty = dir.file(QStringLiteral("empty.db"));
  testsupport::WriteFile(empty, {});
  const QString bare = dir.file(QStringLiteral("bare.db"));
  {
    TSQLiteDatabase db(bare);
    db.ExecSQL(QStringLiteral("create table other (x)"));
  }
  testsupport::WriteFile(dir.file(QStringLiteral("file")), "x");
  const QString underFile = dir.file(QStringLiteral("file/data.db"));

  // Not a database, or a folder that cannot be made: closed, every operation at its default.
  for (const QString& path : {notDb, underFile}) {
    SCOPED_TRACE(path.toStdString());
    TQSQLite store(path);
    EXPECT_EQ(store.DbState(), dbsClosed);
    EXPECT_EQ(store.SetValue(QStringLiteral("k"), QStringLiteral("v")), -1);
    EXPECT_EQ(store.GetValue(QStringLiteral("k"), QStringLiteral("def")), QStringLiteral("def"));
    EXPECT_EQ(store.DelDataById(QStringLiteral("infos"), {}), -1);
    EXPECT_FALSE(store.isHaveRecord(QStringLiteral("select 1")));
    EXPECT_THROW(store.Database()->ExecSQL(QStringLiteral("select 1")), ESQLiteException);
  }
  EXPECT_EQ(testsupport::ReadFile(notDb),
            QByteArray("this is not a database, just some text\n").repeated(200));

  // An existing empty file, or one without the standard tables, is opened but never completed.
  for (const QString& path : {empty, bare}) {
    SCOPED_TRACE(path.toStdString());
    TQSQLite store(path);
    EXPECT_EQ(store.DbState(), dbsOpen);
    EXPECT_EQ(store.GetTable(QStringLiteral("select * from MainTable1")).Count(), 0);
    EXPECT_EQ(store.GetValue(QStringLiteral("k"), QStringLiteral("def")), QStringLiteral("def"));
    EXPECT_THROW(store.SetValue(QStringLiteral("k"), QStringLiteral("v")), ESQLiteException);
  }
  EXPECT_EQ(QFileInfo(empty).size(), 0);
  EXPECT_EQ(TableNames(bare), QStringList{QStringLiteral("other")});

  // A key the connection layer cannot apply is refused instead of being ignored.
  EXPECT_FALSE(TSQLiteDatabase(dir.file(QStringLiteral("keyed.db")), QStringLiteral("secret")).isOpen());
}

TEST(SQLiteDatabase, FailedStatementRaisesWithMessageAndText) {
  TempDir dir;
  TSQLiteDatabase db(dir.file(QStringLiteral("data.db")));
  ASSERT_TRUE(db.isOpen());
  try {
    db.ExecSQL(QStringLiteral("insert into nowhere values (1)"));
    FAIL() << "no error raised";
  } catch (const ESQLiteException& e) {
    EXPECT_TRUE(e.message().contains(QStringLiteral("no such table: nowhere"))) << e.what();
    EXPECT_TRUE(e.message().contains(QStringLiteral("insert into nowhere values (1)"))) << e.what();
    EXPECT_EQ(e.errorCode(), SQLITE_ERROR);
  }
  EXPECT_EQ(db.GetTable(QStringLiteral("select * from nowhere")).Count(), 0);
  EXPECT_EQ(db.GetTable(QStringLiteral("selec oops")).Count(), 0);
}

TEST(SQLiteDatabase, LockedPastTheTimeoutGivesClosedNoRowsOrTheError) {
  TempDir dir;
  const QString path = dir.file(QStringLiteral("data.db"));
  TQSQLite store(path);
  ASSERT_EQ(store.SetValue(QStringLiteral("k"), QStringLiteral("v")), 1);

  // Another connection holds the file exclusively (SQLite's locks are per file, so a second
  // connection of this process is refused as another process would be).
  sqlite3* raw = nullptr;
  ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &raw), SQLITE_OK);
  std::unique_ptr<sqlite3, decltype(&sqlite3_close)> holder(raw, &sqlite3_close);
  ASSERT_EQ(sqlite3_exec(raw, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);

  EXPECT_EQ(store.GetValue(QStringLiteral("k"), QStringLiteral("def")), QStringLiteral("def"));
  try {
    store.SetValue(QStringLiteral("k"),
                   QStringLiteral("w"));  // its lookup finds nothing, the insert is refused
    FAIL() << "no error raised";
  } catch (const ESQLiteException& e) {
    EXPECT_EQ(e.errorCode(), SQLITE_BUSY) << e.what();
  }
  EXPECT_EQ(TQSQLite(path).DbState(), dbsClosed);

  sqlite3_exec(raw, "COMMIT", nullptr, nullptr, nullptr);
  EXPECT_EQ(store.GetValue(QStringLiteral("k")), QStringLiteral("v"));
}

TEST(SQLiteTable, ReadsByDeclaredTypeAndNameWithoutCase) {
  TempDir dir;
  TSQLiteDatabase db(dir.file(QStringLiteral("data.db")));
  db.ExecSQL(QStringLiteral("create table t (i INTEGER, f FLOAT, s TEXT, b BLOB, n NUMERIC, d)"));
  db.ExecSQL(QStringLiteral("insert into t values (7, 2.5, '12abc', x'00ff', '3', 'dyn')"));
  db.ExecSQL(QStringLiteral("insert into t values (NULL, NULL, NULL, NULL, NULL, 4)"));
  TSQLiteTable t = db.GetTable(QStringLiteral("select * from t order by rowid"));
  ASSERT_EQ(t.Count(), 2);
  EXPECT_EQ(t.ColCount(), 6);

  EXPECT_EQ(t.FieldAsInteger(QStringLiteral("I")), 7);
  EXPECT_EQ(t.FieldByName(QStringLiteral("i")), QStringLiteral("7"));
  EXPECT_DOUBLE_EQ(t.FieldAsDouble(QStringLiteral("F")), 2.5);
  EXPECT_EQ(t.FieldByName(QStringLiteral("f")), QStringLiteral("2.5"));
  EXPECT_EQ(t.FieldByName(QStringLiteral("s")), QStringLiteral("12abc"));
  EXPECT_THROW(t.FieldAsDouble(QStringLiteral("s")), ESQLiteException);
  EXPECT_DOUBLE_EQ(t.FieldAsDouble(QStringLiteral("n")), 3.0);  // NUMERIC reads as a number
  EXPECT_EQ(t.FieldByName(QStringLiteral("d")), QStringLiteral("dyn"));
  EXPECT_EQ(t.FieldAsInteger(QStringLiteral("missing")), 0);
  EXPECT_EQ(t.FieldByName(QStringLiteral("missing")), QString());

  t.Next();
  for (const char* column : {"i", "f", "s", "b", "n"}) {
    EXPECT_EQ(t.FieldByName(QLatin1String(column)), QString()) << column;
    EXPECT_EQ(t.FieldAsInteger(QLatin1String(column)), 0) << column;
  }
  EXPECT_EQ(t.FieldAsDouble(QStringLiteral("f")), 0.0);
  EXPECT_EQ(t.FieldAsInteger(QStringLiteral("d")), 4);  // no declared type: the value's own
  t.Next();
  EXPECT_TRUE(t.Eof());
  EXPECT_EQ(t.FieldByName(QStringLiteral("i")), QString());
}

TEST(QSQLite, KeyValuesRoundTripQuotedAndCaseInsensitive) {
  TempDir dir;
  TQSQLite store(dir.file(QStringLiteral("data.db")));
  const QString value = QStringLiteral("it's \"quoted\" 中文\r\nsecond line");
  EXPECT_EQ(store.SetValue(QStringLiteral("Theme"), value), 1);
  EXPECT_EQ(store.SetValue(QStringLiteral("theme"), QStringLiteral("it's")), 0);
  EXPECT_EQ(store.GetValue(QStringLiteral("THEME")), QStringLiteral("it's"));
  EXPECT_EQ(store.GetValueBySQL(QStringLiteral("select count(*) from infos")), QStringLiteral("1"));
  EXPECT_EQ(store.SetValue(QStringLiteral("o'key"), value), 1);
  EXPECT_EQ(store.GetValue(QStringLiteral("o'key")), value);

  EXPECT_EQ(store.GetValue(QStringLiteral("missing"), QStringLiteral("def")), QStringLiteral("def"));
  EXPECT_EQ(store.GetValueAsDouble(QStringLiteral("missing"), 4.5), 4.5);
  EXPECT_EQ(store.GetValueBySQL(QStringLiteral("select 1 where 0"), QStringLiteral("none")),
            QStringLiteral("none"));

  EXPECT_EQ(store.SetValueByDouble(QStringLiteral("ratio"), 0.25), 1);
  EXPECT_EQ(store.SetValueByDouble(QStringLiteral("RATIO"), 1.75), 0);
  EXPECT_DOUBLE_EQ(store.GetValueAsDouble(QStringLiteral("ratio"), 0), 1.75);

  EXPECT_EQ(store.DbVersion(), 0.0);
  store.SetDbVersion(3.5);
  store.SetDbName(QStringLiteral("rules"));
  TQSQLite reopened(dir.file(QStringLiteral("data.db")));
  EXPECT_DOUBLE_EQ(reopened.DbVersion(), 3.5);
  EXPECT_EQ(reopened.DbName(), QStringLiteral("rules"));

  TQSQLite none;
  EXPECT_EQ(none.DbState(), dbsClosed);
  EXPECT_EQ(none.GetValue(QStringLiteral("Theme"), QStringLiteral("def")), QStringLiteral("def"));
  EXPECT_EQ(none.SetValueByDouble(QStringLiteral("x"), 1), -1);
}

TEST(QSQLite, TableOperations) {
  TempDir dir;
  TQSQLite store(dir.file(QStringLiteral("data.db")));
  TSQLiteDatabase& db = *store.Database();
  db.ExecSQL(QStringLiteral("insert into MainTable2 (Name) values ('code''1')"));
  const QString id = store.GetValueBySQL(QStringLiteral("select ID from MainTable2"));

  EXPECT_TRUE(store.isExistCodeId(QStringLiteral("MainTable2"), QStringLiteral("Name"), {},
                                  QStringLiteral("code'1")));
  EXPECT_FALSE(store.isExistCodeId(QStringLiteral("MainTable2"), QStringLiteral("Name"), id,
                                   QStringLiteral("code'1")));
  EXPECT_TRUE(store.isExistCodeId(QStringLiteral("MainTable2"), QStringLiteral("Name"), QStringLiteral("999"),
                                  QStringLiteral("CODE'1")));
  EXPECT_FALSE(
      store.isExistCodeId(QStringLiteral("MainTable2"), QStringLiteral("Name"), {}, QStringLiteral("x")));

  db.ExecSQL(QStringLiteral("insert into MainTable2 (Name) values ('b'),('c')"));
  EXPECT_EQ(store.DelDataById(QStringLiteral("MainTable2"), id), 1);
  EXPECT_EQ(store.GetValueBySQL(QStringLiteral("select count(*) from MainTable2")), QStringLiteral("2"));
  EXPECT_EQ(store.DelDataById(QStringLiteral("MainTable2"), {}), 1);
  EXPECT_FALSE(store.isHaveRecord(QStringLiteral("select * from MainTable2")));
  EXPECT_EQ(store.DelDataById(QStringLiteral("NoTable"), QStringLiteral("1")), -2);

  EXPECT_EQ(
      TQSQLite::GetCreateDbSQL(QStringLiteral("T"), QStringLiteral("a,b"), QStringLiteral("n"), {}),
      QStringLiteral("CREATE TABLE T ([ID] INTEGER PRIMARY KEY,a TEXT COLLATE NOCASE,b TEXT COLLATE NOCASE,"
                     "n INTEGER DEFAULT 0);"));
  EXPECT_EQ(TQSQLite::GetCreateDbSQL(QStringLiteral("T"), {}, {}, QStringLiteral("f")),
            QStringLiteral("CREATE TABLE T ([ID] INTEGER PRIMARY KEY,f FLOAT DEFAULT 0);"));

  EXPECT_TRUE(store.ChangeDb(dir.file(QStringLiteral("other.db"))));
  EXPECT_EQ(store.DbPath(), dir.file(QStringLiteral("other.db")));
  EXPECT_EQ(store.GetValue(QStringLiteral("Theme"), QStringLiteral("def")), QStringLiteral("def"));
  EXPECT_FALSE(store.ChangeDb(dir.file(QStringLiteral("other.db")), QStringLiteral("key")));
  EXPECT_EQ(store.DbState(), dbsClosed);
}

TEST(QSQLite, ExampleSchemaReplacesTheMainTables) {
  TempDir dir;
  TQSQLite store;
  store.SetExampleDbSQL(QStringLiteral("create table a (x);\ncreate table b (y);"));
  ASSERT_TRUE(store.ChangeDb(dir.file(QStringLiteral("example.db"))));
  EXPECT_EQ(TableNames(dir.file(QStringLiteral("example.db"))),
            (QStringList{QStringLiteral("infos"), QStringLiteral("a"), QStringLiteral("b")}));
}
