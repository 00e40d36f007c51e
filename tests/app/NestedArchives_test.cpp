// Archives inside archives with a scripted facade: which ones each depth opens and where their
// content goes, what stays as it is, the passwords they are tried with, the extraction limits
// over all levels, replace-source mode, and the names of the folders they become.
#include "FakeFacade.h"
#include "RunnerFixture.h"
#include "app/StatusTexts.h"

using testsupport::MakeDir;
using testsupport::ReadFile;
using testsupport::WriteFile;

namespace {

// A download as uploads come: a ZIP holding the game, an advertising link, a RAR holding more of
// both and a 7z, a self-extracting program, an archive that does not open and a RAR volume set.
FakeFacade Upload() {
  FakeFacade fake;
  fake.archives["top.zip"].content = {{"game.bin", "g"},
                                      {"ad.url", "ad"},
                                      {"inner.rar", "rar bytes"},
                                      {"setup.exe", "MZ program"},
                                      {"broken.7z", "7z bytes"},
                                      {"maps/x.part1.rar", "volume 1"},
                                      {"maps/x.part2.rar", "volume 2"}};
  fake.archives["inner.rar"] = {".rar", crSuccess, {}, {{"level1.bin", "1"}, {"ad.url", "ad"}, {"deep.7z", "7z"}}};
  fake.archives["deep.7z"] = {".7z", crSuccess, {}, {{"level2.bin", "2"}, {"ad.url", "ad"}}};
  fake.archives["setup.exe"] = {".exe", crSuccess, ".rar", {{"never.bin", "n"}}};
  fake.archives["broken.7z"] = {".7z", crFailed, {}, {}};
  fake.archives["x.part1.rar"] = {".rar", crSuccess, {}, {{"map.bin", "m"}}};
  fake.archives["x.part2.rar"] = {".rar", crSuccess, {}, {}};
  return fake;
}

TEST(NestedArchives, EachDepthOpensItsLevelInPlaceAndKeepsWhatDoesNotOpen) {
  struct Row {
    int depth;
    QStringList packed;
    QStringList opened;
    QStringList kept;
  };
  const QStringList unopened{"broken.7z", "game.bin", "inner.rar", "maps/", "maps/x.part1.rar",
                             "maps/x.part2.rar", "setup.exe"};
  const Row rows[] = {
      {0, unopened, {}, {}},
      {1,
       {"broken.7z", "game.bin", "inner/", "inner/deep.7z", "inner/level1.bin", "maps/", "maps/x/", "maps/x/map.bin",
        "setup.exe"},
       {"inner.rar", "maps/x.part1.rar"},
       {"broken.7z"}},
      {3,
       {"broken.7z", "game.bin", "inner/", "inner/deep/", "inner/deep/level2.bin", "inner/level1.bin", "maps/",
        "maps/x/", "maps/x/map.bin", "setup.exe"},
       {"inner.rar", "maps/x.part1.rar", "inner/deep.7z"},
       {"broken.7z"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.depth);
    RunnerHome h;
    h.settings.NestedDepth = row.depth;
    h.Data("delete.dat", "*.url\r\n");
    WriteFile(h.In("top.zip"), "zip bytes");
    const FakeFacade fake = Upload();
    RecordingObserver o;
    h.Run(o, RunnerHome::Checked({h.In("top.zip")}), Factory(fake));

    EXPECT_EQ(o.results[0].status, TStatusText::Packed);
    EXPECT_EQ(o.results[0].rowState(), 1);
    EXPECT_EQ(fake.log->packedTrees.first(), row.packed);
    EXPECT_EQ(o.results[0].nestedOpened, row.opened);
    EXPECT_EQ(o.results[0].nestedKept, row.kept);
    EXPECT_EQ(h.TempLeftovers(), QStringList());
  }
}

// Each archive inside is tried with the box's password and then the list, as the source is; the
// index the item reports stays the source's.
TEST(NestedArchives, InnerArchivesAreTriedWithTheSamePasswords) {
  RunnerHome h;
  h.settings.NestedDepth = 1;
  h.settings.UnCompressPwd = "box";
  h.Data("Passwords.dat", "one\r\ntwo\r\n");
  WriteFile(h.In("top.zip"), "zip bytes");
  FakeFacade fake;
  fake.archives["top.zip"].content = {{"a.rar", "a"}, {"b.rar", "b"}};
  fake.archives["a.rar"] = {".rar", crSuccess, {}, {{"a.bin", "a"}}, QString("two")};
  fake.archives["b.rar"] = {".rar", crSuccess, {}, {{"b.bin", "b"}}, QString("nothing listed")};
  RecordingObserver o;
  h.Run(o, RunnerHome::Checked({h.In("top.zip")}), Factory(fake));

  EXPECT_EQ(fake.log->triedPasswords, QStringList({"box", "box", "one", "two", "box", "one", "two"}));
  EXPECT_EQ(o.results[0].unpackPasswordIndex, -1);
  EXPECT_EQ(o.results[0].nestedOpened, QStringList({"a.rar"}));
  EXPECT_EQ(o.results[0].nestedKept, QStringList({"b.rar"}));
  EXPECT_EQ(fake.log->packedTrees.first(), QStringList({"a/", "a/a.bin", "b.rar"}));
  EXPECT_EQ(h.TempLeftovers(), QStringList());
}

// The extraction limits bound the whole item: each level under MaxUnpackMB alone, together over
// it, the item cannot be extracted, and nothing is left.
TEST(NestedArchives, TheLimitsBoundAllLevelsTogether) {
  struct Row {
    int depth;
    QString status;
  };
  for (const Row& row : {Row{0, TStatusText::Packed}, Row{1, TStatusText::Packed}, Row{2, TStatusText::CannotExtract}}) {
    SCOPED_TRACE(row.depth);
    RunnerHome h;
    h.settings.NestedDepth = row.depth;
    h.settings.extractLimits.maxBytes = 1000;
    WriteFile(h.In("bomb.zip"), "zip bytes");
    FakeFacade fake;
    fake.archives["bomb.zip"] = {".zip", crSuccess, {}, {{"level1.zip", "z"}}};
    fake.archives["bomb.zip"].written = 400;
    fake.archives["level1.zip"] = {".zip", crSuccess, {}, {{"level2.zip", "z"}}};
    fake.archives["level1.zip"].written = 400;
    fake.archives["level2.zip"] = {".zip", crSuccess, {}, {{"big.bin", "b"}}};
    fake.archives["level2.zip"].written = 400;
    RecordingObserver o;
    h.Run(o, RunnerHome::Checked({h.In("bomb.zip")}), Factory(fake));

    EXPECT_EQ(o.results[0].status, row.status);
    EXPECT_EQ(o.results[0].outputExists, row.status == TStatusText::Packed);
    EXPECT_EQ(testsupport::TreeListing(h.home.path() + "/out").isEmpty(), row.status != TStatusText::Packed);
    EXPECT_EQ(h.TempLeftovers(), QStringList());
    // The facade serves the next item with the run's limits again.
    EXPECT_EQ(fake.log->limits->priorBytes, 0u);
  }
}

// Replace-source mode takes an item as whole only when every archive opened inside came out whole;
// one that did not open is packed as it was, which loses nothing.
TEST(NestedArchives, ReplaceSourceNeedsEveryOpenedArchiveWhole) {
  struct Row {
    const char* what;
    bool innerComplete;
    int innerCode;
    QString status;
  };
  const Row rows[] = {
      {"opened whole", true, crSuccess, TStatusText::Packed},
      {"a link inside came out as a file", false, crSuccess, TStatusText::ReplaceFailed},
      {"it does not open and stays", true, crFailed, TStatusText::Packed},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    RunnerHome h;
    h.settings.RARToFrom = true;
    h.settings.NestedDepth = 1;
    WriteFile(h.In("Game.zip"), "old archive");
    FakeFacade fake;
    fake.archives["Game.zip"].content = {{"game.bin", "g"}, {"inner.7z", "7z"}};
    fake.archives["inner.7z"] = {".7z", row.innerCode, {}, {{"level1.bin", "1"}}};
    fake.archives["inner.7z"].complete = row.innerComplete;
    RecordingObserver o;
    h.Run(o, RunnerHome::Checked({h.In("Game.zip")}), Factory(fake));
    EXPECT_EQ(o.results[0].status, row.status);
    EXPECT_EQ(ReadFile(h.In("Game.zip")) == "old archive", row.status != TStatusText::Packed);
  }
}

// The folder takes the archive's name without its extension, or the next "_N" name when that is
// taken (by a folder, by a file, or by the archive itself when it has no extension).
TEST(NestedArchives, FolderNamesFollowTheSuffixRule) {
  RunnerHome h;
  h.settings.NestedDepth = 1;
  WriteFile(h.In("top.zip"), "zip bytes");
  FakeFacade fake;
  fake.archives["top.zip"].content = {{"Game.rar", "r"},        {"Game/readme.txt", "taken"}, {"Game_1", "taken"},
                                      {"tools.7z", "7z"},      {"tools.7Z.txt", "text"},     {"data", "zip"},
                                      {"x.tar.gz", "tar.gz"}};
  for (const char* name : {"Game.rar", "tools.7z", "data"})
    fake.archives[name] = {".zip", crSuccess, {}, {{QString(name) + ".bin", "c"}}};
  fake.archives["x.tar.gz"] = {"", crSuccess, {}, {{"x.tar", "t"}}};
  fake.pluginExts["x.tar.gz"] = ".tar.gz";
  RecordingObserver o;
  h.Run(o, RunnerHome::Checked({h.In("top.zip")}), Factory(fake));
  EXPECT_EQ(fake.log->packedTrees.first(),
            QStringList({"Game/", "Game/readme.txt", "Game_1", "Game_2/", "Game_2/Game.rar.bin", "data_1/",
                         "data_1/data.bin", "tools.7Z.txt", "tools/", "tools/tools.7z.bin", "x.tar.gz"}));

  // With plug-in formats on, those open too, named without the plug-in's whole extension.
  RecordingObserver again;
  h.settings.PluginFormats = true;
  h.Run(again, RunnerHome::Checked({h.In("top.zip")}), Factory(fake));
  EXPECT_TRUE(fake.log->packedTrees.last().contains("x/x.tar")) << fake.log->packedTrees.last().join(' ').toStdString();
}

}  // namespace
