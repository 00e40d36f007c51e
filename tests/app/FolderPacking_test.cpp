// Packing a prepared folder: must-have files at the archive root or in its single root folder,
// checked by listing the outputs with independent tools; the calls made per format.
#include <QFile>

#include "FakeFacade.h"
#include "IndependentListing.h"
#include "app/FolderPacking.h"
#include "compress/vxCompress.h"
#include "support/TestSupport.h"

using testsupport::MakeDir;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

struct Packing {
  TempDir dir;
  QString folder = dir.path() + "/prepared";
  QString must = dir.path() + "/MustFiles";
  bool mustToFolder = false;
  bool lockRar = false;

  Packing() {
    MakeDir(folder);
    WriteFile(must + "/Readme.txt", "must have");
  }
  int Pack(IArchiveFacade& compress, const QString& archive, const QString& format) {
    return TFolderPacker(compress, must + '/', mustToFolder, lockRar).PackFolder(folder, archive, format);
  }
};

TEST(GetSingleRootFolder, Table) {
  TempDir dir;
  const QString f = dir.path();
  MakeDir(f + "/empty");
  WriteFile(f + "/file/only.bin", "x");
  MakeDir(f + "/one/Game");
  MakeDir(f + "/hidden/Game");
  WriteFile(f + "/hidden/.hidden", "x");
  MakeDir(f + "/two/A");
  MakeDir(f + "/two/B");
  MakeDir(f + "/link");
  ASSERT_TRUE(QFile::link(f + "/one/Game", f + "/link/Game"));

  EXPECT_EQ(GetSingleRootFolder(f + "/empty"), "");
  EXPECT_EQ(GetSingleRootFolder(f + "/file"), "");
  EXPECT_EQ(GetSingleRootFolder(f + "/one"), "Game");
  EXPECT_EQ(GetSingleRootFolder(f + "/one/"), "Game");
  EXPECT_EQ(GetSingleRootFolder(f + "/hidden"), "");
  EXPECT_EQ(GetSingleRootFolder(f + "/two"), "");
  EXPECT_EQ(GetSingleRootFolder(f + "/link"), "");  // a link to a folder is not one
  EXPECT_EQ(GetSingleRootFolder(f + "/missing"), "");
}

class PackingWithEngines : public testing::TestWithParam<const char*> {};

TEST_P(PackingWithEngines, MustFilesAtRootOrInTheSingleRootFolder) {
  const QString format = GetParam();
  TvxCompress compress(testsupport::EngineDir() + '/');
  HM_REQUIRE_TOOL(qPrintable(listing::ToolFor(format)));
  if (format == QLatin1String(".rar")) HM_REQUIRE_ENGINE("rar");

  {  // beside the content
    Packing p;
    WriteFile(p.folder + "/Game/game.bin", "game");
    WriteFile(p.folder + "/top.txt", "top");
    const QString archive = p.dir.path() + "/out" + format;
    ASSERT_EQ(p.Pack(compress, archive, format), prPacked);
    EXPECT_EQ(listing::FileNames(archive), QStringList({"Game/game.bin", "Readme.txt", "top.txt"}));
  }
  {  // into the single root folder, on disk first
    Packing p;
    p.mustToFolder = true;
    WriteFile(p.folder + "/Game/game.bin", "game");
    const QString archive = p.dir.path() + "/out" + format;
    ASSERT_EQ(p.Pack(compress, archive, format), prPacked);
    EXPECT_EQ(listing::FileNames(archive), QStringList({"Game/Readme.txt", "Game/game.bin"}));
    EXPECT_TRUE(QFileInfo::exists(p.folder + "/Game/Readme.txt"));
  }
  {  // a hidden file beside the folder: no single root folder
    Packing p;
    p.mustToFolder = true;
    WriteFile(p.folder + "/Game/game.bin", "game");
    WriteFile(p.folder + "/.hidden", "h");
    const QString archive = p.dir.path() + "/out" + format;
    ASSERT_EQ(p.Pack(compress, archive, format), prPacked);
    EXPECT_TRUE(listing::FileNames(archive).contains("Readme.txt"));
  }
  {  // no must-have files: nothing extra, no error
    Packing p;
    QFile::remove(p.must + "/Readme.txt");
    WriteFile(p.folder + "/game.bin", "game");
    const QString archive = p.dir.path() + "/out" + format;
    ASSERT_EQ(p.Pack(compress, archive, format), prPacked);
    EXPECT_EQ(listing::FileNames(archive), QStringList({"game.bin"}));
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, PackingWithEngines, testing::Values(".zip", ".7z", ".rar"));

// A comment or lock that was asked for is part of the packing: when the packer fails it (here the
// real packer does its work and then reports the failure), the output fails and is not kept.
TEST(FolderPacking, ARarCommentOrLockThatFailedFailsThePacking) {
  TvxCompress builtEngines(testsupport::EngineDir() + '/');
  HM_REQUIRE_ENGINE("rar");
  HM_REQUIRE_TOOL("unrar");
  const struct {
    const char* failingSwitch;  // a shell pattern of the argument the packer fails on
    bool lock;
    int expected;
  } rows[] = {
      {"-k", true, prFailed},
      {"-z*", false, prFailed},
      {"-k", false, prPacked},  // no lock asked for: nothing fails
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.failingSwitch) + (row.lock ? " lock" : ""));
    Packing p;
    p.lockRar = row.lock;
    WriteFile(p.folder + "/game.bin", testsupport::RandomBytes(9000));
    const QString engines = p.dir.path() + "/Engine/";
    MakeDir(engines);
    ASSERT_TRUE(QFile::link(testsupport::EngineDir() + "/libunrar.so", engines + "libunrar.so"));
    const QString realRar = QFileInfo(testsupport::EngineDir() + "/rar").canonicalFilePath();
    WriteFile(engines + "rar", QStringLiteral("#!/bin/sh\n'%1' \"$@\"; code=$?\n"
                                              "for a in \"$@\"; do case \"$a\" in %2) exit 3;; esac; done\n"
                                              "exit $code\n")
                                   .arg(realRar, row.failingSwitch)
                                   .toUtf8());
    QFile::setPermissions(engines + "rar", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    TvxCompress compress(engines);
    compress.SetCommentFile(p.dir.path() + "/Comment.txt");
    WriteFile(p.dir.path() + "/Comment.txt", "site comment");
    const QString archive = p.dir.path() + "/out.rar";
    EXPECT_EQ(p.Pack(compress, archive, ".rar"), row.expected);
    EXPECT_EQ(QFileInfo::exists(archive), row.expected == prPacked);
  }
}

