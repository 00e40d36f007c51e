// The main window around a run: creation (seeding, settings, caption, first-start tip once per
// computer), what it shows, one window per program folder, the temp root, and the menus.
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QUrl>

#include "WindowFixture.h"
#include "gui/About.h"
#include "support/FakeDesktop.h"
#include "update/UpdateFailureNote.h"
#include "update/UpdateTexts.h"
#include "util/SystemInfo.h"

using testsupport::MakeDir;
using testsupport::TreeListing;
using testsupport::WriteFile;

namespace {

const QString kFirstStartTip = QStringLiteral(
    "这是您首次使用本软件,您可以使用工具菜单下面的设置选项，\n来实现丰富的个性化功能，例如修改输出路径。\n\n"
    "如果您有任何疑问或建议，请点击关于菜单中的关于选项，来联系我们。");
const QString kAlreadyRunning = QStringLiteral("软件已经在运行，请勿重复运行。");

// A menu's item texts in order; a separator is "-".
QStringList MenuTexts(const QMenu* menu) {
  QStringList texts;
  for (const QAction* action : menu->actions())
    texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
  return texts;
}

// The program itself over the folder, its message boxes answered on standard error.
void StartUnattended(QProcess& process, const QString& home) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.insert("HARROWMINT_MESSAGES", "stderr");
  process.setProcessEnvironment(env);
  process.start(testsupport::BinDir() + "/harrowmint", {"--home", home});
}

TEST(MainWindow, CreationSeedsTheDataFolderReadsTheSettingsAndTipsOncePerComputer) {
  WindowHome h;
  TSettings seeded = h.QuickSettings();
  seeded.UnCompressPwd = "种子 pass";
  seeded.InfoTip = false;
  ASSERT_TRUE(SaveSettings(TProgramPaths(h.home + "/SysDb"), seeded));
  WriteFile(h.home + "/SysDb/Data/delete.dat", "*.url\r\n");

  TMessageRecorder recorder;
  {
    const Tfrmmain window(h.paths);
    EXPECT_TRUE(QFileInfo::exists(h.paths.dataFolder() + "delete.dat"));
    EXPECT_EQ(window.settings().OutputFolder, seeded.OutputFolder);
    EXPECT_FALSE(window.settings().InfoTip);
    EXPECT_EQ(window.edtUnCompressPwd->text(), "种子 pass");
    EXPECT_EQ(window.windowTitle(), "Harrowmint V" + ProgramVersionText() + "    ————专为下载站设计");
  }
  ASSERT_EQ(recorder.messages().size(), 1);
  EXPECT_EQ(recorder.messages()[0].text, kFirstStartTip);
  EXPECT_EQ(recorder.messages()[0].title, "首次操作提示");
  EXPECT_EQ(recorder.messages()[0].icon, QMessageBox::Information);
  EXPECT_EQ(GetMachineValue(h.paths, "Run"), "1");

  recorder.clear();
  const Tfrmmain again(h.paths);
  EXPECT_EQ(recorder.texts(), QStringList());

  // Neither data folder nor seed: every default, the output folder beside the program.
  WindowHome bare;
  const Tfrmmain fresh(bare.paths);
  EXPECT_EQ(fresh.settings().OutputFolder, bare.paths.programFolder() + "OutputPath");
  EXPECT_TRUE(fresh.settings().InfoTip);
  EXPECT_EQ(recorder.texts(), QStringList({kFirstStartTip}));
}

TEST(MainWindow, InstalledLayoutSeedsTheUsersFolderAndLeavesUpdatesToThePackageManager) {
  testsupport::TempDir dir;
  WriteFile(dir.file("share/SysDb/Data/delete.dat"), "*.url\r\n");
  const TProgramPaths installed =
      TProgramPaths::Installed(dir.file("share"), testsupport::EngineDir(), dir.file("user/harrowmint"));
  TMessageRecorder recorder;
  const Tfrmmain window(installed);
  EXPECT_EQ(TreeListing(dir.file("user/harrowmint/Data")), QStringList({"Setting.ini", "delete.dat"}));
  EXPECT_EQ(window.settings().OutputFolder, dir.file("user/harrowmint/OutputPath"));
  EXPECT_FALSE(window.updateCheckOn());
  EXPECT_EQ(TreeListing(dir.file("share")), QStringList({"SysDb/", "SysDb/Data/", "SysDb/Data/delete.dat"}));

  WindowHome portable(true);
  EXPECT_TRUE(Tfrmmain(portable.paths).updateCheckOn());
}

class MainWindowShown : public ShownWindow {};

