// Time and path variables, output extensions, work-folder names, the output folder of a run.
#include <QFileInfo>
#include <QRegularExpression>

#include "settings/PathVars.h"
#include "support/TestSupport.h"

using testsupport::TempDir;

namespace {
const QDateTime kJuly1(QDate(2015, 7, 1), QTime(9, 5, 3));  // a Wednesday
const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);

QString At(const QString& text, const QDateTime& now, const TAmPmTexts& ampm = {}) {
  return ReplaceTimeVars(text, ampm, now, kEnglish);
}
}  // namespace

TEST(ReplaceTimeVars, EachVariableAndWhatIsNoVariable) {
  const struct {
    const char* text;
    const char* expected;
  } cases[] = {
      {"<yyyy>", "2015"},
      {"<yy>", "15"},
      {"<MM>", "07"},
      {"<M>", "7"},
      {"<dd>", "01"},
      {"<d>", "1"},
      {"<dddd>", "Wednesday"},
      {"<HH>", "09"},
      {"<H>", "9"},
      {"<ap>", "01"},
      {"<name>_<yyyy><MM><dd>-<HH>", "<name>_20150701-09"},
      {"<yyyy><yyyy>/<d>.<d>", "20152015/1.1"},
      {"<YYYY> <hh> <mm> <Yyyy> <app> <yyyy", "<YYYY> <hh> <mm> <Yyyy> <app> <yyyy"},
      {"plain text", "plain text"},
      {"", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(At(QString::fromUtf8(c.text), kJuly1), QString::fromUtf8(c.expected)) << c.text;

  EXPECT_EQ(ReplaceTimeVars(QStringLiteral("<dddd>"), {}, kJuly1, QLocale(QLocale::Chinese, QLocale::China)),
            QStringLiteral("星期三"));
  const QDateTime march9(QDate(2016, 3, 9), QTime(23, 0));
  EXPECT_EQ(At(QStringLiteral("<M>|<MM>|<d>|<dd>|<yy>|<H>"), march9), QStringLiteral("3|03|9|09|16|23"));
  EXPECT_EQ(At(QStringLiteral("<yy>"), QDateTime(QDate(2007, 1, 1), QTime(0, 0))), QStringLiteral("07"));
}

TEST(ReplaceTimeVars, AmUpToTwelveFiftyNinePmFromThirteen) {
  const struct {
    QTime time;
    const char* expected;
    const char* custom;
  } cases[] = {
      {QTime(0, 30), "01", "上午"},  {QTime(9, 0), "01", "上午"},  {QTime(12, 0), "01", "上午"},
      {QTime(12, 59), "01", "上午"}, {QTime(13, 0), "02", "下午"}, {QTime(23, 59), "02", "下午"},
  };
  const TAmPmTexts custom{QStringLiteral("上午"), QStringLiteral("下午")};
  for (const auto& c : cases) {
    const QDateTime now(QDate(2015, 7, 1), c.time);
    EXPECT_EQ(At(QStringLiteral("<ap>"), now), QLatin1String(c.expected)) << c.time.toString().toStdString();
    EXPECT_EQ(At(QStringLiteral("<ap>"), now, custom), QString::fromUtf8(c.custom));
  }
}

TEST(ReplaceTimeVars, InsertedValuesAreNotSearchedAgain) {
  // An am text is inserted by the last step; variables it holds stay as they are.
  const TAmPmTexts ampm{QStringLiteral("<H>"), QStringLiteral("pm")};
  EXPECT_EQ(At(QStringLiteral("<H>:<ap>"), kJuly1, ampm), QStringLiteral("9:<H>"));
}

TEST(NameTemplate, UsableOnlyWhenTheNameItMakesIsAValidFileName) {
  const struct {
    const char* format;
    bool valid;
  } cases[] = {
      {"<name>", true},
      {"<name>_<yyyy><MM><dd>", true},
      {"backup", true},  // no "<name>" at all
      {"[站点]<name>-<dddd>", true},
      {"<name>?", false},
      {"<name>.", false},
      {"", false},
      {"<NAME>", false},  // replaced case-sensitively, so its brackets stay
      {"<Name>_<yyyy>", false},
      {"con", false},  // reserved device names
      {"nul.txt", false},
      {"<name>/<yyyy>", false},
      {"<mm>", false},  // not a variable: its brackets stay
  };
  for (const auto& c : cases)
    EXPECT_EQ(IsValidNameTemplate(QString::fromUtf8(c.format), {}, kJuly1), c.valid) << c.format;
  // The am text goes into the name too.
  EXPECT_FALSE(IsValidNameTemplate(QStringLiteral("<name><ap>"), {QStringLiteral("a?"), {}}, kJuly1));
}

TEST(OutputNames, ExtensionAndWorkFolderName) {
  const struct {
    int index;
    const char* ext;
  } cases[] = {{0, ".rar"}, {1, ".zip"}, {2, ".7z"}, {5, ".rar"}, {-1, ".rar"}};
  for (const auto& c : cases) EXPECT_EQ(GetOutputExt(c.index), QLatin1String(c.ext)) << c.index;

  EXPECT_EQ(GetDateRandomName(kJuly1, 0), QStringLiteral("201507010905030"));
  EXPECT_EQ(GetDateRandomName(kJuly1, 42), QStringLiteral("2015070109050342"));
  EXPECT_EQ(GetDateRandomName(kJuly1, 999), QStringLiteral("20150701090503999"));
  for (int i = 0; i < 50; ++i)
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d{14}(0|[1-9]\\d{0,2})$"))
                    .match(GetDateRandomName())
                    .hasMatch());
}

TEST(OutputFolder, ExpandedCreatedOrRefused) {
  TempDir dir;
  const QString app = dir.path() + QStringLiteral("/app/");
  testsupport::WriteFile(dir.file(QStringLiteral("file")), "x");
  const struct {
    QString folder;
    QString expected;  // empty: refused
  } cases[] = {
      {QStringLiteral("<app>/out/<yyyy>-<MM>"), app + QStringLiteral("out/2015-07/")},
      {QStringLiteral("<app>/a/<app>/b"), app + QStringLiteral("a") + app + QStringLiteral("b/")},
      {dir.file(QStringLiteral("abs//x///")), dir.file(QStringLiteral("abs/x/"))},
      {QStringLiteral("relative/<d>"), app + QStringLiteral("relative/1/")},
      {QStringLiteral("<app>out"), QString()},  // a variable left unreplaced
      {QStringLiteral("<app>/<YYYY>"), QString()},
      {QStringLiteral("<app>/a<b>c"), QString()},
      // Characters Windows refuses are legal here: only what cannot be created is refused.
      {QStringLiteral("<app>/out: \"*?|\\<>"), app + QStringLiteral("out: \"*?|\\<>/")},
      {QStringLiteral("D:\\out"), app + QStringLiteral("D:\\out/")},
      {dir.file(QStringLiteral("file/sub")), QString()},
      {QStringLiteral("<app>/") + QString(300, QLatin1Char('n')), QString()},
      {QString(), QString()},
      {QStringLiteral("   "), QString()},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ResolveOutputFolder(c.folder, app, {}, kJuly1), c.expected) << c.folder.toStdString();
    if (!c.expected.isEmpty()) {
      EXPECT_TRUE(QFileInfo(c.expected).isDir()) << c.expected.toStdString();
    }
  }
  EXPECT_FALSE(QFileInfo::exists(app + QStringLiteral("<app>out")));

  // A program folder with a colon in its path is as good as any other.
  const QString colonApp = dir.path() + QStringLiteral("/C:prog/");
  EXPECT_EQ(ResolveOutputFolder(QStringLiteral("<app>/OutputPath"), colonApp, {}, kJuly1),
            colonApp + QStringLiteral("OutputPath/"));
  EXPECT_EQ(
      ExpandOutputFolder(QStringLiteral("<app>/out/<yyyy>-<MM>"), QStringLiteral("/opt/hm/"), {}, kJuly1),
      QStringLiteral("/opt/hm/out/2015-07"));
  EXPECT_EQ(ExpandOutputFolder(QStringLiteral("<app>out"), QStringLiteral("/opt/hm/"), {}, kJuly1),
            QStringLiteral("<app>out"));
}
