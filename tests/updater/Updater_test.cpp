// harrowmint-updater on a program folder laid out by the test: the package replaces and adds
// files, listed files are deleted, the program starts again; nothing leaves the folder, and a
// broken hand-over or package changes nothing.
#include <QFileInfo>
#include <QProcess>
#include <QTest>
#include <functional>

#include "support/TestSupport.h"
#include "update/UpdateFailureNote.h"
#include "update/UpdateHandover.h"
#include "update/UpdateTexts.h"
#include "update/UpdateXml.h"
#include "util/Base64.h"

using testsupport::ReadFile;
using testsupport::RunTool;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

QString Updater() { return testsupport::BinDir() + "/harrowmint-updater"; }

// A zip made by Python's zipfile: name -> content, names written as given (".." included).
void MakeZip(const QString& path, const QList<QPair<QString, QByteArray>>& entries) {
  testsupport::MakeDir(QFileInfo(path).absolutePath());
  QString script = "import sys, zipfile\nz = zipfile.ZipFile(sys.argv[1], 'w')\n";
  for (const auto& entry : entries)
    script += QStringLiteral("z.writestr(%1, bytes.fromhex('%2'))\n")
                  .arg("'" + entry.first + "'", QString::fromLatin1(entry.second.toHex()));
  script += "z.close()\n";
  ASSERT_EQ(RunTool("python3", {"-c", script, path}).exitCode, 0);
}

// A zip holding `name` as a symbolic link to `target`, as Info-ZIP stores one made on Unix.
void MakeZipWithLink(const QString& path, const QString& name, const QString& target) {
  testsupport::MakeDir(QFileInfo(path).absolutePath());
  const QString script = QStringLiteral(
      "import sys, zipfile\n"
      "z = zipfile.ZipFile(sys.argv[1], 'w')\n"
      "link = zipfile.ZipInfo(sys.argv[2])\n"
      "link.create_system = 3\n"
      "link.external_attr = 0o120777 << 16\n"
      "z.writestr(link, sys.argv[3])\n"
      "z.close()\n");
  ASSERT_EQ(RunTool("python3", {"-c", script, path, name, target}).exitCode, 0);
}

struct ProgramFolder {
  TempDir root;  // the program folder is root/hm, so "../" has somewhere to go
  QString Folder() const { return root.file("hm/"); }
  QString File(const QString& relative) const { return Folder() + relative; }

  ProgramFolder() {
    WriteFile(File("a.txt"), "old a");
    WriteFile(File("keep.txt"), "kept");
    WriteFile(File("Engine/old.pk"), "[info]");
    WriteFile(root.file("outside.txt"), "not ours");
    // The program started again: records its arguments and folder.
    WriteFile(File("restart.sh"),
              "#!/bin/sh\n{ for a in \"$@\"; do echo \"$a\"; done; pwd; } > restarted.part && "
              "mv restarted.part restarted\n");
    QFile(File("restart.sh")).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  }
  void HandOver(const QString& killProc, const QString& mainExe, const QString& mainPram,
                const QString& delFiles) {
    TXML handover;
    handover.SelectList("id", "KillProcList2").WriteBase64("Value", killProc);
    handover.SelectList("id", "MainProcName").WriteText("Value", mainExe);
    handover.SelectList("id", "MainProcPram").WriteText("Value", mainPram);
    handover.SelectList("id", "DelFileList").WriteBase64("Value", delFiles);
    ASSERT_TRUE(handover.SaveToFile(HandoverFilePath(Folder())));
  }
  testsupport::ToolRun Run() { return RunTool(Updater(), {"update", "--home", Folder(), "--wait", "3"}); }
};