// Packing RAR needs only the packer: without the unrar library the packer lists the output for the
// check that it holds every file, whatever the names hold (line breaks, an escape character, blanks,
// bytes that are not UTF-8). An output that lacks a file, or that the packer cannot list, fails.
TEST(FolderPacking, RarOutputsAreCheckedWithoutTheUnrarLibrary) {
  TvxCompress builtEngines(testsupport::EngineDir() + '/');
  HM_REQUIRE_ENGINE("rar");
  HM_REQUIRE_TOOL("unrar");
  const struct {
    const char* label;
    const char* afterPacker;  // shell lines run after the real packer, "$1" its command
    int expected;
    bool unloadableLibrary = false;
  } rows[] = {
      {"the packer alone", "", prPacked},
      {"beside a library that cannot be loaded", "", prPacked, true},
      {"an output that lacks a file", "[ \"$1\" = a ] && \"$real\" d -idq \"$4\" game.bin >/dev/null\n",
       prFailed},
      {"a packer that cannot list", "[ \"$1\" = lt ] && exit 3\n", prFailed},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.label);
    Packing p;
    WriteFile(p.folder + "/game.bin", testsupport::RandomBytes(9000));
    for (const char* name :
         {"line\nbreak.txt", "esc\x1b[31m.txt", "  lead and trail  ", "sub dir/deep/x.bin"})
      WriteFile(p.folder + '/' + QString::fromUtf8(name), name);
    testsupport::WriteFileAtRawPath(p.folder, "bad\xFF.txt", "not UTF-8");
    testsupport::WriteFileAtRawPath(p.folder, "sub dir/\xC4\xE3\xBA\xC3.txt", "GBK");
    const QString engines = p.dir.path() + "/Engine/";
    MakeDir(engines);
    const QString realRar = QFileInfo(testsupport::EngineDir() + "/rar").canonicalFilePath();
    WriteFile(engines + "rar",
              QStringLiteral("#!/bin/sh\nreal='%1'\n\"$real\" \"$@\"; code=$?\n%2exit $code\n")
                  .arg(realRar, QString::fromUtf8(row.afterPacker))
                  .toUtf8());
    QFile::setPermissions(engines + "rar", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (row.unloadableLibrary) WriteFile(engines + "libunrar.so", "not a library");
    TvxCompress compress(engines);
    const QString archive = p.dir.path() + "/out.rar";
    EXPECT_EQ(p.Pack(compress, archive, ".rar"), row.expected);
    if (row.expected != prPacked) continue;
    const QString check = p.dir.path() + "/check";
    ASSERT_EQ(testsupport::RunTool("unrar", {"x", "-idq", archive, check + '/'}).exitCode, 0);
    QStringList expected = testsupport::TreeListing(p.folder) + QStringList{"Readme.txt"};
    expected.sort();
    EXPECT_EQ(testsupport::TreeListing(check), expected);
  }
}

