// RAR output through the command-line packer, checked with the independent unrar tool.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

#include <atomic>
#include <thread>

#include "RarFixtures.h"
#include "compress/rar/RarCommentFile.h"
#include "compress/rar/RarPacker.h"
#include "util/CodePage.h"
#include "util/Process.h"

using namespace rarfixtures;
using testsupport::ReadFile;
using testsupport::TreeListing;
using testsupport::WriteFile;

namespace {

class RarPackerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    HM_REQUIRE_ENGINE("rar");
    HM_REQUIRE_TOOL("unrar");
    sourceListing = MakeSourceTree(work);
  }

  // Bare names as unrar lists them, sorted.
  QStringList Listed(const QString& archive, const QString& password = "-") {
    const auto run = UnRar({"lb", "-p" + password, archive});
    EXPECT_EQ(run.exitCode, 0) << run.out.toStdString();
    QStringList names = QString::fromUtf8(run.out).split('\n', Qt::SkipEmptyParts);
    names.sort();
    return names;
  }

  int Test(const QString& archive, const QString& password = "-") {
    return UnRar({"t", "-p" + password, archive}).exitCode;
  }

  testsupport::TempDir dir;
  QString work = dir.file("work/1");
  QStringList sourceListing;
  TEngineContext context = EngineContext();
};

}  // namespace

TEST_F(RarPackerTest, PacksTheFolderContentWithoutTheFolderItself) {
  TRarPacker packer(context);
  const QString withSlash = dir.file("with slash.rar");
  const QString withoutSlash = dir.file("without.rar");
  ASSERT_TRUE(packer.RarFile(work + '/', withSlash));
  ASSERT_TRUE(packer.RarFile(work, withoutSlash));
  EXPECT_EQ(Test(withSlash), 0);
  EXPECT_EQ(Listed(withSlash), EntryNames(sourceListing));
  EXPECT_EQ(Listed(withoutSlash), EntryNames(sourceListing));
  ASSERT_EQ(UnRar({"x", withSlash, dir.file("check") + '/'}).exitCode, 0);
  ExpectSameTree(work, dir.file("check"));

  const QString single = dir.file("single.rar");
  ASSERT_TRUE(packer.RarFile(work + "/readme.txt", single));
  EXPECT_EQ(Listed(single), QStringList{"readme.txt"});
}

TEST_F(RarPackerTest, ThePackingStepsOfOneOutput) {
  // Work folder, then must-have files into the same archive, comment, lock: one password for both
  // adds, and a password no command line could carry unquoted.
  const QString password = QString::fromUtf8(R"(pa ss "quoted" \ 密码)");
  const QString mustFiles = dir.file("Data/MustFiles");
  WriteFile(mustFiles + "/must-have.txt", "read me first");
  const QString commentFile = dir.file("Data/Comment.txt");
  const QString comment = QString::fromUtf8("下载站 comment\r\nsecond line");
  WriteFile(commentFile, ToAnsi(comment));  // the system writes it in the ANSI code page
  context.compressPwd = password;
  context.commentFile = commentFile;
  TRarPacker packer(context);
  const QString archive = dir.file("out/输出 name.rar");
  testsupport::MakeDir(dir.file("out"));

  ASSERT_TRUE(packer.RarFile(work + '/', archive));
  ASSERT_TRUE(packer.RarFile(mustFiles + '/', archive));
  ASSERT_TRUE(packer.AddComment(archive));
  ASSERT_TRUE(packer.SetLock(archive));

  EXPECT_EQ(Test(archive, password), 0);
  EXPECT_NE(Test(archive, "pa ss"), 0);
  EXPECT_EQ(Listed(archive), EntryNames(sourceListing + QStringList{"must-have.txt"}));
  const auto listing = UnRar({"l", "-p-", archive});
  EXPECT_TRUE(listing.out.contains("Details: RAR 5, lock")) << listing.out.toStdString();
  EXPECT_TRUE(QString::fromUtf8(listing.out).contains(comment)) << listing.out.toStdString();
  // Locked: the packer refuses any further change.
  EXPECT_FALSE(packer.AddComment(archive));
  EXPECT_FALSE(packer.RarFile(mustFiles + '/', archive));
}

// `unrar lt` without what differs between two packings of the same files: the archive's own
// path, the times, and the MACs that replace checksums under a password (salted per archive).
// Entries are compared as a set: one packer run may store them in another order.
QStringList TechnicalListing(const QString& archive, const QString& password) {
  const auto run = UnRar({"lt", "-p" + (password.isEmpty() ? QStringLiteral("-") : password), archive});
  EXPECT_EQ(run.exitCode, 0) << run.out.toStdString();
  QStringList blocks;
  for (const QString& block : QString::fromUtf8(run.out).split(QStringLiteral("\n\n"))) {
    QStringList lines;
    for (const QString& line : block.split('\n')) {
      const QString field = line.trimmed().section(':', 0, 0);
      if (field == "Archive" || field.endsWith("time") || field == "CRC32 MAC") continue;
      lines << line;
    }
    blocks << lines.join('\n');
  }
  blocks.sort();
  return blocks;
}

