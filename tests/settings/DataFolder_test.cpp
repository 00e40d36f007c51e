// The data folder: seeding at start, the list files, and what OK of the settings dialog writes.
#include <QDir>
#include <QFileInfo>

#include "settings/DataFolder.h"
#include "support/TestSupport.h"
#include "util/CodePage.h"
#include "util/FileOps.h"

using testsupport::TempDir;

TEST(SeedDataFolder, CopiesTheSeedOnlyWhenDataIsMissing) {
  const struct {
    const char* what;
    bool haveData;
    bool haveSeed;
    bool seeded;
  } cases[] = {
      {"data missing, seed present", false, true, true},
      {"data present", true, true, false},
      {"neither", false, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    const TProgramPaths paths(dir.path());
    if (c.haveSeed) {
      testsupport::WriteFile(paths.seedDataFolder() + QStringLiteral("delete.dat"), "*.url\r\n");
      testsupport::WriteFile(paths.seedDataFolder() + QStringLiteral("MustFiles/readme.txt"), "read me");
      testsupport::MakeDir(paths.seedDataFolder() + QStringLiteral("empty"));
    }
    if (c.haveData) testsupport::WriteFile(paths.dataFolder() + QStringLiteral("Comment.txt"), "mine");

    EXPECT_EQ(SeedDataFolder(paths), c.seeded);
    if (c.seeded) {
      EXPECT_EQ(testsupport::TreeListing(paths.dataFolder()),
                testsupport::TreeListing(paths.seedDataFolder()));
      EXPECT_EQ(testsupport::ReadFile(paths.dataFolder() + QStringLiteral("MustFiles/readme.txt")),
                "read me");
    } else if (c.haveData) {
      EXPECT_EQ(testsupport::TreeListing(paths.dataFolder()), QStringList{QStringLiteral("Comment.txt")});
    } else {
      EXPECT_FALSE(QFileInfo::exists(paths.dataFolder()));
    }
    // No staging folder is left beside them.
    QStringList expected;
    if (c.haveData || c.seeded) expected << QStringLiteral("Data");
    if (c.haveSeed) expected << QStringLiteral("SysDb");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name),
              expected);
  }
}

TEST(SeedDataFolder, LaterStartsDoNotCopyAgain) {
  TempDir dir;
  const TProgramPaths paths(dir.path());
  testsupport::WriteFile(paths.seedDataFolder() + QStringLiteral("delete.dat"), "*.url\r\n");
  ASSERT_TRUE(SeedDataFolder(paths));
  QFile::remove(DelListFile(paths));
  EXPECT_FALSE(SeedDataFolder(paths));
  EXPECT_FALSE(QFileInfo::exists(DelListFile(paths)));
}

TEST(ListFiles, LinesAsTheyStandInAnyEncoding) {
  TempDir dir;
  const struct {
    const char* what;
    QByteArray bytes;
    QStringList lines;
  } cases[] = {
      {"ansi, CR LF",
       ToAnsi(QStringLiteral("*.url\r\n 广告 \r\n\r\n*.htm\r\n")),
       {"*.url", QStringLiteral(" 广告 "), "", "*.htm"}},
      {"no break after the last line", "a\r\nb", {"a", "b"}},
      {"LF and lone CR", "a\nb\rc\n", {"a", "b", "c"}},
      {"utf-8 with a mark",
       "\xEF\xBB\xBF" + QStringLiteral("广告.txt\r\n").toUtf8(),
       {QStringLiteral("广告.txt")}},
      {"utf-16 LE with a mark",
       QByteArray("\xFF\xFE", 2) + QByteArray(reinterpret_cast<const char*>(u"x\r\ny"), 8),
       {"x", "y"}},
      {"empty", "", {}},
  };
  for (const auto& c : cases) {
    const QString path = dir.file(QStringLiteral("list.dat"));
    testsupport::WriteFile(path, c.bytes);
    EXPECT_EQ(LoadListFile(path), c.lines) << c.what;
  }
  EXPECT_EQ(LoadListFile(dir.file(QStringLiteral("missing.dat"))), QStringList());
  EXPECT_EQ(LoadListFile(dir.path()), QStringList());  // a folder is no list

  // A missing list is an empty one; one that exists and cannot be read is told.
  QStringList unreadable;
  const TUnreadableFile note = [&unreadable](const QString& path) { unreadable << path; };
  EXPECT_EQ(LoadListFile(dir.file(QStringLiteral("missing.dat")), note), QStringList());
  EXPECT_EQ(LoadListFile(dir.file(QStringLiteral("list.dat")), note), QStringList());
  EXPECT_EQ(LoadListFile(dir.path(), note), QStringList());
  EXPECT_EQ(unreadable, QStringList({dir.path()}));
}

