// Runs started from the window's button over real archives, folders and files: row texts,
// states and colours as each item ends, the summary, the failure message; a stop that ends the
// packer; what is refused while a run is active; refused starts; a window closed by its session.
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QThread>
#include <QTreeWidget>
#include <QUrl>
#include <atomic>
#include <thread>

#include "WindowFixture.h"
#include "gui/Theme.h"
#include "util/FileOps.h"

using testsupport::MakeDir;
using testsupport::RandomBytes;
using testsupport::ReadFile;
using testsupport::RunTool;
using testsupport::TreeListing;
using testsupport::WriteFile;

namespace {

const QString kPackTip = QStringLiteral(
    "*.如果原文件是压缩文件(默认RAR、ZIP、7Z格式)"
    "，则系统会把原文件解压后，再删除其中的多余文件，接着添加压缩包必备文件后进行压缩。"
    "\n\n*.如果原文件是非压缩文件或文件夹，则会直接进行压缩。");
const QString kBusy = QStringLiteral("任务正在执行，请稍后再操作。");

struct Expected {
  QString source;
  QString type;
  QString output;  // output file name, "文件可能出错", or empty
  QString status;
  int state;
};

TEST(MainWindowRun, ArchivesFoldersAndFilesRepackedFromTheButton) {
  for (const char* tool : {"zip", "7z", "rar", "unzip"}) HM_REQUIRE_TOOL(tool);
  WindowHome h;
  // One item after another: each row's whole way, and the line and bar as each item starts.
  TSettings settings = h.QuickSettings();
  settings.Jobs = 1;
  h.Save(settings);
  const QString tree = h.home + "/tree";
  WriteFile(tree + "/data.bin", RandomBytes(20000));
  WriteFile(tree + "/notes.txt", "notes\r\n");
  ASSERT_EQ(RunTool("zip", {"-qr", h.In("game.zip"), "."}, tree).exitCode, 0);
  ASSERT_EQ(RunTool("7z", {"a", "-bd", h.In("pics.7z"), "."}, tree).exitCode, 0);
  ASSERT_EQ(RunTool("rar", {"a", "-idq", "-ep1", "-pright", h.In("locked.rar"), tree + "/*"}).exitCode, 0);
  ASSERT_EQ(RunTool("rar", {"a", "-idq", "-ep1", "-pother", h.In("other.rar"), tree + "/*"}).exitCode, 0);
  WriteFile(h.In("Folder/data.bin"), RandomBytes(12000));
  WriteFile(h.In("photo.bin"), RandomBytes(9000));
  WriteFile(h.In("tiny.txt"), "tiny");
  WriteFile(h.In("skipped.bin"), RandomBytes(9000));

  const Expected rows[] = {
      {"game.zip", "zip文件", "game.zip", "打包完毕", isPlausible},
      {"pics.7z", "7z文件", "pics.zip", "打包完毕", isPlausible},
      {"locked.rar", "rar文件", "locked.zip", "打包完毕", isPlausible},
      {"other.rar", "rar文件", "", "解压密码错误", isFailed},
      {"Folder", "文件夹", "Folder.zip", "打包完毕", isPlausible},
      {"photo.bin", "文件", "photo.zip", "打包完毕", isPlausible},
      {"tiny.txt", "文件", "文件可能出错", "打包完毕", isFailed},
      {"skipped.bin", "文件", "", "", isNotProcessed},
  };
  TMessageRecorder recorder;
  Tfrmmain w(h.paths);
  w.show();
  for (const Expected& row : rows) w.ListView1->AddPath(h.In(row.source));
  w.ListView1->Row(7)->setCheckState(TBatchList::colType, Qt::Unchecked);
  w.edtUnCompressPwd->setText("right");
  recorder.clear();

  // Every status the first row passes through, as the window shows it, and the status line and
  // progress as the sixth row starts.
  QStringList firstRowStates;
  QString sixthRowLine;
  int sixthRowProgress = -1;
  bool allOnWindowThread = true;
  QObject::connect(w.ListView1, &QTreeWidget::itemChanged, [&](QTreeWidgetItem* item, int column) {
    allOnWindowThread = allOnWindowThread && QThread::currentThread() == w.thread();
    if (column != TBatchList::colState) return;
    if (item == w.ListView1->Row(5) && item->text(column) == "正在处理中...") {
      sixthRowLine = w.lblState->text();
      sixthRowProgress = w.RzProgressBar1->value();
    }
    // Colouring the row changes it too, with the same text.
    if (item != w.ListView1->Row(0)) return;
    if (firstRowStates.value(firstRowStates.size() - 1) != item->text(column))
      firstRowStates << item->text(column);
  });
  Click(w.btnStart);
  EXPECT_EQ(w.btnStart->text(), "停止操作");
  EXPECT_EQ(w.btnStartImageIndex(), 1);
  ASSERT_TRUE(WaitUntil([&] { return !w.isRunning(); }));

  for (int i = 0; i < int(std::size(rows)); ++i) {
    const Expected& e = rows[i];
    const TBatchItem* row = w.ListView1->Row(i);
    SCOPED_TRACE(e.source.toStdString());
    EXPECT_EQ(row->text(TBatchList::colType), e.type);
    EXPECT_EQ(row->text(TBatchList::colOutputName), e.output);
    EXPECT_EQ(row->text(TBatchList::colState), e.status);
    EXPECT_EQ(row->data.state, e.state);
    const bool made = !e.output.isEmpty();
    const QString outputPath = h.Out(e.source == "tiny.txt" ? "tiny.zip" : e.output);
    EXPECT_EQ(row->text(TBatchList::colOutputSize), made ? FileSizeText(outputPath) : QString());
    if (made) {
      EXPECT_EQ(row->data.path, outputPath);
    }
    const QColor colour = e.state == isPlausible ? theme::PlausibleText() : theme::FailedText();
    if (e.state != isNotProcessed) {
      EXPECT_EQ(row->foreground(TBatchList::colPath).color(), colour);
    }
  }
  // Between its steps, the row tells how far the step under way has come, up to its end.
  QStringList steps;
  for (const QString& text : firstRowStates) {
    if (!text.contains(QRegularExpression(R"( \d+%$)")))
      steps << text;
    else
      EXPECT_TRUE(!steps.isEmpty() && text.startsWith(steps.last() + ' ')) << text.toStdString();
  }
  EXPECT_EQ(steps, QStringList({"正在处理中...", "正在解压中...", "正在压缩中...", "打包完毕"}));
  EXPECT_TRUE(firstRowStates.contains("正在解压中... 100%"));
  EXPECT_TRUE(firstRowStates.contains("正在压缩中... 100%"));
  EXPECT_EQ(sixthRowLine, "状态:正在打包【" + h.In("photo.bin") + "】...");
  EXPECT_EQ(sixthRowProgress, 5 * 100 / 8);
  EXPECT_TRUE(allOnWindowThread) << "rows changed from the worker thread";
  EXPECT_EQ(RunTool("unzip", {"-tq", h.Out("locked.zip")}).exitCode, 0);

  EXPECT_EQ(w.lblState->text(), "状态:打包完毕,共完成6个。");
  EXPECT_EQ(w.RzProgressBar1->value(), 100);
  EXPECT_EQ(w.btnStart->text(), "开始打包");
  EXPECT_EQ(w.btnStartImageIndex(), 0);
  ASSERT_EQ(recorder.texts(), QStringList({kPackTip, "2个打包失败，请注意核对。"}));
  EXPECT_EQ(recorder.messages()[0].title, "首次操作提示");
  EXPECT_EQ(recorder.messages()[1].title, "提示");
  EXPECT_EQ(recorder.messages()[1].icon, QMessageBox::Warning);
  EXPECT_EQ(w.settings().UnCompressPwd, "right");
  EXPECT_NE(ReadFile(h.paths.settingsFile()).indexOf("UnCompressPwd="), -1);
  EXPECT_EQ(LoadSettings(h.paths).UnCompressPwd, QString()) << "the box is never saved";

  // Everything unchecked: each item is announced, no row changes, no tip a second time.
  recorder.clear();
  w.N2->trigger();
  const QList<QStringList> before = RowTexts(*w.ListView1);
  Click(w.btnStart);
  ASSERT_TRUE(WaitUntil([&] { return !w.isRunning(); }));
  EXPECT_EQ(RowTexts(*w.ListView1), before);
  EXPECT_EQ(w.lblState->text(), "状态:打包完毕,共完成0个。");
  EXPECT_EQ(recorder.texts(), QStringList());
}

// A RAR set given as its three volumes: the rows name the set, the first makes the one output
// (blue), the others say they went with it and stay uncoloured; nothing counts as failed.
TEST(MainWindowRun, AVolumeSetIsOneItem) {
  for (const char* tool : {"rar", "unzip"}) HM_REQUIRE_TOOL(tool);
  WindowHome h(true);
  h.Save(h.QuickSettings());
  const QByteArray data = RandomBytes(150000);
  WriteFile(h.home + "/tree/a.bin", data.left(75000));
  WriteFile(h.home + "/tree/b.bin", data.mid(75000));
  ASSERT_EQ(RunTool("rar", {"a", "-v64k", "-idq", "-ep1", h.In("set.rar"), h.home + "/tree/*"}).exitCode, 0);
  TMessageRecorder recorder;
  Tfrmmain w(h.paths);
  w.show();
  for (const char* volume : {"set.part1.rar", "set.part2.rar", "set.part3.rar"})
    w.ListView1->AddPath(h.In(volume));

  Click(w.btnStart);
  ASSERT_TRUE(WaitUntil([&] { return !w.isRunning(); }));
  const QStringList types = {"rar分卷(3卷)", "rar分卷(3卷,第2卷)", "rar分卷(3卷,第3卷)"};
  for (int i = 0; i < 3; ++i) {
    const TBatchItem* row = w.ListView1->Row(i);
    SCOPED_TRACE(i);
    EXPECT_EQ(row->text(TBatchList::colType), types[i]);
    EXPECT_EQ(row->text(TBatchList::colOutputName), i == 0 ? "set.zip" : "");
    EXPECT_EQ(row->text(TBatchList::colState), i == 0 ? "打包完毕" : "分卷，随第一卷处理");
    EXPECT_EQ(row->data.state, i == 0 ? isPlausible : isNotProcessed);
  }
  EXPECT_EQ(w.ListView1->Row(0)->foreground(TBatchList::colPath).color(), theme::PlausibleText());
  EXPECT_EQ(w.lblState->text(), "状态:打包完毕,共完成1个。");
  EXPECT_EQ(recorder.texts(), QStringList());
  EXPECT_EQ(RunTool("unzip", {"-Z1", h.Out("set.zip")}).out, "a.bin\nb.bin\n");
}

// What a site receives in a day: sources with three different passwords from the data folder's
// password list, an AES ZIP and a password-protected RAR volume set given as all its volumes.
// Every output holds every file, byte for byte; the set's other volumes go with it.
TEST(MainWindowRun, MixedPasswordsAnAesZipAndAVolumeSet) {
  for (const char* tool : {"rar", "7z", "unzip"}) HM_REQUIRE_TOOL(tool);
  WindowHome h(true);
  h.Save(h.QuickSettings());
  const QByteArray small = RandomBytes(20000);
  const QByteArray large = RandomBytes(150000);
  WriteFile(h.home + "/tree/data.bin", small);
  WriteFile(h.home + "/tree/sub/notes.txt", "kept");
  WriteFile(h.home + "/big/large.bin", large);
  const auto made = [](const testsupport::ToolRun& run) { return run.exitCode == 0; };
  ASSERT_TRUE(
      made(RunTool("rar", {"a", "-r", "-ep1", "-idq", "-pfirst", h.In("a.rar"), h.home + "/tree/*"})));
  ASSERT_TRUE(made(
      RunTool("7z", {"a", "-bd", "-tzip", "-mem=AES256", "-psecond", h.In("b.zip"), "."}, h.home + "/tree")));
  ASSERT_TRUE(made(RunTool("7z", {"a", "-bd", "-pthird", h.In("c.7z"), "."}, h.home + "/tree")));
  ASSERT_TRUE(
      made(RunTool("rar", {"a", "-v64k", "-idq", "-ep1", "-pthird", h.In("set.rar"), h.home + "/big/*"})));
  WriteFile(h.paths.dataFolder() + "Passwords.dat", "first\r\nsecond\r\nthird\r\n");
  TMessageRecorder recorder;
  Tfrmmain w(h.paths);
  w.show();
  for (const char* source : {"a.rar", "b.zip", "c.7z", "set.part1.rar", "set.part2.rar", "set.part3.rar"})
    w.ListView1->AddPath(h.In(source));

  Click(w.btnStart);
  ASSERT_TRUE(WaitUntil([&] { return !w.isRunning(); }));
  const QStringList states = {"打包完毕", "打包完毕",           "打包完毕",
                              "打包完毕", "分卷，随第一卷处理", "分卷，随第一卷处理"};
  for (int i = 0; i < states.size(); ++i)
    EXPECT_EQ(w.ListView1->Row(i)->text(TBatchList::colState), states[i]) << i;
  EXPECT_EQ(w.lblState->text(), "状态:打包完毕,共完成4个。");
  EXPECT_EQ(recorder.texts(), QStringList());
  for (const char* output : {"a.zip", "b.zip", "c.zip"}) {
    SCOPED_TRACE(output);
    EXPECT_EQ(RunTool("unzip", {"-p", h.Out(output), "data.bin"}).out, small);
    EXPECT_EQ(RunTool("unzip", {"-p", h.Out(output), "sub/notes.txt"}).out, "kept");
  }
  EXPECT_EQ(RunTool("unzip", {"-p", h.Out("set.zip"), "large.bin"}).out, large);
}

TEST(MainWindowRun, WhileRunningListChangesAreRefusedAndStopEndsThePacker) {
  SlowPackerHome h;
  TMessageRecorder recorder;
  WindowWithSettingsDialog w(h.paths);
  w.show();
  w.ListView1->AddPath(h.In("first"));
  w.ListView1->AddPath(h.In("second"));
  Click(w.btnStart);
  ASSERT_TRUE(WaitUntil([&] { return h.PackerStarted(); }, 60000));

  // The window goes on handling its events while the packer works.
  int ticks = 0;
  QTimer ticker;
  QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
  ticker.start(10);
  EXPECT_TRUE(WaitUntil([&] { return ticks >= 5; }, 30000));
  ASSERT_TRUE(w.isRunning());

  const QList<QStringList> rows = RowTexts(*w.ListView1);
  Click(w.btnAddFiles);
  Click(w.btnAddFolder);
  Click(w.btnClear);
  w.N5->trigger();
  Drop(w.ListView1->viewport(), {QUrl::fromLocalFile(h.In("first/a.bin"))});
  EXPECT_EQ(recorder.texts(), QStringList({kBusy, kBusy, kBusy, kBusy, kBusy}));
  EXPECT_EQ(RowTexts(*w.ListView1), rows);
  // Check boxes stay free: the run works on its snapshot.
  w.N2->trigger();
  EXPECT_EQ(w.ListView1->Row(0)->checkState(TBatchList::colType), Qt::Unchecked);
  w.N1->trigger();
  EXPECT_EQ(w.ListView1->Row(0)->checkState(TBatchList::colType), Qt::Checked);

  recorder.clear();
  EXPECT_FALSE(w.close());
  EXPECT_TRUE(w.isVisible());
  w.N12->trigger();
  EXPECT_EQ(w.opened, 0);
  EXPECT_EQ(recorder.texts(),
            QStringList({"上个任务正在执行，请稍后再操作。", "现在正在操作中，无法使用本功能。"}));

  recorder.clear();
  Click(w.btnStart);
  EXPECT_EQ(w.btnStart->text(), "正在停止");
  EXPECT_EQ(w.btnStartImageIndex(), 1);
  ASSERT_TRUE(WaitUntil([&] { return !w.isRunning(); }, 30000)) << "the packer was not ended";

  EXPECT_EQ(w.ListView1->Row(0)->text(TBatchList::colState), "已停止");
  EXPECT_EQ(w.ListView1->Row(0)->text(TBatchList::colOutputName), "");
  EXPECT_EQ(w.ListView1->Row(0)->foreground(TBatchList::colPath).color(), theme::FailedText());
  EXPECT_EQ(RowTexts(*w.ListView1)[1], rows[1]) << "items after the stop are not touched";
  EXPECT_LT(w.RzProgressBar1->value(), 100);
  EXPECT_EQ(w.lblState->text(), "状态:打包完毕,共完成0个。");
  EXPECT_EQ(w.btnStart->text(), "开始打包");
  EXPECT_EQ(recorder.texts(), QStringList({"1个打包失败，请注意核对。"}));
  EXPECT_EQ(TreeListing(h.home + "/tmp"), QStringList());
  EXPECT_EQ(TreeListing(h.home + "/in"), QStringList({"first/", "first/a.bin", "second/", "second/b.bin"}));

  // Idle again: the menu and closing work.
  w.N12->trigger();
  EXPECT_EQ(w.opened, 1);
  EXPECT_TRUE(w.close());
}

// The RAR packer of the build behind a stand-in that first tells 42%, as the packer does on its
// console, and goes on only when the test says so.
struct HeldPackerHome : WindowHome {
  QString go = home + "/go";