// One packer run per output makes the archive the add, add, comment and lock runs made: the same
// entries and names, comment, lock and encryption, and the same bytes in every file. Must-have
// files that share paths with the folder (a file the must-have copy replaces, a folder both
// fill) take a second run, since the packer would store those paths twice in one.
TEST_F(RarPackerTest, OneRunMakesTheArchiveOfAddsCommentAndLock) {
  const struct {
    const char* label;
    QStringList mustFiles;  // relative paths below the must-have folder
    bool comment;
    bool lock;
    QString password;
  } cases[] = {
      {"beside each other, all asked for", {"must-have.txt", "extra/more.txt"}, true, true, "pw 密码"},
      {"shared file and folder", {"readme.txt", "sub/extra.txt", "new.txt"}, true, true, {}},
      {"no comment file, no lock", {"must-have.txt"}, false, false, {}},
      {"no must-have files", {}, true, false, "pw"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    testsupport::TempDir run;
    const QString must = run.file("MustFiles");
    testsupport::MakeDir(must);
    for (const QString& name : c.mustFiles) WriteFile(must + '/' + name, "must have " + name.toUtf8());
    TEngineContext withComment = context;
    withComment.compressPwd = c.password;
    withComment.commentFile = run.file("Comment.txt");
    if (c.comment) WriteFile(withComment.commentFile, ToAnsi(QString::fromUtf8("下载站\r\nsecond line")));
    TRarPacker packer(withComment);
    QStringList sources{work + '/'};
    if (!c.mustFiles.isEmpty()) sources << must + '/';

    const QString steps = run.file("steps.rar");
    for (const QString& source : sources) ASSERT_TRUE(packer.RarFile(source, steps));
    EXPECT_EQ(packer.AddComment(steps), c.comment);
    if (c.lock) {
      ASSERT_TRUE(packer.SetLock(steps));
    }

    const QString oneRun = run.file("one.rar");
    ASSERT_TRUE(packer.RarFile(sources, oneRun, c.lock));

    const QStringList listing = TechnicalListing(oneRun, c.password);
    EXPECT_EQ(listing, TechnicalListing(steps, c.password));
    EXPECT_EQ(listing.join('\n').contains("Details: RAR 5, lock"), c.lock);
    EXPECT_EQ(QString::fromUtf8(UnRar({"l", "-p-", oneRun}).out).contains(QString::fromUtf8("下载站")),
              c.comment);
    for (const QString& archive : {steps, oneRun})
      ASSERT_EQ(UnRar({"x", "-idq", "-p" + (c.password.isEmpty() ? "-" : c.password), archive,
                       run.file("x-" + QFileInfo(archive).baseName()) + '/'})
                    .exitCode,
                0);
    ExpectSameTree(run.file("x-steps"), run.file("x-one"));
    EXPECT_EQ(TreeListing(run.path()).filter(".hm-"), QStringList());
  }
}

// The new archive takes the place of whatever reserves its name only when it is complete.
TEST_F(RarPackerTest, OneRunReplacesTheNamesPlaceholderOnlyWhenComplete) {
  TRarPacker packer(context);
  const QString archive = dir.file("out/reserved.rar");
  WriteFile(archive, {});
  ASSERT_TRUE(packer.RarFile({work}, archive, false));
  EXPECT_EQ(Listed(archive), EntryNames(sourceListing));

  const QString failed = dir.file("out/failed.rar");
  WriteFile(failed, {});
  EXPECT_FALSE(packer.RarFile({dir.file("no such folder") + '/'}, failed, false));
  EXPECT_EQ(ReadFile(failed), QByteArray());
  EXPECT_EQ(TreeListing(dir.file("out")), QStringList({"failed.rar", "reserved.rar"}));
}

TEST_F(RarPackerTest, LockWhileCreating) {
  context.lockFile = true;
  TRarPacker packer(context);
  const QString archive = dir.file("locked.rar");
  ASSERT_TRUE(packer.RarFile(work, archive));
  EXPECT_TRUE(UnRar({"l", archive}).out.contains("Details: RAR 5, lock"));
}

TEST_F(RarPackerTest, FailuresReportFalseAndKeepTheArchive) {
  TRarPacker packer(context);
  const QString archive = dir.file("a.rar");
  ASSERT_TRUE(packer.RarFile(work, archive));

  context.commentFile = dir.file("no such Comment.txt");
  EXPECT_FALSE(packer.AddComment(archive));
  testsupport::MakeDir(dir.file("empty"));
  EXPECT_FALSE(packer.RarFile(dir.file("empty") + '/', archive));         // nothing to add
  EXPECT_FALSE(packer.RarFile(dir.file("missing must") + '/', archive));  // nothing to add
  // The packer may rewrite the archive on a failed run, but keeps every entry.
  EXPECT_EQ(Test(archive), 0);
  EXPECT_EQ(Listed(archive), EntryNames(sourceListing));
  EXPECT_FALSE(packer.SetLock(dir.file("missing.rar")));
  EXPECT_FALSE(packer.RarFile(dir.file("empty"), dir.file("new.rar")));
  EXPECT_FALSE(QFileInfo::exists(dir.file("new.rar")));

  WriteFile(dir.file("not a rar.rar"), "plain text");
  EXPECT_FALSE(packer.RarFile(work, dir.file("not a rar.rar")));
  EXPECT_EQ(ReadFile(dir.file("not a rar.rar")), "plain text");
}

TEST_F(RarPackerTest, MissingPackerRunsNothing) {
  testsupport::TempDir engines;
  context.engineFolder = engines.path() + '/';
  context.commentFile = dir.file("Comment.txt");
  WriteFile(context.commentFile, "c");
  TRarPacker packer(context);
  EXPECT_FALSE(packer.RarExeExists());
  EXPECT_FALSE(packer.RarFile(work, dir.file("a.rar")));
  EXPECT_FALSE(packer.AddComment(dir.file("a.rar")));
  EXPECT_FALSE(packer.SetLock(dir.file("a.rar")));
  EXPECT_FALSE(QFileInfo::exists(dir.file("a.rar")));
}

// The packer writes the changed copy of an archive into its working folder, and an installed
// program's engine folder is read-only: every run works in the archive's folder.
TEST(RarPackerWorkingFolder, EveryRunWorksInTheArchivesFolder) {
  testsupport::TempDir dir;
  TEngineContext context;
  context.engineFolder = dir.file("Engine/");
  context.commentFile = dir.file("Comment.txt");
  WriteFile(context.commentFile, "c");
  WriteFile(dir.file("work/a.txt"), "a");
  const QString record = dir.file("working-folders");
  WriteFile(context.engineFolder + "rar", ("#!/bin/sh\npwd >> '" + record + "'\n").toUtf8());
  QFile::setPermissions(context.engineFolder + "rar", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  testsupport::MakeDir(dir.file("out"));
  const QString archive = dir.file("out/a.rar");

  TRarPacker packer(context);
  ASSERT_TRUE(packer.RarFile(dir.file("work/"), archive));
  ASSERT_TRUE(packer.AddComment(archive));
  ASSERT_TRUE(packer.SetLock(archive));
  EXPECT_EQ(QString::fromUtf8(ReadFile(record)).split('\n', Qt::SkipEmptyParts),
            QStringList(3, dir.file("out")));
}

TEST_F(RarPackerTest, StopRequestKillsTheRunningPacker) {
  WriteFile(dir.file("big/payload.bin"), RandomBytes(96 * 1024 * 1024));
  TRarPacker packer(context);
  std::atomic<bool> done = false;
  int killed = 0;
  // Keeps killing until the packer returns, so the packer is ended whenever it starts.
  std::thread stopButton([&] {
    while (!done) {
      killed += KillChildProcesses(QCoreApplication::applicationPid(), false);
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  });
  const bool packed = packer.RarFile(dir.file("big"), dir.file("big.rar"));
  done = true;
  stopButton.join();
  EXPECT_FALSE(packed);
  EXPECT_GE(killed, 1);
}

// The packer follows links to folders, through links to the folder itself and to an ancestor
// without end (two such links branch at every level). Like every packing of a folder it leaves
// them out; a guard kills the packer should that regress, so the test fails instead of hanging.
TEST_F(RarPackerTest, LinksToFoldersAreLeftOutSoLoopsEnd) {
  const QString folder = dir.file("links");
  WriteFile(folder + "/data.txt", "data");
  WriteFile(folder + "/sub/b.txt", "b");
  for (const auto& [target, link] :
       std::initializer_list<std::pair<const char*, const char*>>{{".", "self"},
                                                                  {"..", "sub/up"},
                                                                  {".", "ends in a blank "},
                                                                  {"..", "sub/\xC4\xE3"},
                                                                  {"sub", "linked folder"},
                                                                  {"data.txt", "file link"}})
    ASSERT_EQ(::symlink(target, QFile::encodeName(folder + '/') + link), 0) << link;
  const QString mustFiles = dir.file("Must");
  WriteFile(mustFiles + "/must.txt", "m");
  ASSERT_TRUE(QFile::link(".", mustFiles + "/again"));
  TRarPacker packer(context);
  std::atomic<bool> done = false;
  std::atomic<bool> killed = false;
  std::thread guard([&] {  // two minutes, for a slow machine
    for (int tenths = 0; !done; ++tenths) {
      if (tenths > 1200 && KillChildProcesses(QCoreApplication::applicationPid(), false) > 0) killed = true;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
  });
  const bool added = packer.RarFile(folder, dir.file("add.rar"));
  const bool whole = packer.RarFile(QStringList{folder + '/', mustFiles + '/'}, dir.file("whole.rar"), true);
  done = true;
  guard.join();
  ASSERT_FALSE(killed) << "the packer walked the links without end";
  ASSERT_TRUE(added && whole) << context.cause.toStdString();
  const QStringList files{"data.txt", "file link", "sub", "sub/b.txt"};
  EXPECT_EQ(Listed(dir.file("add.rar")), files);
  EXPECT_EQ(Listed(dir.file("whole.rar")),
            QStringList({"data.txt", "file link", "must.txt", "sub", "sub/b.txt"}));
  EXPECT_EQ(Test(dir.file("whole.rar")), 0);

  // A wildcard would leave out other folders too: the add fails before the packer runs.
  ASSERT_TRUE(QFile::link(".", folder + "/sub/st*r"));
  for (const bool wholeOutput : {false, true}) {
    EXPECT_FALSE(wholeOutput ? packer.RarFile(QStringList{folder}, dir.file("wild.rar"), false)
                             : packer.RarFile(folder, dir.file("wild.rar")));
    EXPECT_TRUE(context.cause.contains("cannot leave out exactly")) << context.cause.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.file("wild.rar")));
  }
}

TEST(RarCommentFile, DecodesByMarkElseAnsi) {
  const QString text = QString::fromUtf8("注释 comment\r\n");
  EXPECT_EQ(DecodeCommentFile(ToAnsi(text)), text);
  EXPECT_EQ(DecodeCommentFile("\xEF\xBB\xBF" + text.toUtf8()), text);
  QByteArray utf16("\xFF\xFE");
  utf16.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
  EXPECT_EQ(DecodeCommentFile(utf16), text);
  EXPECT_EQ(DecodeCommentFile({}), QString());
}

// The copy lies in the temp folder it is given (a run's own, swept when a killed run left it).
TEST(RarCommentFile, CopyIsUtf8WithAMarkInTheTempFolderAndGoesAway) {
  testsupport::TempDir dir;
  const QString tempFolder = dir.file("run/");
  testsupport::MakeDir(tempFolder);
  WriteFile(dir.file("Comment.txt"), ToAnsi(QString::fromUtf8("中文")));
  QString copyPath;
  {
    const TRarCommentFile copy(dir.file("Comment.txt"), tempFolder);
    copyPath = copy.path();
    EXPECT_TRUE(copyPath.startsWith(tempFolder + "hm-comment-")) << copyPath.toStdString();
    EXPECT_EQ(ReadFile(copyPath), "\xEF\xBB\xBF" + QString::fromUtf8("中文").toUtf8());
  }
  EXPECT_EQ(TreeListing(tempFolder), QStringList());
  EXPECT_EQ(TRarCommentFile(dir.file("missing.txt"), tempFolder).path(), dir.file("missing.txt"));
  EXPECT_EQ(TRarCommentFile({}, tempFolder).path(), QString());
}

// Programs started without a UTF-8 locale in their environment (a service, cron, a bare
// container) must still store non-ASCII names and passwords whole: in the "C" locale the packer
// stores every non-ASCII character as one placeholder, so the runner hands it a UTF-8 locale.
TEST_F(RarPackerTest, NonAsciiNamesAndPasswordWithoutAUtf8LocaleInTheEnvironment) {
  const QString password = QString::fromUtf8("密码 pässwörd");
  const QByteArrayList variables = {"LC_ALL", "LC_CTYPE", "LANG"};
  QList<QByteArray> saved;
  for (const QByteArray& name : variables) {
    saved << qgetenv(name.constData());
    qunsetenv(name.constData());
  }
  context.compressPwd = password;
  TRarPacker packer(context);
  const bool packed = packer.RarFile(work, dir.file("c-locale.rar"));
  for (qsizetype i = 0; i < variables.size(); ++i)
    if (!saved[i].isNull()) qputenv(variables[i].constData(), saved[i]);
  ASSERT_TRUE(packed);
  EXPECT_EQ(Listed(dir.file("c-locale.rar")), EntryNames(sourceListing));
  EXPECT_EQ(Test(dir.file("c-locale.rar"), password), 0);
}
