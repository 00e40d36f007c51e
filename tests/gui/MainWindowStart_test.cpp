// The program started with paths: --start presses 开始打包 at once, --quit-when-done ends it with the
// run's status, and a second start of the same program folder hands its paths to the window that
// runs instead of being refused.
#include <QProcess>

#include "WindowFixture.h"
#include "gui/InstanceChannel.h"

using testsupport::RandomBytes;
using testsupport::RunTool;
using testsupport::TreeListing;
using testsupport::WriteFile;

namespace {

// The program over the folder, on the offscreen platform, its boxes answered on standard error.
void StartProgram(QProcess& process, const QString& home, const QStringList& arguments) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.insert("HARROWMINT_MESSAGES", "stderr");
  process.setProcessEnvironment(env);
  process.start(testsupport::BinDir() + "/harrowmint", QStringList{"--home", home} + arguments);
}

TEST(MainWindowStart, QuitWhenDoneEndsWithTheRunsStatus) {
  HM_REQUIRE_TOOL("unzip");
  WindowHome h(true);
  h.Save(h.QuickSettings());
  WriteFile(h.In("a.bin"), RandomBytes(9000));
  WriteFile(h.In("broken.zip"), "PK\x03\x04" + RandomBytes(2000));
  WriteFile(h.home + "/a-file", "not a folder");
  const struct {
    const char* what;
    QStringList arguments;
    int status;
    QString says;  // on standard error
  } cases[] = {
      {"every item made", {"--start", "--quit-when-done", h.In("a.bin")}, 0, ""},
      {"an item failed", {"--start", "--quit-when-done", h.In("a.bin"), h.In("broken.zip")}, 1,
       "提示: 1个打包失败，请注意核对。"},
      {"nothing to start", {"--start", "--quit-when-done"}, 2, "提示: 请先添加需要打包的文件/目录。"},
      {"closing without a run", {"--quit-when-done", h.In("a.bin")}, 2, "--quit-when-done needs --start"},
      {"an unknown option", {"--stat", h.In("a.bin")}, 2, "unknown option --stat"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    QFile::remove(h.Out("a.zip"));
    QProcess program;
    StartProgram(program, h.home, c.arguments);
    ASSERT_TRUE(program.waitForFinished(120000));
    const QString err = QString::fromUtf8(program.readAllStandardError());
    EXPECT_EQ(program.exitCode(), c.status) << err.toStdString();
    EXPECT_TRUE(err.contains(c.says)) << err.toStdString();
    EXPECT_EQ(QFileInfo::exists(h.Out("a.zip")), c.status < 2);
    if (c.status < 2) {
      EXPECT_EQ(RunTool("unzip", {"-Z1", h.Out("a.zip")}).out, "a.bin\n");
    }
  }

  // An output folder that cannot be made: the run does not start.
  TSettings settings = h.QuickSettings();
  settings.OutputFolder = h.home + "/a-file/out";
  h.Save(settings);
  QProcess refused;
  StartProgram(refused, h.home, {"--start", "--quit-when-done", h.In("a.bin")});
  ASSERT_TRUE(refused.waitForFinished(120000));
  EXPECT_EQ(refused.exitCode(), 2);
  EXPECT_TRUE(refused.readAllStandardError().contains("提示: 无效的输出目录。"));
}

// A second start waits for nothing of the window's: it ends as soon as the paths are handed over.
bool Finished(QProcess& process) {
  return WaitUntil([&] { return process.state() == QProcess::NotRunning; }, 60000);
}

TEST(MainWindowStart, ASecondStartHandsItsPathsToTheRunningWindow) {
  WindowHome h(true);
  h.Save(h.QuickSettings());
  TMessageRecorder recorder;
  Tfrmmain w(h.paths);
  w.show();
  WriteFile(h.In("kept.bin"), RandomBytes(9000));
  WriteFile(h.In("a.bin"), RandomBytes(9000));
  WriteFile(h.In("b.bin"), RandomBytes(9000));
  w.ListView1->AddPath(h.In("kept.bin"));

  // Without --start the paths join the list.
  QProcess second;
  StartProgram(second, h.home, {h.In("a.bin")});
  ASSERT_TRUE(Finished(second));
  EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardError().constData();
  ASSERT_TRUE(WaitUntil([&] { return w.ListView1->RowCount() == 2; }));
  EXPECT_EQ(w.ListView1->Row(1)->text(TBatchList::colPath), h.In("a.bin"));
  EXPECT_FALSE(w.isRunning());

  // With --start the window runs exactly the paths handed over; the rows it had keep their checks off.
  QProcess third;
  StartProgram(third, h.home, {"--start", h.In("b.bin")});
  ASSERT_TRUE(Finished(third));
  EXPECT_EQ(third.exitCode(), 0) << third.readAllStandardError().constData();
  ASSERT_TRUE(WaitUntil([&] { return w.ListView1->RowCount() == 3 && !w.isRunning(); }));
  ASSERT_TRUE(WaitUntil([&] { return w.ListView1->Row(2)->text(TBatchList::colState) == "打包完毕"; }));
  EXPECT_EQ(TreeListing(h.home + "/out"), QStringList({"b.zip"}));
  for (int row : {0, 1}) {
    EXPECT_EQ(w.ListView1->Row(row)->checkState(TBatchList::colType), Qt::Unchecked) << row;
    EXPECT_EQ(w.ListView1->Row(row)->text(TBatchList::colState), "") << row;
  }
  EXPECT_EQ(recorder.texts(), QStringList());

  // A start without paths is still refused.
  QProcess fourth;
  StartProgram(fourth, h.home, {});
  ASSERT_TRUE(Finished(fourth));
  EXPECT_EQ(fourth.exitCode(), 1);
  EXPECT_TRUE(fourth.readAllStandardError().contains("软件已经在运行，请勿重复运行。"));
}

// Paths handed over during a run wait for its end: the list cannot change while a run is active.
TEST(MainWindowStart, PathsHandedOverDuringARunJoinTheListWhenItEnds) {
  SlowPackerHome h;
  TMessageRecorder recorder;
  Tfrmmain w(h.paths);
  w.show();
  w.ListView1->AddPath(h.In("first"));
  Click(w.btnStart);
  ASSERT_TRUE(WaitUntil([&] { return h.PackerStarted(); }, 60000));

  QProcess second;
  StartProgram(second, h.home, {h.In("second")});
  ASSERT_TRUE(Finished(second));
  EXPECT_EQ(second.exitCode(), 0);
  EXPECT_EQ(w.ListView1->RowCount(), 1);
  EXPECT_EQ(recorder.texts(), QStringList()) << "nothing is refused: the paths wait";

  Click(w.btnStart);
  ASSERT_TRUE(WaitUntil([&] { return !w.isRunning() && w.ListView1->RowCount() == 2; }, 30000));
  EXPECT_EQ(w.ListView1->Row(1)->text(TBatchList::colPath), h.In("second"));
  EXPECT_EQ(w.ListView1->Row(1)->text(TBatchList::colState), "");
}

// A program folder that no window holds: nobody takes the paths, so the start goes on by itself.
TEST(MainWindowStart, AHandOverWithoutAWindowIsRefused) {
  WindowHome h(true);
  EXPECT_FALSE(TInstanceChannel::HandOver(h.paths.programFolder(), {{h.In("a.bin")}, true}, 2000));
}

}  // namespace