TEST(Updater, InstallsThePackageAndStartsTheProgramAgain) {
  ProgramFolder p;
  MakeZip(p.File("update/tmp.tmp"), {{"a.txt", "new a"}, {"new.txt", "added"}, {"sub/d.txt", "deep"}});
  p.HandOver("harrowmint.exe", "restart.sh", "--after-update \"x y\"", "Engine/old.pk\r\nmissing.txt");
  const testsupport::ToolRun run = p.Run();
  EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
  EXPECT_EQ(ReadFile(p.File("a.txt")), "new a");
  EXPECT_EQ(ReadFile(p.File("new.txt")), "added");
  EXPECT_EQ(ReadFile(p.File("sub/d.txt")), "deep");
  EXPECT_EQ(ReadFile(p.File("keep.txt")), "kept");
  EXPECT_FALSE(QFileInfo::exists(p.File("Engine/old.pk")));
  EXPECT_FALSE(QFileInfo::exists(p.File("update/tmp.tmp")));
  EXPECT_FALSE(QFileInfo::exists(p.File("update/staging")));
  EXPECT_FALSE(QFileInfo::exists(HandoverFilePath(p.Folder())));
  ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(p.File("restarted")); }, 10000));
  EXPECT_EQ(QString::fromUtf8(ReadFile(p.File("restarted"))),
            "--after-update\nx y\n" + QFileInfo(p.Folder()).absolutePath() + "\n");
}

TEST(Updater, APackageWithAnEscapingEntryIsNotInstalled) {
  ProgramFolder p;
  MakeZip(p.File("update/tmp.tmp"), {{"../escape.txt", "x"}, {"a.txt", "new a"}});
  p.HandOver("", "", "", "");
  EXPECT_EQ(p.Run().exitCode, 1);
  EXPECT_FALSE(QFileInfo::exists(p.root.file("escape.txt")));
  EXPECT_EQ(ReadFile(p.File("a.txt")), "old a") << "all or nothing";
  EXPECT_FALSE(QFileInfo::exists(p.File("update/staging")));
}

// A refused package changes nothing, yet the updater ends as always: the program as it was starts
// again and says at once why there was no update, and nothing handed over stays behind.
TEST(Updater, ARefusedPackageStartsTheOldProgramWhichSaysWhy) {
  struct Row {
    const char* what;
    std::function<void(const QString& package)> make;  // none: no package
    QString cause;
  };
  const Row rows[] = {
      {"an entry leaving the folder",
       [](const QString& package) {
         MakeZip(package, {{"../escape.txt", "x"}, {"a.txt", "new a"}});
       },
       TUpdateText::PackageRefused},
      {"a link", [](const QString& package) { MakeZipWithLink(package, "link", "a.txt"); },
       TUpdateText::PackageRefused},
      {"garbage", [](const QString& package) { WriteFile(package, "not an archive at all"); },
       TUpdateText::PackageRefused},
      {"no package", {}, TUpdateText::PackageMissing},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    ProgramFolder p;
    if (row.make) row.make(p.File("update/tmp.tmp"));
    p.HandOver("", "restart.sh", "", "keep.txt");
    EXPECT_EQ(p.Run().exitCode, 1);
    EXPECT_EQ(ReadFile(p.File("a.txt")), "old a");
    EXPECT_EQ(ReadFile(p.File("keep.txt")), "kept");
    EXPECT_FALSE(QFileInfo::exists(p.root.file("escape.txt")));
    EXPECT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(p.File("restarted")); }, 10000));
    for (const char* leftover : {"update/tmp.tmp", "update/staging", "tmp.updx"})
      EXPECT_FALSE(QFileInfo::exists(p.File(leftover))) << leftover;
    EXPECT_EQ(TakeUpdateFailure(p.Folder()), "升级失败：" + row.cause);
    EXPECT_EQ(TakeUpdateFailure(p.Folder()), "") << "said once";
  }
}

TEST(Updater, NeverStartsOrDeletesOutsideTheFolder) {
  ProgramFolder p;
  MakeZip(p.File("update/tmp.tmp"), {{"a.txt", "new a"}});
  WriteFile(p.root.file("restart.sh"), ReadFile(p.File("restart.sh")));
  QFile(p.root.file("restart.sh")).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  WriteFile(p.root.file("absolute.txt"), "not ours either");
  p.HandOver("", "../restart.sh", "", "../outside.txt\n" + p.root.file("absolute.txt"));
  EXPECT_EQ(p.Run().exitCode, 0);
  EXPECT_EQ(ReadFile(p.File("a.txt")), "new a");
  EXPECT_EQ(ReadFile(p.root.file("outside.txt")), "not ours");
  EXPECT_EQ(ReadFile(p.root.file("absolute.txt")), "not ours either");
  EXPECT_FALSE(QTest::qWaitFor([&] { return QFileInfo::exists(p.root.file("restarted")); }, 300));
}

