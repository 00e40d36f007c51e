// harrowmint-cli as a user runs it: item lines, summary, exit codes, JSON, one-run options that
// never reach the settings file, refusals, the engine listing, and a stop by signal.
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>
#include <thread>

#include "CliHome.h"

using testsupport::MakeDir;
using testsupport::RandomBytes;
using testsupport::ReadFile;
using testsupport::RunTool;
using testsupport::TempDir;
using testsupport::ToolRun;
using testsupport::TreeListing;
using testsupport::WriteFile;
using namespace clitest;

namespace {

TEST(Cli, RepacksArchivesAndFoldersAndPrintsOneLinePerItem) {
  HM_REQUIRE_TOOL("zip");
  HM_REQUIRE_TOOL("unzip");
  CliHome h;
  h.MakeZip("game.zip");
  WriteFile(h.In("Folder/data.bin"), RandomBytes(9000));

  const ToolRun run =
      h.Run({"--format", "zip", "--output", h.home + "/out", h.In("game.zip"), h.In("Folder")});
  EXPECT_EQ(run.exitCode, 0) << run.err.constData();
  EXPECT_EQ(Lines(run.out),
            QStringList({Line(0, "打包完毕", h.Out("game.zip")), Line(1, "打包完毕", h.Out("Folder.zip")),
                         "状态:打包完毕,共完成2个。"}));
  EXPECT_EQ(RunTool("unzip", {"-Z1", h.Out("game.zip")}).out, "data.bin\nReadme.txt\n");
  // The data folder was seeded from SysDb/Data; the one-run options never wrote the settings file.
  EXPECT_TRUE(QFileInfo::exists(h.home + "/Data/delete.dat"));
  EXPECT_FALSE(QFileInfo::exists(h.home + "/Data/Setting.ini"));
  EXPECT_EQ(TreeListing(h.home + "/tmp"), QStringList());
}

// On a terminal the progress line tells how far an item's packing has come, with its speed and
// the item; in a pipe nothing but the item lines and the summary is written.
TEST(Cli, ProgressLineOnATerminalOnly) {
  HM_REQUIRE_TOOL("script");
  CliHome h;
  WriteFile(h.In("big.bin"), RandomBytes(3 << 20));
  const QStringList args{Cli(), "--home",   h.home,          "--format",
                         "zip", "--output", h.home + "/out", h.In("big.bin")};
  QStringList quoted;
  for (const QString& arg : args) quoted << "'" + arg + "'";
  // script(1) runs the program on a pseudo-terminal and copies what it writes there.
  const ToolRun terminal = RunTool("script", {"-qefc", quoted.join(' '), "/dev/null"});
  EXPECT_EQ(terminal.exitCode, 0) << terminal.out.constData();
  const QString screen = QString::fromUtf8(terminal.out);
  EXPECT_TRUE(screen.contains("[1/1] 正在压缩中... 100%")) << terminal.out.constData();
  EXPECT_TRUE(screen.contains(
      QRegularExpression(R"(100%  \d+\.\d\d[KMG]B/s  )" + QRegularExpression::escape(h.In("big.bin")))))
      << terminal.out.constData();
  // The line is cleared before the item line, so the item line stands alone.
  EXPECT_TRUE(screen.contains("\x1b[K" + Line(0, "打包完毕", h.Out("big.zip")) + "\r\n"))
      << terminal.out.constData();

  QFile::remove(h.Out("big.zip"));
  const ToolRun piped = h.Run(args.mid(3));
  EXPECT_EQ(piped.exitCode, 0);
  EXPECT_EQ(piped.err, "");
  EXPECT_EQ(Lines(piped.out),
            QStringList({Line(0, "打包完毕", h.Out("big.zip")), "状态:打包完毕,共完成1个。"}));
}

TEST(Cli, SettingsOfTheDataFolderAndOneRunOverrides) {
  HM_REQUIRE_TOOL("7z");
  CliHome h;
  const QByteArray ini =
      "[Setting]\r\nCompressExt=2\r\nOutputPath=" + h.home.toUtf8() + "/fromini\r\nLockRAR=0\r\n";
  WriteFile(h.home + "/Data/Setting.ini", ini);
  WriteFile(h.In("file.bin"), RandomBytes(9000));

  const ToolRun fromSettings = h.Run({h.In("file.bin")});
  EXPECT_EQ(fromSettings.exitCode, 0) << fromSettings.out.constData();
  EXPECT_TRUE(QFileInfo::exists(h.home + "/fromini/file.7z"));

  const ToolRun overridden =
      h.Run({"--format", "zip", "--password", "pw", "--output", h.home + "/other", h.In("file.bin")});
  EXPECT_EQ(overridden.exitCode, 0) << overridden.out.constData();
  EXPECT_TRUE(QFileInfo::exists(h.home + "/other/file.zip"));
  EXPECT_TRUE(RunTool("7z", {"l", "-slt", h.home + "/other/file.zip"}).out.contains("Encrypted = +"));
  EXPECT_EQ(ReadFile(h.home + "/Data/Setting.ini"), ini);
}

// --plugin-formats extracts for one run what the settings would pack whole, as PluginFormats=1
// does in the settings file; the file is never written.
TEST(Cli, PluginFormatsSwitchForOneRun) {
  HM_REQUIRE_TOOL("bsdtar");
  HM_REQUIRE_TOOL("unzip");
  CliHome h;
  const QString tree = h.home + "/tree";
  WriteFile(tree + "/data.bin", RandomBytes(20000));
  WriteFile(tree + "/visit.url", "ad");
  ASSERT_EQ(RunTool("bsdtar", {"-czf", h.In("game.tar.gz"), "."}, tree).exitCode, 0);
  const auto entries = [](const QString& archive) {
    QStringList names = Lines(RunTool("unzip", {"-Z1", archive}).out);
    names.sort();
    return names;
  };
  const QStringList common{"--format", "zip", "--output", h.home + "/out"};

  const ToolRun whole = h.Run(common + QStringList{h.In("game.tar.gz")});
  EXPECT_EQ(whole.exitCode, 0) << whole.err.constData();
  EXPECT_EQ(entries(h.Out("game.tar.zip")), QStringList({"Readme.txt", "game.tar.gz"}));

  const ToolRun extracted = h.Run(common + QStringList{"--plugin-formats", h.In("game.tar.gz")});
  EXPECT_EQ(extracted.exitCode, 0) << extracted.err.constData();
  // Extracted, it is named as an archive is, without its whole format extension.
  EXPECT_EQ(Lines(extracted.out).value(0), Line(0, "打包完毕", h.Out("game.zip")));
  EXPECT_EQ(entries(h.Out("game.zip")), QStringList({"Readme.txt", "data.bin"}));
  EXPECT_FALSE(QFileInfo::exists(h.home + "/Data/Setting.ini"));

  WriteFile(h.home + "/Data/Setting.ini", "[Setting]\r\nPluginFormats=1\r\n");
  EXPECT_EQ(h.Run(common + QStringList{h.In("game.tar.gz")}).exitCode, 0);
  EXPECT_EQ(entries(h.Out("game_1.zip")), QStringList({"Readme.txt", "data.bin"}));
}

TEST(Cli, JsonObjectsPerItemAndSummary) {
  CliHome h;
  WriteFile(h.In("a.bin"), RandomBytes(9000));
  const ToolRun run =
      h.Run({"--json", "--format", "zip", "--output", h.home + "/out", h.In("a.bin"), h.In("gone.zip")});
  EXPECT_EQ(run.exitCode, 1);
  const QStringList lines = Lines(run.out);
  ASSERT_EQ(lines.size(), 3) << run.out.constData();
  const QJsonObject first = QJsonDocument::fromJson(lines[0].toUtf8()).object();
  EXPECT_EQ(first["index"].toInt(), 0);
  EXPECT_EQ(first["source"].toString(), h.In("a.bin"));
  EXPECT_EQ(first["status"].toString(), "打包完毕");
  EXPECT_EQ(first["state"].toInt(), 1);
  EXPECT_EQ(first["output"].toString(), h.Out("a.zip"));
  EXPECT_EQ(first["size"].toInteger(), QFileInfo(h.Out("a.zip")).size());
  const QJsonObject second = QJsonDocument::fromJson(lines[1].toUtf8()).object();
  EXPECT_EQ(second["status"].toString(), "源文件不存在");
  EXPECT_EQ(second["output"].toString(), "");
  const QJsonObject summary = QJsonDocument::fromJson(lines[2].toUtf8()).object();
  EXPECT_EQ(summary["summary"].toString(), "状态:打包完毕,共完成1个。");
  EXPECT_EQ(summary["failure"].toString(), "1个打包失败，请注意核对。");
}

// --nested and --test-output for one run: the archive inside is opened, the one that does not open
// is named in the JSON and packed as it was, and Setting.ini keeps its own values.
TEST(Cli, NestedArchivesAndTestedOutputsForOneRun) {
  HM_REQUIRE_TOOL("zip");
  HM_REQUIRE_TOOL("unzip");
  CliHome h;
  h.MakeNestedZip(h.In("upload.zip"));

  const ToolRun run = h.Run({"--json", "--nested", "1", "--test-output", "--format", "zip", "--output",
                             h.home + "/out", h.In("upload.zip")});
  EXPECT_EQ(run.exitCode, 0) << run.err.constData();
  const QJsonObject item = QJsonDocument::fromJson(Lines(run.out).first().toUtf8()).object();
  EXPECT_EQ(item["status"].toString(), "打包完毕");
  EXPECT_EQ(item["nestedOpened"].toArray(), QJsonArray({"inner.zip"}));
  EXPECT_EQ(item["nestedKept"].toArray(), QJsonArray({"broken.rar"}));
  EXPECT_EQ(ZipFiles(h.Out("upload.zip")), QStringList({"Readme.txt", "broken.rar", "inner/data.bin"}));  // the link cleaned away
  EXPECT_FALSE(ReadFile(h.home + "/Data/Setting.ini").contains("NestedDepth"));
  EXPECT_FALSE(ReadFile(h.home + "/Data/Setting.ini").contains("TestOutput"));
}

// A mixed batch with different passwords from a list given on the command line; --json names the
// line that opened each source. --keep-time gives the outputs their sources' time.
TEST(Cli, PasswordListAndKeepTime) {
  HM_REQUIRE_TOOL("7z");
  HM_REQUIRE_TOOL("rar");
  CliHome h;
  const QString tree = h.home + "/tree";
  WriteFile(tree + "/data.bin", RandomBytes(20000));
  ASSERT_EQ(RunTool("rar", {"a", "-r", "-ep1", "-idq", "-pfirst", h.In("a.rar"), tree + "/*"}).exitCode, 0);
  ASSERT_EQ(
      RunTool("7z", {"a", "-bd", "-tzip", "-mem=AES256", "-psecond", h.In("b.zip"), "."}, tree).exitCode, 0);
  ASSERT_EQ(RunTool("7z", {"a", "-bd", "-pthird", h.In("c.7z"), "."}, tree).exitCode, 0);
  ASSERT_EQ(RunTool("7z", {"a", "-bd", "-pother", h.In("d.7z"), "."}, tree).exitCode, 0);
  WriteFile(h.home + "/list.txt", "first\r\nsecond\r\nthird\r\n");
  const QDateTime old = QDateTime::fromSecsSinceEpoch(1000000000);
  for (const char* name : {"a.rar", "b.zip"}) {
    QFile file(h.In(name));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite) && file.setFileTime(old, QFileDevice::FileModificationTime));
  }

  const QStringList sources{h.In("a.rar"), h.In("b.zip"), h.In("c.7z"), h.In("d.7z")};
  const ToolRun run = h.Run(QStringList{"--json", "--keep-time", "--passwords", h.home + "/list.txt",
                                        "--format", "zip", "--output", h.home + "/out"} +
                            sources);
  EXPECT_EQ(run.exitCode, 1);
  const QStringList lines = Lines(run.out);
  ASSERT_EQ(lines.size(), 5) << run.out.constData();
  const QString statuses[] = {"打包完毕", "打包完毕", "打包完毕", "无法解压"};
  const int indexes[] = {0, 1, 2, -1};
  for (int i = 0; i < 4; ++i) {
    const QJsonObject item = QJsonDocument::fromJson(lines[i].toUtf8()).object();
    SCOPED_TRACE(lines[i].toStdString());
    EXPECT_EQ(item["status"].toString(), statuses[i]);
    EXPECT_EQ(item["unpackPasswordIndex"].toInt(-99), indexes[i]);
  }
  EXPECT_EQ(QFileInfo(h.Out("a.zip")).lastModified(), old);
  EXPECT_EQ(QFileInfo(h.Out("b.zip")).lastModified(), old);
  EXPECT_GT(QFileInfo(h.Out("c.zip")).lastModified(), QDateTime::currentDateTime().addSecs(-600));
}