TEST(SaveSettingsFiles, WritesTheFourTextsThenTheSettings) {
  TempDir dir;
  const TProgramPaths paths(dir.path());
  testsupport::WriteFile(DelListFile(paths), "\xEF\xBB\xBF*.url\r\n");  // saved by another editor
  TDataTexts texts = LoadDataTexts(paths);
  EXPECT_EQ(texts.delList, QStringLiteral("*.url\r\n"));
  texts.delList += QStringLiteral("广告*.txt");
  texts.comment = QStringLiteral("欢迎访问\r\nline 2\r\n");
  texts.nameDelete = QStringLiteral("[www.example.com]\r\n");
  texts.txtDelete = QString();
  TSettings settings;
  settings.CompressExt = 1;

  EXPECT_EQ(SaveSettingsFiles(paths, texts, settings), QString());
  // Each file holds exactly its text: no line break is added after a last line typed without one.
  EXPECT_EQ(testsupport::ReadFile(DelListFile(paths)), ToAnsi(QStringLiteral("*.url\r\n广告*.txt")));
  EXPECT_EQ(testsupport::ReadFile(CommentFile(paths)), ToAnsi(texts.comment));
  EXPECT_EQ(testsupport::ReadFile(TxtDelListFile(paths)), "");
  EXPECT_EQ(LoadDelList(paths), (QStringList{"*.url", QStringLiteral("广告*.txt")}));
  EXPECT_EQ(LoadNameDeleteList(paths), QStringList{"[www.example.com]"});
  EXPECT_EQ(LoadTxtDelList(paths), QStringList());
  EXPECT_TRUE(QFileInfo::exists(TxtDelListFile(paths)));
  EXPECT_EQ(LoadSettings(paths).CompressExt, 1);
  // Read back as they stand: a last line without a break does not gain one on the next save.
  EXPECT_EQ(LoadDataTexts(paths).comment, texts.comment);
  EXPECT_EQ(LoadDataTexts(paths).delList, QStringLiteral("*.url\r\n广告*.txt"));
}

TEST(SaveSettingsFiles, StopsAtTheFirstFileThatCannotBeWritten) {
  TempDir dir;
  const TProgramPaths paths(dir.path());
  testsupport::MakeDir(NameDeleteFile(paths));  // a folder where the file belongs
  TDataTexts texts{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")};

  EXPECT_EQ(SaveSettingsFiles(paths, texts, TSettings()), NameDeleteFile(paths));
  EXPECT_EQ(LoadListFile(DelListFile(paths)), QStringList{"a"});
  EXPECT_EQ(LoadListFile(CommentFile(paths)), QStringList{"b"});
  EXPECT_FALSE(QFileInfo::exists(TxtDelListFile(paths)));
  EXPECT_FALSE(QFileInfo::exists(paths.settingsFile()));
}

TEST(OpenMustFilesFolder, CreatesTheFolderBeforeOpeningIt) {
  TempDir dir;
  const TProgramPaths paths(dir.path());  // no data folder yet
  // No opener on PATH: the folder is made all the same, and the shell's answer is passed on.
  const QByteArray path = qgetenv("PATH");
  qputenv("PATH", QFile::encodeName(dir.path()));
  const int result = OpenMustFilesFolder(paths);
  qputenv("PATH", path);
  EXPECT_EQ(result, kShellNoHandler);
  EXPECT_TRUE(QFileInfo(paths.mustFilesFolder()).isDir());

  TempDir blocked;
  const TProgramPaths blockedPaths(blocked.path());
  testsupport::WriteFile(blockedPaths.dataFolder() + QStringLiteral("MustFiles"), "a file in the way");
  EXPECT_EQ(OpenMustFilesFolder(blockedPaths), kShellFileNotFound);
}
