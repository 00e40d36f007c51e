// harrowmint-cli --dry-run: a folder and an archive cleaned by rules of every kind; each action
// is listed, in lines and as JSON, and nothing on disk changes outside the work folder, which is
// gone at the end.
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "settings/TxtReplaceRules.h"
#include "support/TestSupport.h"

using namespace testsupport;

namespace {

QString Cli() { return BinDir() + "/harrowmint-cli"; }

// Every entry below root with the digest of each file's content.
QStringList Snapshot(const QString& root) {
  QStringList state;
  for (const QString& entry : TreeListing(root)) {
    const QByteArray digest =
        entry.endsWith('/')
            ? QByteArray()
            : QCryptographicHash::hash(ReadFile(root + '/' + entry), QCryptographicHash::Sha256).toHex();
    state << entry + ' ' + QString::fromLatin1(digest) + ' ' +
                 QString::number(QFileInfo(root + '/' + entry).lastModified().toMSecsSinceEpoch());
  }
  return state;
}

void FillTree(const QString& tree) {
  WriteFile(tree + "/data.bin", RandomBytes(9000));
  WriteFile(tree + "/notes[ad].txt", "Game notes\r\nvisit www.ad.com now\r\n");
  WriteFile(tree + "/spam.txt", "BUY NOW at the shop\r\n");
  WriteFile(tree + "/sub/visit.url", "[InternetShortcut]\r\n");
}

// The action lines that follow an item line, sorted (the walk's order within a folder is the
// file system's).
QStringList ActionsOf(const QStringList& lines, int itemLine) {
  QStringList actions;
  for (int i = itemLine + 1; i < lines.size() && lines[i].startsWith('\t'); ++i) actions << lines[i];
  actions.sort();
  return actions;
}

struct DryRunHome {
  TempDir dir;
  QString home = dir.path();