// The same day's batch on the command line, two items at once: three passwords from a list, an
// AES ZIP and a password-protected RAR set given as all its volumes; every output holds every file.
TEST(Cli, MixedPasswordsAnAesZipAndAVolumeSetOnTwoWorkers) {
  HM_REQUIRE_TOOL("7z");
  HM_REQUIRE_TOOL("rar");
  HM_REQUIRE_TOOL("unzip");
  CliHome h;
  const QString tree = h.home + "/tree";
  const QByteArray small = RandomBytes(20000);
  const QByteArray large = RandomBytes(150000);
  WriteFile(tree + "/data.bin", small);
  WriteFile(tree + "/sub/notes.txt", "kept");
  WriteFile(h.home + "/big/large.bin", large);
  ASSERT_EQ(RunTool("rar", {"a", "-r", "-ep1", "-idq", "-pfirst", h.In("a.rar"), tree + "/*"}).exitCode, 0);
  ASSERT_EQ(
      RunTool("7z", {"a", "-bd", "-tzip", "-mem=AES256", "-psecond", h.In("b.zip"), "."}, tree).exitCode, 0);
  ASSERT_EQ(RunTool("7z", {"a", "-bd", "-pthird", h.In("c.7z"), "."}, tree).exitCode, 0);
  ASSERT_EQ(
      RunTool("rar", {"a", "-v64k", "-idq", "-ep1", "-pthird", h.In("set.rar"), h.home + "/big/*"}).exitCode,
      0);
  WriteFile(h.home + "/list.txt", "first\r\nsecond\r\nthird\r\n");

  const QStringList sources{h.In("a.rar"),         h.In("b.zip"),         h.In("c.7z"),
                            h.In("set.part1.rar"), h.In("set.part2.rar"), h.In("set.part3.rar")};
  const ToolRun run = h.Run(QStringList{"--jobs", "2", "--passwords", h.home + "/list.txt", "--format", "zip",
                                        "--output", h.home + "/out"} +
                            sources);
  EXPECT_EQ(run.exitCode, 0) << run.out.constData() << run.err.constData();
  const QStringList lines = Lines(run.out);
  ASSERT_EQ(lines.size(), 7) << run.out.constData();
  const QString statuses[] = {"打包完毕", "打包完毕",           "打包完毕",
                              "打包完毕", "分卷，随第一卷处理", "分卷，随第一卷处理"};
  for (int i = 0; i < 6; ++i)
    EXPECT_TRUE(lines[i].startsWith(QString::number(i) + '\t' + statuses[i])) << lines[i].toStdString();
  for (const char* output : {"a.zip", "b.zip", "c.zip"}) {
    SCOPED_TRACE(output);
    EXPECT_EQ(RunTool("unzip", {"-p", h.Out(output), "data.bin"}).out, small);
    EXPECT_EQ(RunTool("unzip", {"-p", h.Out(output), "sub/notes.txt"}).out, "kept");
  }
  EXPECT_EQ(RunTool("unzip", {"-p", h.Out("set.zip"), "large.bin"}).out, large);
}

