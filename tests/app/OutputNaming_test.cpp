// Output naming: base names, version stripping, the ".." pass, the template, "_N" suffixes and
// replace-source eligibility.
#include <QFile>
#include <QSet>
#include <thread>

#include "app/OutputNaming.h"
#include "support/TestSupport.h"
#include "util/FileOps.h"

using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

const QDateTime k2015(QDate(2015, 7, 1), QTime(9, 5, 3));

struct Namer {
  TempDir dir;
  TSettings settings;
  QString outputExt = QStringLiteral(".rar");
  QStringList nameDelete;

  QString OutputPath() const { return dir.path() + "/out/"; }
  TOutputName Name(const QString& source, const QDateTime& now = k2015, const QString& formatExt = {}) {
    WriteFile(dir.file("NameDelete.dat"), nameDelete.join("\r\n").toUtf8());
    return TOutputNaming(settings, OutputPath(), outputExt, dir.file("NameDelete.dat"))
        .Name(source, now, formatExt);
  }
  // The output's name relative to the output folder.
  QString Relative(const TOutputName& name) const { return name.CompressPath.mid(OutputPath().size()); }
};

struct BaseRow {
  QString source;
  QString format;
  bool stripVersion;
  QStringList filter;
  QString expected;
};

TEST(OutputNaming, NameTable) {
  const BaseRow rows[] = {
      {"/in/SetupV2.5.1.zip", "<name>", true, {}, "Setup.rar"},
      {"/in/Tool_v1.0 Final.zip", "<name>", true, {}, "Tool_ Final.rar"},
      {"/in/Moveit.zip", "<name>", true, {}, "Moeit.rar"},
      {"/in/Moveit.zip", "<name>", false, {}, "Moveit.rar"},
      {"/in/My.Tools", "<name>", false, {}, "My.rar"},             // a folder: the last dot still cuts
      {"/in/a...b.tar.zip", "<name>", false, {}, "a..b.tar.rar"},  // one pass, not repeated
      {"/in/v..1.zip", "<name>", false, {}, "v.1.rar"},
      {"/in/Game.zip", "<NAME>", false, {}, "Game.rar"},
      {"/in/Game.zip", "[<Name>]-<name>", false, {}, "[Game]-<name>.rar"},
      {"/in/Game.zip", "<name>_<yyyy>", false, {}, "Game_2015.rar"},
      {"/in/Game.zip", "fixed", false, {}, "fixed.rar"},
      {"/in/Game[AD]v2.zip", "<name>", true, {"", "[ad]"}, "Game.rar"},  // filtered before stripping
      {"/in/Game.zip", "../<name>", false, {}, ".._Game.rar"},           // never out of the folder
  };
  for (const BaseRow& row : rows) {
    Namer namer;
    namer.settings.fileNameFormat = row.format;
    namer.settings.DelCompressVer = row.stripVersion;
    namer.nameDelete = row.filter;
    const TOutputName name = namer.Name(row.source);
    EXPECT_EQ(namer.Relative(name), row.expected)
        << row.source.toStdString() << " " << row.format.toStdString();
    EXPECT_TRUE(name.eligible);
  }
}

// A file a plug-in extracts loses its whole format extension, as an archive loses its one; the
// rest of the name is treated as ever.
TEST(OutputNaming, AWholeFormatExtensionIsCut) {
  const struct {
    QString source, formatExt, expected;
  } rows[] = {
      {"/in/game.tar.gz", "", "game.tar.rar"},
      {"/in/game.tar.gz", ".tar.gz", "game.rar"},
      {"/in/My.Game[AD].tar.gz", ".tar.gz", "My.Game.rar"},  // filtered after the cut
      {"/in/a..b.tar.gz", ".tar.gz", "a.b.rar"},
      {"/in/game.tar.gz", ".cab.tar.gz", "game.tar.rar"},  // not the name's own: the last one is cut
  };
  for (const auto& row : rows) {
    Namer namer;
    namer.settings.fileNameFormat = "<name>";
    namer.nameDelete = {"[ad]"};
    const TOutputName name = namer.Name(row.source, k2015, row.formatExt);
    EXPECT_EQ(namer.Relative(name), row.expected) << row.source.toStdString() << row.formatExt.toStdString();
    EXPECT_EQ(name.baseName, FileNameWithoutExt(row.expected));
  }
}

TEST(OutputNaming, FilterFileNameRemovesEveryLineIgnoringCase) {
  EXPECT_EQ(FilterFileName("Readme[AD].txt", QStringList{"[ad]"}), "Readme.txt");
  EXPECT_EQ(FilterFileName("x[ad]y[Ad]z", QStringList{"[ad]"}), "xyz");
  // Later lines see the result of earlier ones; empty lines are skipped, others used untrimmed.
  EXPECT_EQ(FilterFileName("abXcd", QStringList{"X", "", "bc"}), "ad");
  EXPECT_EQ(FilterFileName("a b", QStringList{" "}), "ab");
  EXPECT_EQ(FilterFileName("name", QStringList{}), "name");
  // A missing list file filters nothing.
  EXPECT_EQ(FilterFileName("name[ad]", QStringLiteral("/nonexistent/NameDelete.dat")), "name[ad]");
}

