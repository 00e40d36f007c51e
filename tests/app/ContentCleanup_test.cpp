// The cleanup of a prepared tree: deletion patterns, content tests, replacement-rule chains,
// name filtering, and what the walk does after a deletion.
#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <chrono>
#include <future>

#include "app/ContentCleanup.h"
#include "support/TestSupport.h"
#include "util/CodePage.h"

using testsupport::MakeDir;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::TreeListing;
using testsupport::WriteFile;

namespace {

struct Cleanup {
  TempDir dir;
  TCleanupRules rules;
  QString root;

  Cleanup() : root(dir.path() + "/root") {
    rules.databaseFile = dir.file("data.db");
    rules.nameDeleteFile = dir.file("NameDelete.dat");
    MakeDir(root);
  }
  void File(const QString& relative, const QByteArray& content = "data") {
    WriteFile(root + '/' + relative, content);
  }
  void NameFilter(const QStringList& lines) { WriteFile(rules.nameDeleteFile, lines.join("\r\n").toUtf8()); }
  void Rule(const QString& from, const QString& to, int priority) {
    TxtReplaceRule rule;
    rule.Name = from;
    rule.sValue1 = from;
    rule.sValue2 = to;
    rule.intData1 = priority;
    AddTxtReplaceRule(rules.databaseFile, rule);
  }
  QStringList Run() {
    TContentCleaner(rules).CleanFolder(root);
    return TreeListing(root);
  }
};

TEST(ContentCleanup, MasterSwitchOffChangesNothing) {
  Cleanup c;
  c.rules.DeleteAds = false;
  c.rules.DelRarFileName = true;
  c.rules.delList = QStringList{"*.url"};
  c.rules.txtDelList = QStringList{"ad"};
  c.NameFilter({"[ad]"});
  c.File("x.url");
  c.File("readme[ad].txt", "ad");
  EXPECT_EQ(c.Run(), QStringList({"readme[ad].txt", "x.url"}));
}

TEST(ContentCleanup, DeletionPatternsAtAnyDepthAndWholeFolders) {
  Cleanup c;
  c.rules.delList = QStringList{"", "*.url", "Ads"};
  c.File("a.url");
  c.File("sub/deeper/b.URL");
  c.File("sub/keep.txt", "keep");
  c.File("ADS/inner/c.bin");  // the folder goes with everything in it, whatever the case
  c.File("notads.bin");
  EXPECT_EQ(c.Run(), QStringList({"notads.bin", "sub/", "sub/deeper/", "sub/keep.txt"}));
}

TEST(ContentCleanup, DeletedFolderDoesNotEndTheWalk) {
  Cleanup c;
  c.rules.delList = QStringList{"*.url", "aaa"};
  c.rules.DelRarFileName = true;
  c.NameFilter({"[ad]"});
  // "aaa" is reported and deleted before the later folders are entered.
  c.File("aaa/x.bin");
  c.File("bbb/late.url");
  c.File("ccc[ad]/ddd[ad]/late.url");
  c.File("ccc[ad]/ddd[ad]/keep[ad].bin");
  EXPECT_EQ(c.Run(), QStringList({"bbb/", "ccc/", "ccc/ddd/", "ccc/ddd/keep.bin"}));
}

TEST(ContentCleanup, RootIsNeverDeletedByItsOwnName) {
  Cleanup c;
  c.root = c.dir.path() + "/Ads Folder";
  MakeDir(c.root);
  c.rules.delList = QStringList{"Ads*", "*.url"};
  c.File("x.url");
  c.File("game.bin");
  EXPECT_EQ(c.Run(), QStringList({"game.bin"}));
}

TEST(ContentCleanup, ContentPatterns) {
  struct Row {
    QString pattern;
    QByteArray text;
    bool deleted;
  };
  const Row rows[] = {
      {"*visit our site*", "Please VISIT OUR SITE today", true},  // wildcard: whole text, any case
      {"visit our site", "Please VISIT OUR SITE today", false},   // plain: exact case
      {"visit our site", "Please visit our site today", true},
      {"visit our site*", "Please visit our site today", false},  // a wildcard must match the whole text
      {"#", "12345", false},                                      // the text ends with CR LF
      {"#*", "12345", true},
      {"", "anything", false},
  };
  for (const Row& row : rows) {
    Cleanup c;
    c.rules.txtDelList = QStringList{row.pattern};
    c.File("readme.TXT", row.text);
    c.File("readme.md", row.text);  // only .txt files are read
    const QStringList left = c.Run();
    EXPECT_EQ(!left.contains("readme.TXT"), row.deleted) << row.pattern.toStdString();
    EXPECT_TRUE(left.contains("readme.md"));
  }
}

TEST(ContentCleanup, RuleChainByPriorityAndOnlyTouchedFilesRewritten) {
  Cleanup c;
  c.Rule("B", "C", -5);
  c.Rule("A", "B", 10);
  c.Rule("", "never", 20);  // an empty text to find finds nothing
  const QByteArray untouched =
      "\xEF\xBB\xBF"
      "caf\xC3\xA9 unchanged\n";
  c.File("a.txt", "A");
  c.File("keep.txt", untouched);
  c.File("chain.txt", "xAx");
  c.Run();
  EXPECT_EQ(ReadFile(c.root + "/a.txt"), QByteArray("C\r\n"));
  EXPECT_EQ(ReadFile(c.root + "/chain.txt"), QByteArray("xCx\r\n"));
  EXPECT_EQ(ReadFile(c.root + "/keep.txt"), untouched);  // encoding and line ends as they were

  // The content test sees the replaced text.
  Cleanup d;
  d.Rule("A", "forbidden", 0);
  d.rules.txtDelList = QStringList{"forbidden"};
  d.File("a.txt", "A");
  EXPECT_EQ(d.Run(), QStringList());
}

TEST(ContentCleanup, ReplacedTextIsSavedInTheAnsiCodePage) {
  Cleanup c;
  c.Rule(QStringLiteral("old"), QStringLiteral("新"), 0);
  c.File("a.txt",
         "\xEF\xBB\xBF"
         "old\n");
  c.Run();
  EXPECT_EQ(ReadFile(c.root + "/a.txt"), ToAnsi(QStringLiteral("新\r\n")));
}

TEST(ContentCleanup, NameFiltering) {
  Cleanup c;
  c.rules.DelRarFileName = true;
  c.NameFilter({"[ad]"});
  c.File("readme[ad].txt");
  c.File("setup[ad].ini");     // .ini files keep their names
  c.File("dup[ad].bin", "1");  // its filtered name is taken: both stay
  c.File("dup.bin", "2");
  c.File("[ad]");  // would be left without a name
  c.File("Top[AD]/Mid[ad]/f[ad].bin");
  EXPECT_EQ(c.Run(), QStringList({"Top/", "Top/Mid/", "Top/Mid/f.bin", "[ad]", "dup.bin", "dup[ad].bin",
                                  "readme.txt", "setup[ad].ini"}));
  EXPECT_EQ(ReadFile(c.root + "/dup.bin"), QByteArray("2"));

  Cleanup off;
  off.rules.DelRarFileName = false;
  off.NameFilter({"[ad]"});
  off.File("readme[ad].txt");
  EXPECT_EQ(off.Run(), QStringList({"readme[ad].txt"}));
}

TEST(ContentCleanup, LinksAreNeitherReadNorWrittenThrough) {
  Cleanup c;
  c.Rule("secret", "changed", 0);
  c.rules.txtDelList = QStringList{"secret"};
  WriteFile(c.dir.file("outside.txt"), "secret");
  ASSERT_TRUE(QFile::link(c.dir.file("outside.txt"), c.root + "/link.txt"));
  c.Run();
  EXPECT_EQ(ReadFile(c.dir.file("outside.txt")), QByteArray("secret"));
  EXPECT_TRUE(QFileInfo(c.root + "/link.txt").isSymLink());
}

// A pipe or device named like a text file is neither read (a pipe would block the run for good)
// nor renamed: only regular files and folders are cleaned.
TEST(ContentCleanup, PipesAndDevicesAreNeitherReadNorRenamed) {
  Cleanup c;
  c.rules.DelRarFileName = true;
  c.rules.txtDelList = QStringList{"ad"};
  c.NameFilter({"[ad]"});
  c.File("readme[ad].txt", "ad");
  const QByteArray pipe = QFile::encodeName(c.root + "/pipe[ad].txt");
  ASSERT_EQ(::mkfifo(pipe.constData(), 0644), 0);
  const bool device = ::mknod(QFile::encodeName(c.root + "/null[ad].txt").constData(), S_IFCHR | 0644,
                              makedev(1, 3)) == 0;
  // Held open for writing, so a reader blocks on the empty pipe instead of in open; closing it
  // below lets a blocked cleanup end.
  const int writer = ::open(pipe.constData(), O_RDWR | O_NONBLOCK);
  ASSERT_GE(writer, 0);
  auto cleaning = std::async(std::launch::async, [&c] { return c.Run(); });
  const bool ended = cleaning.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
  ::close(writer);
  ASSERT_TRUE(ended) << "the cleanup read the pipe";
  QStringList expected{"pipe[ad].txt"};
  if (device) expected.prepend("null[ad].txt");
  EXPECT_EQ(cleaning.get(), expected);
}

}  // namespace