// Items at once: the setting Jobs of the data folder (one per processor core unless changed), or
// --jobs for one run; the run says how many with --verbose.
TEST(Cli, ItemsAtOnceFollowTheSettingUnlessJobsIsGiven) {
  CliHome h;
  WriteFile(h.In("a.bin"), RandomBytes(9000));
  const QString cores = QString::number(std::max(1u, std::thread::hardware_concurrency()));
  const struct {
    QByteArray ini;  // Setting.ini, none when empty
    QStringList options;
    QString atOnce;
  } cases[] = {
      {"", {}, cores},
      {"[Setting]\r\nJobs=3\r\n", {}, "3"},
      {"[Setting]\r\nJobs=3\r\n", {"--jobs", "1"}, "1"},
      {"[Setting]\r\nJobs=3\r\n", {"--jobs", "0"}, cores},
      {"[Setting]\r\nJobs=many\r\n", {}, cores},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.ini.constData() + c.options.join(' ').toStdString());
    QFile::remove(h.home + "/Data/Setting.ini");
    if (!c.ini.isEmpty()) WriteFile(h.home + "/Data/Setting.ini", c.ini);
    QFile::remove(h.Out("a.zip"));
    const ToolRun run =
        h.Run(QStringList{"--verbose", "--format", "zip", "--output", h.home + "/out"} + c.options +
                               QStringList{h.In("a.bin")});
    EXPECT_EQ(run.exitCode, 0) << run.err.constData();
    EXPECT_TRUE(Lines(run.err).contains("harrowmint.job: items worked on at once: " + c.atOnce))
        << run.err.constData();
  }
}