  HeldPackerHome() : WindowHome(true) {
    QFile::remove(home + "/Engine");
    MakeDir(home + "/Engine");
    for (const char* engine : {"libunrar.so", "7z.so"})
      QFile::link(testsupport::EngineDir() + "/" + engine, home + "/Engine/" + engine);
    const QString realRar = QFileInfo(testsupport::EngineDir() + "/rar").canonicalFilePath();
    WriteFile(home + "/Engine/rar", ("#!/bin/sh\nprintf 'Adding    a.bin   \\b\\b\\b\\b 42%%'\n"
                                     "while [ ! -e '" +
                                     go + "' ]; do sleep 0.02; done\nexec '" + realRar + "' \"$@\"\n")
                                        .toUtf8());
    QFile::setPermissions(home + "/Engine/rar", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    TSettings settings = QuickSettings();
    settings.CompressExt = ofRAR;
    Save(settings);
    WriteFile(In("first/a.bin"), RandomBytes(60000));
  }
};

TEST(MainWindowRun, TheRowShowsThePercentWhilePackingAndTheFinalTextAfter) {
  HM_REQUIRE_TOOL("rar");
  ASSERT_TRUE(QFileInfo::exists(testsupport::EngineDir() + "/rar")) << "run scripts/setup";
  HeldPackerHome h;
  TMessageRecorder recorder;
  Tfrmmain w(h.paths);
  w.show();
  w.ListView1->AddPath(h.In("first"));
  Click(w.btnStart);
  const auto state = [&] { return w.ListView1->Row(0)->text(TBatchList::colState); };
  EXPECT_TRUE(WaitUntil([&] { return state() == QStringLiteral("正在压缩中... 42%"); }, 60000))
      << state().toStdString();
  EXPECT_TRUE(w.isRunning());

  WriteFile(h.go, "");
  ASSERT_TRUE(WaitUntil([&] { return !w.isRunning(); }, 60000));
  EXPECT_EQ(state(), "打包完毕");
  EXPECT_EQ(w.ListView1->Row(0)->text(TBatchList::colOutputName), "first.rar");
  EXPECT_EQ(w.lblState->text(), "状态:打包完毕,共完成1个。");
  EXPECT_EQ(recorder.texts(), QStringList());
  EXPECT_EQ(RunTool("rar", {"lb", h.Out("first.rar")}).out, "a.bin\n");
}

// A new run clears what the last one left in the rows it works on before it reaches them, so no
// row reads as done or failed while it waits; a row left unchecked keeps its result. The bar counts
// the item under way by its own fraction.
TEST(MainWindowRun, ANewRunClearsItsRowsBeforeReachingThem) {
  HM_REQUIRE_TOOL("rar");
  HeldPackerHome h;
  TSettings settings = LoadSettings(h.paths);
  settings.Jobs = 1;
  h.Save(settings);
  WriteFile(h.In("damaged.zip"), "PK\x03\x04" + RandomBytes(2000));
  WriteFile(h.go, "");
  TMessageRecorder recorder;
  Tfrmmain w(h.paths);
  w.show();
  for (const char* source : {"first", "damaged.zip", "first"}) w.ListView1->AddPath(h.In(source));
  Click(w.btnStart);
  ASSERT_TRUE(WaitUntil([&] { return !w.isRunning(); }, 60000));
  const QList<QStringList> firstRun = RowTexts(*w.ListView1);
  ASSERT_EQ(firstRun[1][TBatchList::colState], "无法解压");
  ASSERT_EQ(firstRun[2][TBatchList::colOutputName], "first_1.rar");

  QFile::remove(h.go);
  w.ListView1->Row(2)->setCheckState(TBatchList::colType, Qt::Unchecked);
  Click(w.btnStart);
  const TBatchItem* waiting = w.ListView1->Row(1);
  EXPECT_EQ(waiting->text(TBatchList::colOutputName), "");
  EXPECT_EQ(waiting->text(TBatchList::colOutputSize), "");
  EXPECT_EQ(waiting->text(TBatchList::colState), "");
  EXPECT_EQ(waiting->foreground(TBatchList::colPath), QBrush()) << "drawn in the normal colour";
  EXPECT_EQ(waiting->data.state, isNotProcessed);
  EXPECT_EQ(RowTexts(*w.ListView1)[2], firstRun[2]) << "an unchecked row keeps its result";
  EXPECT_EQ(w.ListView1->Row(2)->foreground(TBatchList::colPath).color(), theme::PlausibleText());

  const auto state = [&] { return w.ListView1->Row(0)->text(TBatchList::colState); };
  ASSERT_TRUE(WaitUntil([&] { return state() == QStringLiteral("正在压缩中... 42%"); }, 60000))
      << state().toStdString();
  EXPECT_EQ(w.ListView1->Row(0)->text(TBatchList::colOutputName), "");
  EXPECT_EQ(w.lblState->text(), "状态:正在打包【" + h.In("first") + "】...");
  // Of three items none has finished; the first has packed 42%, the second half of its way.
  EXPECT_EQ(w.RzProgressBar1->value(), (500 + 42 * 5) * 100 / 3000);
  EXPECT_EQ(RowTexts(*w.ListView1)[1], firstRun[1].mid(0, TBatchList::colOutputName) + QStringList({"", "", ""}));

  WriteFile(h.go, "");
  ASSERT_TRUE(WaitUntil([&] { return !w.isRunning(); }, 60000));
  EXPECT_EQ(w.ListView1->Row(0)->text(TBatchList::colOutputName), "first_2.rar");
  EXPECT_EQ(w.ListView1->Row(1)->text(TBatchList::colState), "无法解压");
  EXPECT_EQ(w.ListView1->Row(1)->foreground(TBatchList::colPath).color(), theme::FailedText());
}

// An engine's thread is never held up by a busy window: the reports return at once, and the
// window, once it gets to them, shows the latest.
TEST_F(ShownWindow, ProgressNeverWaitsForTheWindowAndShowsTheLatest) {
  WriteFile(h.In("a.bin"), "a");
  w.ListView1->AddPath(h.In("a.bin"));
  const QString before = w.ListView1->Row(0)->text(TBatchList::colState);
  TMainWindowObserver observer(w);
  std::atomic<bool> returned = false;
  std::thread engine([&] {
    for (quint64 done = 1; done <= 500; ++done)
      observer.ShowItemProgress(0, {TProgress::TPhase::Packing, done, 500});
    returned = true;
  });
  // The window thread handles no event meanwhile.
  for (int i = 0; i < 1000 && !returned; ++i) QThread::msleep(10);
  EXPECT_TRUE(returned) << "the reports waited for the window";
  EXPECT_EQ(w.ListView1->Row(0)->text(TBatchList::colState), before);
  QStringList shown;
  QObject::connect(w.ListView1, &QTreeWidget::itemChanged, [&](QTreeWidgetItem* item, int column) {
    if (column == TBatchList::colState) shown << item->text(column);
  });
  while (!returned) QCoreApplication::processEvents();
  engine.join();
  QCoreApplication::processEvents();
  EXPECT_EQ(shown, QStringList({"正在压缩中... 100%"}));
}

TEST(MainWindowRun, RefusedStartsChangeNothing) {
  WindowHome h;
  TSettings settings = h.QuickSettings();
  WriteFile(h.home + "/a-file", "not a folder");
  settings.OutputFolder = h.home + "/a-file/out";
  h.Save(settings);
  SetMachineValue(h.paths, "Run", "1");
  TMessageRecorder recorder;
  Tfrmmain w(h.paths);
  w.show();

  Click(w.btnStart);
  EXPECT_EQ(recorder.texts(), QStringList({"请先添加需要打包的文件/目录。"}));
  EXPECT_EQ(GetMachineValue(h.paths, "Pack"), "") << "the first-run tip waits for a list";

  recorder.clear();
  w.ListView1->AddPath(h.In("x"));
  Click(w.btnStart);
  EXPECT_EQ(recorder.texts(), QStringList({kPackTip, "无效的输出目录。"}));
  EXPECT_FALSE(w.isRunning());
  EXPECT_EQ(w.btnStart->text(), "开始打包");
  EXPECT_EQ(w.lblState->text(), "状态:准备就绪");
  EXPECT_EQ(w.ListView1->Row(0)->text(TBatchList::colState), "");
}

TEST(MainWindowRun, AWindowDestroyedDuringARunStopsItFirst) {
  SlowPackerHome h;
  TMessageRecorder recorder;
  auto w = std::make_unique<Tfrmmain>(h.paths);
  w->show();
  w->ListView1->AddPath(h.In("first"));
  Click(w->btnStart);
  ASSERT_TRUE(WaitUntil([&] { return h.PackerStarted(); }, 60000));
  w.reset();
  EXPECT_EQ(TreeListing(h.home + "/tmp"), QStringList());
  EXPECT_EQ(recorder.texts(), QStringList()) << "nothing shown by a window that is gone";
}

}  // namespace