TEST_F(MainWindowShown, CaptionsHintsAndMenus) {
  EXPECT_EQ(w.centralWidget()->size(), QSize(861, 582));
  EXPECT_EQ(w.minimumSize(), w.size());
  EXPECT_EQ(w.btnStart->text(), "开始打包");
  EXPECT_EQ(w.btnStartImageIndex(), 0);
  EXPECT_EQ(w.lblState->text(), "状态:准备就绪");
  EXPECT_EQ(w.RzProgressBar1->value(), 0);
  EXPECT_EQ(w.RzProgressBar1->maximum(), 100);
  EXPECT_EQ(w.btnAddFolder->text(), "添加目录");
  EXPECT_EQ(w.btnAddFiles->text(), "添加文件");
  EXPECT_EQ(w.btnClear->text(), "清空列表");
  EXPECT_EQ(w.Label8->text(), "原文件解压密码");

  const std::pair<QWidget*, QString> hints[] = {
      {w.btnStart,
       "点击开始/结束打包。\n\n如果原文件是压缩文件，软件会自动进行解压并处理后，然后重新打包。\n\n"
       "对于是非压缩文件或文件夹，软件会直接进行打包。"},
      {w.edtUnCompressPwd,
       "本解压密码用于是压缩文件的原文件的解压。\n\n对于RAR/Zip/"
       "7Z文件，如果需要密码，则使用该密码解压，如果不需要密码，"
       "则忽略该密码解压。\n对于其他文件，如果不需要密码，而输入了密码，则会提示解压失败。"},
      {w.btnAddFiles,
       "如果添加的是一个压缩文件，将被解压后再重新压缩；\n如果添加的是一个非压缩文件，将直接被压缩。"},
      {w.btnAddFolder,
       "添加的文件夹将作为一个整体被压缩。\n\n注意:如果您设置了不复制文件夹到临时目录,"
       "则软件会根据配置对文件夹进行清理，\n"
       "这可能会导致删除、重命名一些文件，请注意备份。默认情况下,"
       "软件会先把文件夹\n复制到临时目录，再进行清理并打包。"},
      {w.btnClear, "清空当前列表。"},
      {w.ListView1,
       "支持直接拖放文件、文件夹到列表中，即可快速添加.\n\n双击列表即可打开处理完成后的文件所在文件夹。"},
  };
  for (const auto& [widget, hint] : hints) {
    EXPECT_EQ(widget->toolTip(), hint);
    EXPECT_EQ(widget->toolTipDuration(), 10000) << hint.toStdString();
  }

  QStringList menus;
  for (const QAction* action : w.menuBar()->actions()) menus << action->text();
  EXPECT_EQ(menus, QStringList({"工具", "关于"}));
  EXPECT_EQ(MenuTexts(w.N10), QStringList({"打开压缩包必备文件夹", "-", "设置"}));
  EXPECT_EQ(w.N11->toolTip(), "压缩包必备文件夹");
  EXPECT_EQ(MenuTexts(w.N7), QStringList({"支持解压格式", "访问官方网站", "打开首发地址", "关于"}));
  EXPECT_EQ(MenuTexts(w.PopupMenu1),
            QStringList({"全选", "反选", "全不选", "-", "删除选定", "打开原文件所在目录",
                         "打开输出文件所在目录", "-", "查看压缩包内容", "查看失败原因"}));

  QStringList columns;
  QList<int> widths;
  for (int c = 0; c < w.ListView1->columnCount(); ++c) {
    columns << w.ListView1->headerItem()->text(c);
    widths << w.ListView1->columnWidth(c);
  }
  EXPECT_EQ(columns, QStringList({"类型", "原文件路径", "文件大小", "输出文件名", "输出大小", "处理状态"}));
  // The status column fills what the others leave, never less than its design width.
  EXPECT_EQ(widths.mid(0, 5), QList<int>({125, 330, 70, 120, 70}));
  EXPECT_GE(widths.last(), 90);
  EXPECT_EQ(recorder.texts(), QStringList());
}

TEST(MainWindow, OneWindowPerProgramFolderAndTheTempRootClearedAtFirstShowing) {
  WindowHome h(true);
  WriteFile(h.home + "/tmp/20150101000000123/left.bin", "left over by an aborted run");
  TMessageRecorder recorder;
  auto first = std::make_unique<Tfrmmain>(h.paths);
  EXPECT_TRUE(QFileInfo::exists(h.home + "/tmp")) << "removed at the first showing, not at creation";
  first->show();
  EXPECT_FALSE(QFileInfo::exists(h.home + "/tmp"));
  EXPECT_FALSE(first->refusedAsSecondInstance());

  // A work folder of the running window: a second window of the same folder leaves it alone.
  WriteFile(h.home + "/tmp/20250101000000456/work.bin", "in use");
  Tfrmmain second(h.paths);
  second.show();
  EXPECT_TRUE(second.refusedAsSecondInstance());
  EXPECT_EQ(recorder.texts(), QStringList({kAlreadyRunning}));
  EXPECT_TRUE(WaitUntil([&] { return !second.isVisible(); }));
  EXPECT_EQ(TreeListing(h.home + "/tmp"), QStringList({"20250101000000456/", "20250101000000456/work.bin"}));

  // The program started again from the same folder says so and ends.
  QProcess process;
  StartUnattended(process, h.home);
  ASSERT_TRUE(process.waitForFinished(60000));
  EXPECT_EQ(process.exitCode(), 1);
  EXPECT_TRUE(QString::fromUtf8(process.readAllStandardError()).contains("提示: " + kAlreadyRunning));
  EXPECT_TRUE(QFileInfo::exists(h.home + "/tmp/20250101000000456/work.bin"));

  // Another program folder is not blocked.
  WindowHome other(true);
  WriteFile(other.home + "/tmp/x/y.bin", "left over");
  Tfrmmain third(other.paths);
  third.show();
  EXPECT_FALSE(third.refusedAsSecondInstance());
  EXPECT_FALSE(QFileInfo::exists(other.home + "/tmp"));

  // Once the first window is gone, its folder is free again.
  first.reset();
  recorder.clear();
  Tfrmmain next(h.paths);
  next.show();
  EXPECT_FALSE(next.refusedAsSecondInstance());
  EXPECT_EQ(recorder.texts(), QStringList());
}