TEST(Cli, FailedItemsGiveExitCodeOneAndTheFailureText) {
  CliHome h;
  WriteFile(h.In("damaged.zip"), "PK\x03\x04" + RandomBytes(2000));
  WriteFile(h.In("tiny.txt"), "small");  // packs, but below the plausible size
  const ToolRun run =
      h.Run({"--format", "zip", "--output", h.home + "/out", h.In("damaged.zip"), h.In("tiny.txt")});
  EXPECT_EQ(run.exitCode, 1);
  const QStringList lines = Lines(run.out);
  ASSERT_EQ(lines.size(), 4) << run.out.constData();
  EXPECT_EQ(lines[0], "0\t无法解压\t\t0");
  EXPECT_EQ(lines[1], Line(1, "打包完毕", h.Out("tiny.zip")));
  EXPECT_EQ(lines[2], "状态:打包完毕,共完成1个。");
  EXPECT_EQ(lines[3], "2个打包失败，请注意核对。");
}

// --verbose adds the causes on standard error; standard output is the same, line for line.
TEST(Cli, VerboseTellsWhyItemsFailedOnStandardError) {
  HM_REQUIRE_TOOL("zip");
  HM_REQUIRE_TOOL("7z");
  HM_REQUIRE_TOOL("rar");
  CliHome h;
  // An engine folder without the 7z library.
  QFile::remove(h.home + "/Engine");
  MakeDir(h.home + "/Engine");
  for (const char* engine : {"rar", "libunrar.so"})
    QFile::link(QFileInfo(testsupport::EngineDir() + '/' + engine).canonicalFilePath(),
                h.home + "/Engine/" + engine);
  const QString tree = h.home + "/tree";
  WriteFile(tree + "/data.bin", RandomBytes(9000));
  ASSERT_EQ(RunTool("zip", {"-qr", "-P", "right", h.In("locked.zip"), "."}, tree).exitCode, 0);
  ASSERT_EQ(RunTool("7z", {"a", "-bd", h.In("a.7z"), "."}, tree).exitCode, 0);
  WriteFile(h.In("damaged.zip"), "PK\x03\x04" + RandomBytes(2000));
  const QStringList args{"--format",         "zip",       "--output", h.home + "/out", h.In("damaged.zip"),
                         h.In("locked.zip"), h.In("a.7z")};

  const ToolRun quiet = h.Run(args);
  const ToolRun verbose = h.Run(QStringList{"--verbose"} + args);
  EXPECT_EQ(quiet.exitCode, 1);
  EXPECT_EQ(verbose.exitCode, 1);
  EXPECT_EQ(Lines(quiet.out), QStringList({"0\t无法解压\t\t0", "1\t解压密码错误\t\t0", "2\t引擎加载失败\t\t0",
                                           "状态:打包完毕,共完成0个。", "3个打包失败，请注意核对。"}));
  EXPECT_EQ(verbose.out, quiet.out);
  EXPECT_EQ(quiet.err, "") << "the log is for --verbose only";

  const QString err = QString::fromUtf8(verbose.err);
  const struct {
    QString archive;
    QString cause;
  } causes[] = {
      {h.In("damaged.zip"), "crFailed: cannot read the archive's directory"},
      {h.In("locked.zip"), "crWrongPassword: wrong or missing password for entry \"data.bin\""},
      {h.In("a.7z"), "crEngineLoadFailed: no 7z library at " + h.home + "/Engine/7z.so"},
  };
  for (const auto& c : causes) {
    const QStringList lines = Lines(verbose.err).filter(c.archive);
    ASSERT_FALSE(lines.isEmpty()) << c.archive.toStdString() << "\n" << err.toStdString();
    EXPECT_TRUE(lines.first().startsWith("harrowmint.engine: ")) << lines.first().toStdString();
    EXPECT_TRUE(lines.first().endsWith(c.cause)) << lines.first().toStdString();
  }
}