TEST(OutputNaming, StripVersionTextIsGreedyAndCaseSensitive) {
  EXPECT_EQ(StripVersionText("SetupV2.5.1"), "Setup");
  EXPECT_EQ(StripVersionText("Moveit"), "Moeit");
  EXPECT_EQ(StripVersionText("v1.2v3"), "");
  EXPECT_EQ(StripVersionText("Vivid"), "iid");
  EXPECT_EQ(StripVersionText("no digits"), "no digits");
}

TEST(OutputNaming, SuffixesSkipTakenFilesButNotFolders) {
  Namer namer;
  EXPECT_EQ(namer.Relative(namer.Name("/in/Game.zip")), "Game.rar");
  WriteFile(namer.OutputPath() + "Game.rar", "x");
  WriteFile(namer.OutputPath() + "Game_1.rar", "x");
  EXPECT_EQ(namer.Relative(namer.Name("/in/Game.zip")), "Game_2.rar");

  // Only files take a name.
  testsupport::MakeDir(namer.OutputPath() + "Tool.rar");
  EXPECT_EQ(namer.Relative(namer.Name("/in/Tool.zip")), "Tool.rar");
}

TEST(OutputNaming, NameByDateWithinOneSecondGetsSuffixes) {
  Namer namer;
  namer.settings.nameType = ntByDate;
  QStringList names;
  for (int i = 0; i < 3; ++i) {
    const TOutputName name = namer.Name(QStringLiteral("/in/any%1.zip").arg(i));
    names << namer.Relative(name);
    WriteFile(name.CompressPath, "made");  // the runner creates the output right after naming
  }
  EXPECT_EQ(names, QStringList({"20150701090503.rar", "20150701090503_1.rar", "20150701090503_2.rar"}));
}

// Items that run at once, or programs that share the output folder, name their outputs at the
// same moment: each name is held as soon as it is found free, so each gets a name of its own,
// with the suffix rule. A name is held by an empty file until the archive takes its place, and
// let go (the empty file removed) when no archive did.
TEST(OutputNaming, HeldNamesAreEachItemsOwn) {
  Namer namer;
  WriteFile(namer.dir.file("NameDelete.dat"), {});
  const TOutputNaming naming(namer.settings, namer.OutputPath(), ".rar", namer.dir.file("NameDelete.dat"));
  testsupport::MakeDir(namer.OutputPath());
  constexpr int kItems = 24;
  std::vector<std::unique_ptr<TOutputReservations>> holds;
  for (int i = 0; i < kItems; ++i) holds.push_back(std::make_unique<TOutputReservations>());
  QStringList names(kItems);
  {
    std::vector<std::thread> items;
    for (int i = 0; i < kItems; ++i)
      items.emplace_back([&, i] { names[i] = naming.Name("/in/Game.zip", k2015, {}, holds[i].get()).CompressPath; });
    for (std::thread& item : items) item.join();
  }
  QSet<QString> expected{namer.OutputPath() + "Game.rar"};
  for (int i = 1; i < kItems; ++i) expected.insert(namer.OutputPath() + QStringLiteral("Game_%1.rar").arg(i));
  EXPECT_EQ(QSet<QString>(names.begin(), names.end()), expected);
  for (const QString& name : names) EXPECT_EQ(testsupport::ReadFile(name), QByteArray());

  // An archive renamed over its held name stays; names no archive took are let go.
  WriteFile(namer.dir.file("made.rar"), "archive");
  ASSERT_TRUE(QFile::remove(names[0]));
  ASSERT_TRUE(QFile::rename(namer.dir.file("made.rar"), names[0]));
  holds[1]->LetGo(names[1]);
  EXPECT_FALSE(QFileInfo::exists(names[1]));
  holds.clear();
  EXPECT_EQ(testsupport::TreeListing(namer.OutputPath()), QStringList({QFileInfo(names[0]).fileName()}));

  // A folder does not take a name, and nothing can hold it either: the name is used as it is.
  testsupport::MakeDir(namer.OutputPath() + "Tool.rar");
  TOutputReservations hold;
  EXPECT_EQ(namer.Relative(naming.Name("/in/Tool.zip", k2015, {}, &hold)), "Tool.rar");
  EXPECT_EQ(hold.Hold(namer.OutputPath() + "Tool.rar"), TOutputReservations::THold::Unheld);
}

TEST(OutputNaming, ReplaceSourceEligibility) {
  struct Row {
    QString source;
    bool eligible;
    QString expected;  // the name in the output folder
  };
  const Row rows[] = {
      {"/in/Game.zip", true, "Game.zip"},  // keeps the source's own format
      {"/in/Game.rar", true, "Game.rar"},         {"/in/Game.7z", true, "Game.7z"},
      {"/in/Game.ZIP", false, "Game.rar"},  // exact, case-sensitive
      {"/in/Game.exe", false, "Game.rar"},        {"/in/Game Folder", false, "Game Folder.rar"},
      {"/in/Game.tar.gz", false, "Game.tar.rar"},
  };
  for (const Row& row : rows) {
    Namer namer;
    namer.settings.RARToFrom = true;
    const TOutputName name = namer.Name(row.source);
    EXPECT_EQ(name.eligible, row.eligible) << row.source.toStdString();
    EXPECT_EQ(namer.Relative(name), row.expected) << row.source.toStdString();
  }

  Namer taken;
  taken.settings.RARToFrom = true;
  WriteFile(taken.OutputPath() + "Game.zip", "x");
  EXPECT_EQ(taken.Relative(taken.Name("/in/Game.zip")), "Game_1.zip");
}

}  // namespace