TEST(MainWindow, ALockLeftByAKilledProgramDoesNotBlock) {
  WindowHome h(true);
  QProcess process;
  StartUnattended(process, h.home);
  const QString lockFile = TInstanceLock::LockFileName(h.paths.programFolder());
  ASSERT_TRUE(WaitUntil([&] { return QFileInfo::exists(lockFile); }, 60000));
  process.kill();
  ASSERT_TRUE(process.waitForFinished(10000));
  EXPECT_TRUE(QFileInfo::exists(lockFile)) << "a killed program leaves its lock file";

  TMessageRecorder recorder;
  Tfrmmain window(h.paths);
  window.show();
  EXPECT_FALSE(window.refusedAsSecondInstance());
  EXPECT_EQ(recorder.texts(), QStringList());
}

// The updater ends after the window program did: why it could not install an update is said at the
// window's next start, once, and not by a second window that is refused.
TEST(MainWindow, SaysOnceWhyTheUpdaterCouldNotInstall) {
  WindowHome h(true);
  ASSERT_TRUE(NoteUpdateFailure(h.paths.programFolder(), TUpdateText::PackageRefused));
  TMessageRecorder recorder;
  for (int start = 0; start < 2; ++start) {
    Tfrmmain w(h.paths);
    w.show();
    Tfrmmain second(h.paths);
    second.show();
  }
  EXPECT_EQ(recorder.texts(),
            QStringList({"升级失败：" + TUpdateText::PackageRefused, kAlreadyRunning, kAlreadyRunning}));
}

TEST(MainWindow, SettingsAreReadAgainAfterOkOnly) {
  WindowHome h(true);
  TSettings before = h.QuickSettings();
  before.UnCompressPwd = "first";
  h.Save(before);
  TMessageRecorder recorder;
  WindowWithSettingsDialog w(h.paths);
  w.edtUnCompressPwd->setText("typed");

  TSettings after = before;
  after.CompressExt = of7z;
  after.InfoTip = false;
  after.UnCompressPwd = "second";
  w.dialog = [&] {
    h.Save(after);
    return false;  // cancelled
  };
  w.N12->trigger();
  EXPECT_EQ(w.settings().CompressExt, ofZIP);

  w.dialog = [] { return true; };
  w.N12->trigger();
  EXPECT_EQ(w.opened, 2);
  EXPECT_EQ(w.settings().CompressExt, of7z);
  EXPECT_FALSE(w.settings().InfoTip);
  EXPECT_EQ(w.settings().UnCompressPwd, "second");
  EXPECT_EQ(w.edtUnCompressPwd->text(), "typed") << "the box is filled at creation only";
  EXPECT_EQ(recorder.texts(), QStringList());
}

TEST_F(MainWindowShown, MustFilesFolderWebPagesAndAbout) {
  testsupport::FakeDesktop desktop;
  desktop.Tool("xdg-open", 0);

  w.N11->trigger();
  EXPECT_EQ(recorder.texts(),
            QStringList(
                {"打开后，将文件拖放到该文件夹下，那么在输出的每一个压缩包里\n都会包含该文件夹下的文件。"}));
  EXPECT_TRUE(QFileInfo(h.paths.mustFilesFolder()).isDir());
  const QByteArray mustFiles = QFile::encodeName(h.paths.mustFilesFolder());
  ASSERT_EQ(desktop.Calls(1).value(0), "[" + mustFiles + "] " + mustFiles.chopped(1));

  desktop.ClearCalls();
  w.N16->trigger();
  EXPECT_EQ(desktop.Calls(1).value(0).split(' ').value(0), "[" + about::HomePage.toUtf8() + "]");
  desktop.ClearCalls();
  w.N19->trigger();
  EXPECT_EQ(desktop.Calls(1).value(0).split(' ').value(0), "[" + about::FirstReleasePage.toUtf8() + "]");
  EXPECT_TRUE(QUrl(about::HomePage).host().endsWith("example.com"));

  QString version;
  OnNextModal<TfrmAbout>([&](TfrmAbout* about) {
    version = about->lblVersion->text();
    Click(about->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok));
  });
  w.N9->trigger();
  EXPECT_TRUE(version.contains(ProgramVersionText())) << version.toStdString();
}

}  // namespace