// A data file that cannot be read is said without --verbose, and the run goes on without it.
TEST(Cli, AnUnreadableDataFileIsAWarningOnStandardError) {
  CliHome h;
  WriteFile(h.home + "/Data/data.db", RandomBytes(4096));
  MakeDir(h.home + "/Data/delete.dat");                // a folder where the list should be
  WriteFile(h.In("Folder/notes.txt"), "read me\r\n");  // cleaned with the rules of data.db
  WriteFile(h.In("Folder/data.bin"), RandomBytes(9000));
  const ToolRun run = h.Run({"--format", "zip", "--output", h.home + "/out", h.In("Folder")});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(Lines(run.out),
            QStringList({Line(0, "打包完毕", h.Out("Folder.zip")), "状态:打包完毕,共完成1个。"}));
  EXPECT_EQ(
      Lines(run.err),
      QStringList(
          {"harrowmint-cli: 无法读取数据文件“" + h.home + "/Data/delete.dat”，本次打包不使用其中的内容。",
           "harrowmint-cli: 无法读取数据文件“" + h.home + "/Data/data.db”，本次打包不使用其中的内容。"}));
}

TEST(Cli, RefusedRunsAndWrongArgumentsExitWithTwo) {
  CliHome h;
  WriteFile(h.home + "/blocker", "a file where a folder is needed");
  WriteFile(h.In("a.bin"), "a");
  const ToolRun invalid = h.Run({"--output", h.home + "/blocker/out", h.In("a.bin")});
  EXPECT_EQ(invalid.exitCode, 2);
  EXPECT_TRUE(QString::fromUtf8(invalid.err).contains("无效的输出目录。"));
  EXPECT_TRUE(invalid.out.isEmpty());
  EXPECT_FALSE(QFileInfo::exists(h.home + "/tmp"));

  // A password list the user named and that cannot be read: said, and nothing is done.
  MakeDir(h.home + "/folder-list");
  for (const QString& list : {h.home + "/missing-list.txt", h.home + "/folder-list"}) {
    const ToolRun run = h.Run({"--passwords", list, "--output", h.home + "/out", h.In("a.bin")});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(QString::fromUtf8(run.err).contains(QStringLiteral("无法读取密码列表“") + list + "”"))
        << run.err.constData();
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(h.home + "/out"));
  }

  const QList<QStringList> wrong = {{},
                                    {"--format", "tar", h.In("a.bin")},
                                    {"--bogus", h.In("a.bin")},
                                    {"--output"},
                                    {"--passwords", "", h.In("a.bin")},
                                    {"--jobs", "-1", h.In("a.bin")},
                                    {"--jobs", "two", h.In("a.bin")},
                                    {"--watch", h.home + "/in", h.In("a.bin")},
                                    {"--watch", ""},
                                    {"--watch", h.home + "/in", "--dry-run"},
                                    {"--watch", h.home + "/in", "--settle", "-1"},
                                    {"--watch", h.home + "/in", "--settle", "soon"},
                                    {"--settle", "3", h.In("a.bin")},
                                    {"--nested", "4", h.In("a.bin")},
                                    {"--nested", "one", h.In("a.bin")}};
  for (const QStringList& args : wrong) {
    const ToolRun run = h.Run(args);
    EXPECT_EQ(run.exitCode, 2) << args.join(' ').toStdString();
    EXPECT_TRUE(run.err.contains("Usage: harrowmint-cli")) << args.join(' ').toStdString();
  }
}