TEST(FolderPacking, CallsPerFormat) {
  struct Row {
    QString format;
    bool lock;
    QStringList calls;
  };
  Packing p;
  WriteFile(p.folder + "/game.bin", "x");
  const QString f = p.folder;
  const QString m = p.must;
  const Row rows[] = {
      {".rar", true, {"RarFile " + f + "/|" + m + "/ -k", "GetFileList"}},  // one packing, locked
      {"", false, {"RarFile " + f + "/|" + m + '/', "GetFileList"}},
      {".zip", true, {"ZipFile " + f + "/*|" + m + "/*", "GetFileList"}},  // no comment call, no lock
      {".7z", true, {"c7ZipFile " + f + "/|" + m + '/', "GetFileList"}},
      {".RAR", true, {}},
  };
  for (const Row& row : rows) {
    FakeFacade fake;
    p.lockRar = row.lock;
    const int result = p.Pack(fake, p.dir.path() + "/out" + row.format, row.format);
    EXPECT_EQ(result, row.calls.isEmpty() ? prUnsupported : prPacked) << row.format.toStdString();
    EXPECT_EQ(fake.calls, row.calls) << row.format.toStdString();
  }
}

// Every file in, every file out: the output's own listing must name every file of the prepared
// folder and every must-have file, or the packing failed, whatever the packer said.
TEST(FolderPacking, AnOutputThatLacksAFileIsAFailedPacking) {
  struct Row {
    QString format;
    bool mustToFolder;
    QStringList leaveOut;
    int listResult;
    int expected;
  };
  const Row rows[] = {
      {".zip", false, {}, crSuccess, prPacked},
      {".zip", false, {"Game/game.bin"}, crSuccess, prFailed},
      {".7z", false, {"Readme.txt"}, crSuccess, prFailed},       // a must-have file at the root
      {".rar", true, {"Game/Readme.txt"}, crSuccess, prFailed},  // one copied into the root folder
      {".rar", false, {}, crFailed, prFailed},  // an output that cannot be listed proves nothing
      {".7z", true, {}, crSuccess, prPacked},
  };
  for (const Row& row : rows) {
    Packing p;
    p.mustToFolder = row.mustToFolder;
    WriteFile(p.folder + "/Game/game.bin", "game");
    FakeFacade fake;
    fake.leaveOut = row.leaveOut;
    fake.listResult = row.listResult;
    SCOPED_TRACE(row.format.toStdString() + " " + row.leaveOut.join(',').toStdString());
    EXPECT_EQ(p.Pack(fake, p.dir.path() + "/out" + row.format, row.format), row.expected);
  }
}

TEST(FolderPacking, FailuresAreNotHidden) {
  Packing p;
  WriteFile(p.folder + "/game.bin", "x");
  {  // a failed packing is not listed
    FakeFacade fake;
    fake.packFails = true;
    EXPECT_EQ(p.Pack(fake, p.dir.path() + "/a.rar", ".rar"), prFailed);
    EXPECT_EQ(fake.calls, QStringList({"RarFile " + p.folder + "/|" + p.must + '/'}));
    EXPECT_EQ(p.Pack(fake, p.dir.path() + "/a.zip", ".zip"), prFailed);
  }
  {
    FakeFacade fake;
    fake.rarMissing = true;
    EXPECT_EQ(p.Pack(fake, p.dir.path() + "/b.rar", ".rar"), prEngineMissing);
    EXPECT_TRUE(fake.calls.isEmpty());
  }
  {  // nothing at all to pack
    Packing empty;
    QFile::remove(empty.must + "/Readme.txt");
    FakeFacade fake;
    EXPECT_EQ(empty.Pack(fake, empty.dir.path() + "/d.zip", ".zip"), prFailed);
    EXPECT_TRUE(fake.calls.isEmpty());
  }
}

// Only a packer that a stop request killed makes the packing "stopped": the packer's own result
// judges it, not the stop flag. A stop asked before the packer ran only ends the run later.
TEST(FolderPacking, StoppedOnlyWhenTheStopKilledThePacker) {
  struct Row {
    const char* what;
    unsigned stopsBefore;
    bool stopWhileRunning;
    bool packerFails;
    int expected;
  };
  const Row rows[] = {
      {"killed by a stop", 0, true, true, prStopped},
      {"a stop asked while extracting, packer finished", 1, false, false, prPacked},
      {"a stop asked while extracting, packer failed on its own", 1, false, true, prFailed},
      {"a stop while it ran, packer finished all the same", 0, true, false, prPacked},
  };
  for (const Row& row : rows) {
    Packing p;
    WriteFile(p.folder + "/game.bin", "x");
    FakeFacade fake;
    fake.packFails = row.packerFails;
    unsigned stops = row.stopsBefore;
    if (row.stopWhileRunning) fake.whileRarRuns = [&stops] { ++stops; };
    const int result = TFolderPacker(fake, p.must, false, true, [&stops] {
                         return stops;
                       }).PackFolder(p.folder, p.dir.path() + "/c.rar", ".rar");
    EXPECT_EQ(result, row.expected) << row.what;
    if (row.expected == prPacked) {
      EXPECT_TRUE(fake.calls.first().endsWith(" -k")) << row.what;
    }
  }
}

}  // namespace