TEST(Updater, ABrokenHandOverOrPackageChangesNothing) {
  {
    ProgramFolder p;  // no hand-over file
    MakeZip(p.File("update/tmp.tmp"), {{"a.txt", "new a"}});
    EXPECT_EQ(p.Run().exitCode, 1);
    EXPECT_EQ(ReadFile(p.File("a.txt")), "old a");
  }
  {
    ProgramFolder p;  // no package
    p.HandOver("", "restart.sh", "", "keep.txt");
    EXPECT_EQ(p.Run().exitCode, 1);
    EXPECT_EQ(ReadFile(p.File("keep.txt")), "kept");
  }
  {
    ProgramFolder p;  // a package cut short
    MakeZip(p.root.file("whole.zip"), {{"a.txt", QByteArray(50000, 'n')}, {"b.txt", "b"}});
    WriteFile(p.File("update/tmp.tmp"), ReadFile(p.root.file("whole.zip")).left(30000));
    p.HandOver("", "restart.sh", "", "keep.txt");
    EXPECT_EQ(p.Run().exitCode, 1);
    EXPECT_EQ(ReadFile(p.File("a.txt")), "old a");
    EXPECT_EQ(ReadFile(p.File("keep.txt")), "kept");
    EXPECT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(p.File("restarted")); }, 10000))
        << "the program as it was starts again";
  }
  EXPECT_EQ(RunTool(Updater(), {}).exitCode, 2);
  EXPECT_EQ(RunTool(Updater(), {"install"}).exitCode, 2);
  EXPECT_EQ(RunTool(Updater(), {"update", "--wait", "x"}).exitCode, 2);
}

TEST(Updater, WaitsForTheInstallationsProgramOnly) {
  ProgramFolder p;
  MakeZip(p.File("update/tmp.tmp"), {{"a.txt", "new a"}});
  p.HandOver("harrowmint.exe", "", "", "");
  // A program of this installation and one of the same name elsewhere.
  QFile::copy("/bin/sleep", p.File("harrowmint"));
  QFile::copy("/bin/sleep", p.root.file("harrowmint"));
  QProcess ours;
  QProcess theirs;
  ours.start(p.File("harrowmint"), {"300"});
  theirs.start(p.root.file("harrowmint"), {"300"});
  ASSERT_TRUE(ours.waitForStarted() && theirs.waitForStarted());

  // Still running after the wait: nothing installed, and the program is not ended.
  EXPECT_EQ(p.Run().exitCode, 1);
  EXPECT_EQ(ours.state(), QProcess::Running);
  EXPECT_EQ(ReadFile(p.File("a.txt")), "old a");

  // Once it has ended, the other installation's program does not hold the update back.
  ours.kill();
  ours.waitForFinished();
  EXPECT_EQ(p.Run().exitCode, 0);
  EXPECT_EQ(ReadFile(p.File("a.txt")), "new a");
  EXPECT_EQ(theirs.state(), QProcess::Running);
  theirs.kill();
  theirs.waitForFinished();
}

TEST(Updater, LeavesAnInstalledLayoutToThePackageManager) {
  // The updater as if installed in <prefix>/bin, with a hand-over waiting in the user's folder.
  TempDir prefix;
  testsupport::MakeDir(prefix.file("share/harrowmint"));
  testsupport::MakeDir(prefix.file("bin"));
  ASSERT_TRUE(QFile::copy(Updater(), prefix.file("bin/harrowmint-updater")));
  const QString user = prefix.file("data/harrowmint/");
  MakeZip(user + "update/tmp.tmp", {{"a.txt", "new a"}});
  WriteFile(user + "tmp.updx", "<root/>");
  const QStringList before = testsupport::TreeListing(prefix.path());

  const testsupport::ToolRun run =
      RunTool("env", {"XDG_DATA_HOME=" + prefix.file("data"), prefix.file("bin/harrowmint-updater"), "update",
                      "--wait", "0"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(run.err.contains("updated by its package manager")) << run.err.constData();
  EXPECT_EQ(testsupport::TreeListing(prefix.path()), before);
}

}  // namespace