TEST(Cli, VersionAndEngines) {
  CliHome h;
  const ToolRun version = RunTool(Cli(), {"--version"});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_TRUE(version.out.startsWith("harrowmint-cli ")) << version.out.constData();

  const ToolRun engines = h.Run({"--engines"});
  EXPECT_EQ(engines.exitCode, 0);
  for (const char* name : {"rar", "libunrar.so", "7z.so", "Plug-ins:"})
    EXPECT_TRUE(engines.out.contains(name)) << engines.out.constData();
}

TEST(Cli, TerminationStopsTheRunAfterEndingThePacker) {
  CliHome h;
  QFile::remove(h.home + "/Engine");
  const QString marker = h.home + "/packer-started";
  WriteFile(h.home + "/Engine/rar", ("#!/bin/sh\ntouch '" + marker + "'\nexec sleep 60\n").toUtf8());
  QFile::setPermissions(h.home + "/Engine/rar", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  WriteFile(h.In("first/a.bin"), "a");
  WriteFile(h.In("second/b.bin"), "b");

  QProcess cli;
  cli.start(Cli(), {"--home", h.home, "--jobs", "1", "--format", "rar", "--output", h.home + "/out",
                    h.In("first"), h.In("second")});
  ASSERT_TRUE(cli.waitForStarted());
  for (int i = 0; i < 600 && !QFileInfo::exists(marker); ++i) QThread::msleep(50);
  ASSERT_TRUE(QFileInfo::exists(marker));
  cli.terminate();  // SIGTERM, as Ctrl+C's SIGINT
  ASSERT_TRUE(cli.waitForFinished(30000));
  EXPECT_EQ(cli.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(cli.exitCode(), 1);
  EXPECT_EQ(Lines(cli.readAllStandardOutput()),
            QStringList({"0\t已停止\t\t0", "状态:打包完毕,共完成0个。", "1个打包失败，请注意核对。"}));
  EXPECT_EQ(TreeListing(h.home + "/tmp"), QStringList());
  EXPECT_EQ(TreeListing(h.home + "/in"), QStringList({"first/", "first/a.bin", "second/", "second/b.bin"}));
}

}  // namespace