  DryRunHome() {
    QFile::link(EngineDir(), home + "/Engine");
    const QString data = home + "/Data/";
    WriteFile(data + "delete.dat", "*.url\r\n");
    WriteFile(data + "TxtDelete.dat", "BUY NOW\r\n");
    WriteFile(data + "NameDelete.dat", "[ad]\r\n");
    WriteFile(data + "MustFiles/Readme.txt", "must have\r\n");
    // A real run would clean the folder in place.
    WriteFile(data + "Setting.ini", "[Setting]\r\nCompressExt=1\r\nCopyFolder=0\r\n");
    TxtReplaceRule rule;
    rule.sValue1 = "www.ad.com";
    rule.sValue2 = "example.org";
    rule.intData1 = 5;
    AddTxtReplaceRule(data + "data.db", rule);
  }
  QString In(const QString& name) const { return home + "/in/" + name; }
  ToolRun Run(const QStringList& args) const { return RunTool(Cli(), QStringList{"--home", home} + args); }
};

TEST(CliDryRun, ListsEveryCleanupActionAndTouchesNothingOutsideItsWorkFolder) {
  HM_REQUIRE_TOOL("zip");
  DryRunHome h;
  FillTree(h.In("Folder"));
  const QString tree = h.home + "/tree";
  FillTree(tree);
  ASSERT_EQ(RunTool("zip", {"-qr", h.In("game.zip"), "."}, tree).exitCode, 0);
  // An output of that name exists already: the preview names the one the run would make.
  WriteFile(h.home + "/out/game.zip", "an earlier output");
  const QStringList sourceBefore = Snapshot(h.home + "/in");
  const QStringList outputBefore = Snapshot(h.home + "/out");
  const QStringList dataBefore = Snapshot(h.home + "/Data");

  const ToolRun run = h.Run({"--dry-run", "--output", h.home + "/out", h.In("game.zip"), h.In("Folder")});
  ASSERT_EQ(run.exitCode, 0) << run.err.constData();
  const QStringList lines = QString::fromUtf8(run.out).split('\n', Qt::SkipEmptyParts);
  const QStringList expected = {
      "\tdeleted\tsub/visit.url\t*.url",
      "\tdeleted by content\tspam.txt\tBUY NOW",
      "\trenamed\tnotes[ad].txt\tnotes.txt",
      "\trewrote\tnotes[ad].txt:2\twww.ad.com -> example.org\tvisit example.org now",
  };
  ASSERT_EQ(lines.size(), 1 + 4 + 1 + 4 + 1) << run.out.constData();
  EXPECT_EQ(lines[0], "0\t试运行完毕\t" + h.home + "/out/game_1.zip\t0");
  EXPECT_EQ(ActionsOf(lines, 0), expected);
  EXPECT_EQ(lines[5], "1\t试运行完毕\t" + h.home + "/out/Folder.zip\t0");
  EXPECT_EQ(ActionsOf(lines, 5), expected);

  // The same as objects, into an output folder that does not exist and is not made.
  const ToolRun json =
      h.Run({"--dry-run", "--json", "--output", h.home + "/new-out", h.In("game.zip"), h.In("Folder")});
  ASSERT_EQ(json.exitCode, 0) << json.err.constData();
  const QList<QByteArray> objects = json.out.trimmed().split('\n');
  ASSERT_EQ(objects.size(), 3);
  for (int i = 0; i < 2; ++i) {
    const QJsonObject item = QJsonDocument::fromJson(objects[i]).object();
    SCOPED_TRACE(objects[i].constData());
    EXPECT_TRUE(item["dryRun"].toBool());
    EXPECT_EQ(item["status"].toString(), "试运行完毕");
    EXPECT_EQ(item["output"].toString(), h.home + (i == 0 ? "/new-out/game.zip" : "/new-out/Folder.zip"));
    QStringList deleted;
    for (const QJsonValue v : item["deleted"].toArray())
      deleted << v["path"].toString() + ' ' + v["rule"].toString() +
                     (v["byContent"].toBool() ? " content" : "");
    deleted.sort();
    EXPECT_EQ(deleted, QStringList({"spam.txt BUY NOW content", "sub/visit.url *.url"}));
    const QJsonArray rewritten = item["rewritten"].toArray();
    ASSERT_EQ(rewritten.size(), 1);
    EXPECT_EQ(rewritten[0]["path"].toString(), "notes[ad].txt");
    EXPECT_EQ(rewritten[0]["rule"].toString(), "www.ad.com");
    EXPECT_EQ(rewritten[0]["replacement"].toString(), "example.org");
    EXPECT_EQ(rewritten[0]["line"].toInt(), 2);
    EXPECT_EQ(rewritten[0]["text"].toString(), "visit example.org now");
    const QJsonArray renamed = item["renamed"].toArray();
    ASSERT_EQ(renamed.size(), 1);
    EXPECT_EQ(renamed[0]["path"].toString(), "notes[ad].txt");
    EXPECT_EQ(renamed[0]["newName"].toString(), "notes.txt");
  }

  EXPECT_EQ(Snapshot(h.home + "/in"), sourceBefore);
  EXPECT_EQ(Snapshot(h.home + "/out"), outputBefore);
  EXPECT_EQ(Snapshot(h.home + "/Data"), dataBefore);
  EXPECT_FALSE(QFileInfo::exists(h.home + "/new-out"));
  EXPECT_EQ(TreeListing(h.home + "/tmp"), QStringList());
}

TEST(CliDryRun, FailuresKeepTheirStatusAndExitCode) {
  DryRunHome h;
  WriteFile(h.In("broken.zip"), QByteArray("PK\x03\x04", 4) + RandomBytes(9000));
  const ToolRun run = h.Run({"--dry-run", "--output", h.home + "/out", h.In("broken.zip")});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(run.out.startsWith("0\t无法解压\t\t0\n")) << run.out.constData();
  EXPECT_FALSE(QFileInfo::exists(h.home + "/out"));
  EXPECT_EQ(TreeListing(h.home + "/tmp"), QStringList());
}

// The archives inside are opened before the cleanup, and listed first; the cleanup then reaches
// their content. Nothing outside the work folder changes, the source archive included.
TEST(CliDryRun, ArchivesOpenedInsideAreListedBeforeTheCleanup) {
  HM_REQUIRE_TOOL("zip");
  DryRunHome h;
  const QString tree = h.home + "/tree";
  WriteFile(tree + "/inner/visit.url", "[InternetShortcut]\r\n");
  WriteFile(tree + "/inner/game.bin", RandomBytes(9000));
  MakeDir(tree + "/outer");
  MakeDir(h.home + "/in");
  ASSERT_EQ(RunTool("zip", {"-qr", tree + "/outer/inner pack.zip", "."}, tree + "/inner").exitCode, 0);
  ASSERT_EQ(RunTool("zip", {"-qr", h.In("upload.zip"), "."}, tree + "/outer").exitCode, 0);
  const QStringList before = Snapshot(h.home + "/in");

  const ToolRun run = h.Run({"--dry-run", "--nested", "2", "--output", h.home + "/out", h.In("upload.zip")});
  EXPECT_EQ(run.exitCode, 0) << run.err.constData();
  const QStringList lines = QString::fromUtf8(run.out).split('\n', Qt::SkipEmptyParts);
  ASSERT_GE(lines.size(), 3) << run.out.constData();
  EXPECT_TRUE(lines[0].startsWith("0\t试运行完毕\t")) << lines[0].toStdString();
  EXPECT_EQ(lines[1], "\topened\tinner pack.zip");
  EXPECT_EQ(lines[2], "\tdeleted\tinner pack/visit.url\t*.url");
  EXPECT_EQ(Snapshot(h.home + "/in"), before);
  EXPECT_EQ(TreeListing(h.home + "/tmp"), QStringList());

  const ToolRun json = h.Run({"--dry-run", "--json", "--nested", "1", "--output", h.home + "/out", h.In("upload.zip")});
  const QJsonObject item = QJsonDocument::fromJson(json.out.split('\n').first()).object();
  EXPECT_EQ(item["nestedOpened"].toArray(), QJsonArray({"inner pack.zip"}));
  EXPECT_FALSE(item.contains("nestedKept"));
}

}  // namespace
