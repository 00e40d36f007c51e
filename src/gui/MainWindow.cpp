#include "gui/MainWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "app/RunFolder.h"
#include "app/RunOverrides.h"
#include "app/StatusTexts.h"
#include "gui/About.h"
#include "gui/EngineInfoDialog.h"
#include "gui/FileList.h"
#include "gui/MessageBox.h"
#include "gui/PathPicker.h"
#include "gui/SettingDialog.h"
#include "gui/Theme.h"
#include "settings/DataFolder.h"
#include "update/UpdateFailureNote.h"
#include "update/UpdateLog.h"
#include "util/FileOps.h"
#include "util/SystemInfo.h"

namespace {

// Hints stay this long.
constexpr int kHintDuration = 10000;
// The client area at creation, which is also the smallest the window gets.
constexpr QSize kClientSize(861, 582);

}  // namespace

Tfrmmain::Tfrmmain(const TProgramPaths& paths, QWidget* parent)
    : QMainWindow(parent),
      paths_(paths),
      runner_(paths_, observer_),
      channel_(paths_.programFolder()),
      updateWindows_(paths_.programFolder()),
      startImages_{theme::StartIcon(), theme::StopIcon()} {
  setWindowTitle(tr("批量压缩工具"));
  // Qt shows hints only over the active window; with no window manager to make it active (a
  // virtual display, a kiosk session) the main window's never showed.
  setAttribute(Qt::WA_AlwaysShowToolTips);
  CreateControls();
  CreateMenus();
  resize(kClientSize.width(), kClientSize.height() + menuBar()->sizeHint().height());
  setMinimumSize(size());
  if (const QScreen* screen = this->screen()) move(screen->availableGeometry().center() - rect().center());

  // The seed must be in place before anything in the data folder is read.
  SeedDataFolder(paths_);
  ListView1->SetEngineFolder(paths_.engineFolder());
  LoadSettings();
  edtUnCompressPwd->setText(settings_.UnCompressPwd);
  ShowFirstUseTip(QStringLiteral("Run"),
                  tr("这是您首次使用本软件,"
                     "您可以使用工具菜单下面的设置选项，\n来实现丰富的个性化功能，例如修改输出路径。\n\n"
                     "如果您有任何疑问或建议，请点击关于菜单中的关于选项，来联系我们。"));
  // A clock set before the program's first release cannot date the check. An installed program
  // is updated by its package manager: the updater would have nothing of it to replace.
  if (!paths_.updatableInPlace())
    qCInfo(lcUpdate) << "update check off: this installation is updated by its package manager";
  else if (QDateTime::currentDateTime() > QDateTime(QDate(2015, 8, 4), QTime(0, 0, 0, 10)))
    StartUpdateCheck();
}

Tfrmmain::~Tfrmmain() {
  if (!runner_.isRunning()) return;
  // Only an ending session closes the window during a run. The worker may be waiting for a step
  // on this thread, so steps are dropped and events handled until it has ended.
  observer_.Detach();
  runner_.Stop();
  while (runner_.isRunning()) {
    QCoreApplication::processEvents();
    QThread::msleep(5);
  }
}

void Tfrmmain::CreateControls() {
  auto* central = new QWidget(this);
  setCentralWidget(central);

  btnStart = new QPushButton(central);
  btnStart->setIconSize(QSize(24, 24));
  btnStart->setToolTip(
      tr("点击开始/结束打包。\n\n如果原文件是压缩文件，软件会自动进行解压并处理后，然后重新打包。\n\n"
         "对于是非压缩文件或文件夹，软件会直接进行打包。"));
  SetStartButton(tr("开始打包"), 0);
  // Wide enough for every caption, so the row does not move when it changes.
  int captionWidth = 0;
  for (const QString& caption : {tr("开始打包"), tr("停止操作"), tr("正在停止")})
    captionWidth = qMax(captionWidth, btnStart->fontMetrics().horizontalAdvance(caption));
  btnStart->setMinimumSize(captionWidth + btnStart->iconSize().width() + 40, 40);
  connect(btnStart, &QPushButton::clicked, this, &Tfrmmain::btnStartClick);

  lblState = new TElidedLabel(tr("状态:准备就绪"), central);
  RzProgressBar1 = new QProgressBar(central);
  RzProgressBar1->setRange(0, 100);
  RzProgressBar1->setValue(0);
  RzProgressBar1->setFixedWidth(260);

  auto* separator = new QFrame(central);
  separator->setFrameShape(QFrame::HLine);
  separator->setFrameShadow(QFrame::Sunken);

  btnAddFolder = new QPushButton(theme::AddFolderIcon(), tr("添加目录"), central);
  btnAddFolder->setToolTip(
      tr("添加的文件夹将作为一个整体被压缩。\n\n注意:如果您设置了不复制文件夹到临时目录,"
         "则软件会根据配置对文件夹进行清理，\n"
         "这可能会导致删除、重命名一些文件，请注意备份。默认情况下,软件会先把文件夹\n"
         "复制到临时目录，再进行清理并打包。"));
  connect(btnAddFolder, &QPushButton::clicked, this, &Tfrmmain::btnAddFolderClick);
  btnAddFiles = new QPushButton(theme::AddFilesIcon(), tr("添加文件"), central);
  btnAddFiles->setToolTip(
      tr("如果添加的是一个压缩文件，将被解压后再重新压缩；\n如果添加的是一个非压缩文件，将直接被压缩。"));
  connect(btnAddFiles, &QPushButton::clicked, this, &Tfrmmain::btnAddFilesClick);
  btnClear = new QPushButton(theme::ClearIcon(), tr("清空列表"), central);
  btnClear->setToolTip(tr("清空当前列表。"));
  connect(btnClear, &QPushButton::clicked, this, &Tfrmmain::btnClearClick);

  Label8 = new QLabel(tr("原文件解压密码"), central);
  edtUnCompressPwd = new QLineEdit(central);
  edtUnCompressPwd->setFixedWidth(220);
  edtUnCompressPwd->setToolTip(
      tr("本解压密码用于是压缩文件的原文件的解压。\n\n对于RAR/Zip/"
         "7Z文件，如果需要密码，则使用该密码解压，如果不需要密码，则忽略该密码解压。\n"
         "对于其他文件，如果不需要密码，而输入了密码，则会提示解压失败。"));
  Label8->setBuddy(edtUnCompressPwd);

  for (QWidget* hinted : {static_cast<QWidget*>(btnStart), static_cast<QWidget*>(btnAddFolder),
                          static_cast<QWidget*>(btnAddFiles), static_cast<QWidget*>(btnClear),
                          static_cast<QWidget*>(edtUnCompressPwd)})
    hinted->setToolTipDuration(kHintDuration);

  ListView1 = new TBatchList(central);
  connect(ListView1, &TBatchList::PathsDropped, this, &Tfrmmain::ListView1DragDrop);
  connect(ListView1, &QTreeWidget::itemDoubleClicked, this, &Tfrmmain::N15Click);

  auto* runRow = new QHBoxLayout;
  runRow->addWidget(btnStart);
  runRow->addSpacing(8);
  runRow->addWidget(lblState, 1);
  runRow->addSpacing(8);
  runRow->addWidget(RzProgressBar1);
  auto* addRow = new QHBoxLayout;
  addRow->addWidget(btnAddFolder);
  addRow->addWidget(btnAddFiles);
  addRow->addWidget(btnClear);
  addRow->addStretch(1);
  addRow->addWidget(Label8);
  addRow->addWidget(edtUnCompressPwd);
  auto* page = new QVBoxLayout(central);
  page->setContentsMargins(8, 8, 8, 8);
  page->addLayout(runRow);
  page->addWidget(separator);
  page->addLayout(addRow);
  page->addWidget(ListView1, 1);
}

void Tfrmmain::CreateMenus() {
  PopupMenu1 = new QMenu(this);
  N1 = PopupMenu1->addAction(tr("全选"), this, [this] { ListView1->SetAllChecked(true); });
  N3 = PopupMenu1->addAction(tr("反选"), this, [this] { ListView1->InvertChecks(); });
  N2 = PopupMenu1->addAction(tr("全不选"), this, [this] { ListView1->SetAllChecked(false); });
  PopupMenu1->addSeparator();
  N5 = PopupMenu1->addAction(tr("删除选定"), this, &Tfrmmain::N5Click);
  N6 = PopupMenu1->addAction(tr("打开原文件所在目录"), this, &Tfrmmain::N6Click);
  N15 = PopupMenu1->addAction(tr("打开输出文件所在目录"), this, &Tfrmmain::N15Click);
  PopupMenu1->addSeparator();
  N18 = PopupMenu1->addAction(tr("查看压缩包内容"), this, &Tfrmmain::N18Click);
  N20 = PopupMenu1->addAction(tr("查看失败原因"), this, &Tfrmmain::N20Click);
  connect(ListView1, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) { PopupMenu1->popup(ListView1->viewport()->mapToGlobal(pos)); });

  N10 = menuBar()->addMenu(tr("工具"));
  N10->setToolTipsVisible(true);
  N11 = N10->addAction(tr("打开压缩包必备文件夹"), this, &Tfrmmain::N11Click);
  N11->setToolTip(tr("压缩包必备文件夹"));
  N10->addSeparator();
  N12 = N10->addAction(tr("设置"), this, &Tfrmmain::N12Click);

  N7 = menuBar()->addMenu(tr("关于"));
  N8 = N7->addAction(tr("支持解压格式"), this, &Tfrmmain::ExecEngineInfoDialog);
  N16 = N7->addAction(tr("访问官方网站"), this, [] { ShellOpen(about::HomePage); });
  N19 = N7->addAction(tr("打开首发地址"), this, [] { ShellOpen(about::FirstReleasePage); });
  N9 = N7->addAction(tr("关于"), this, [this] { TfrmAbout(this).exec(); });
}

void Tfrmmain::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (shown_) return;
  shown_ = true;
  FormShow();
}

void Tfrmmain::FormShow() {
  auto lock = std::make_unique<TInstanceLock>(paths_.programFolder());
  if (!lock->TryLock()) {
    // Before anything of the running window's is touched, its temp root above all.
    refused_ = true;
    msgbox::Info(this, tr("软件已经在运行，请勿重复运行。"));
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    return;
  }
  instanceLock_ = std::move(lock);
  // Leftovers of earlier runs that ended before their work folders were removed; a command-line
  // run going on beside the window keeps its own.
  RemoveEndedRuns(paths_.tempRoot());
  // The updater ends after this program did: why it could not install an update is said here.
  if (const QString failure = TakeUpdateFailure(paths_.programFolder()); !failure.isEmpty())
    msgbox::Warning(this, failure);
  connect(&channel_, &TInstanceChannel::PathsHanded, this, &Tfrmmain::PathsHanded);
  channel_.Listen();
  // Once the window is on the screen, as if the user pressed the button.
  if (startWhenShown_) QMetaObject::invokeMethod(this, &Tfrmmain::StartRun, Qt::QueuedConnection);
}

void Tfrmmain::AddPaths(const QStringList& paths) {
  for (const QString& path : paths) ListView1->AddPath(QFileInfo(path).absoluteFilePath());
}

void Tfrmmain::StartWhenShown(bool quitWhenDone) {
  startWhenShown_ = true;
  quitWhenDone_ = quitWhenDone;
}

void Tfrmmain::PathsHanded(const THandedPaths& handed) {
  handed_ << handed;
  // The user sees where the paths went.
  if (isMinimized()) showNormal();
  raise();
  activateWindow();
  ServeHandedPaths();
}

void Tfrmmain::ServeHandedPaths() {
  if (handed_.isEmpty() || runner_.isRunning()) return;  // AfterRun serves them
  // A dialog of this window is open (the settings above all): once it is closed.
  if (QApplication::activeModalWidget()) {
    QTimer::singleShot(250, this, &Tfrmmain::ServeHandedPaths);
    return;
  }
  const QList<THandedPaths> handed = std::exchange(handed_, {});
  const bool start = std::any_of(handed.cbegin(), handed.cend(), [](const THandedPaths& h) { return h.start; });
  // A run asked for with the paths works on them alone: the rows already listed keep their
  // results and lose their checks.
  if (start) ListView1->SetAllChecked(false);
  for (const THandedPaths& paths : handed) AddPaths(paths.paths);
  if (start) StartRun();
}

void Tfrmmain::closeEvent(QCloseEvent* event) {
  if (runner_.isRunning()) {
    msgbox::Info(this, tr("上个任务正在执行，请稍后再操作。"));
    event->ignore();
    return;
  }
  event->accept();
}

void Tfrmmain::LoadSettings() {
  settings_ = ::LoadSettings(paths_);
  setWindowTitle(about::ProductName + QStringLiteral(" V") + ProgramVersionText() +
                 tr("    ————专为下载站设计"));
  ListView1->SetInfoTip(settings_.InfoTip);
  ListView1->SetPluginFormats(settings_.PluginFormats);
}

void Tfrmmain::ShowFirstUseTip(const QString& key, const QString& text) {
  if (GetMachineValue(paths_, key) == QLatin1String("1")) return;
  msgbox::Info(this, text, tr("首次操作提示"));
  SetMachineValue(paths_, key, QStringLiteral("1"));
}

bool Tfrmmain::RefusedWhileRunning() {
  if (!runner_.isRunning()) return false;
  msgbox::Info(this, tr("任务正在执行，请稍后再操作。"));
  return true;
}

TSettings Tfrmmain::RunSettings() {
  TRunOverrides overrides;
  overrides.unpackPassword = edtUnCompressPwd->text();
  settings_ = ApplyRunOverrides(settings_, overrides);
  return settings_;
}

void Tfrmmain::btnStartClick() {
  if (runner_.isRunning()) return StopRun();
  StartRun();
}

void Tfrmmain::StartRun() {
  if (runner_.isRunning()) return;
  lastRunStatus_ = 2;
  // A run that cannot start ends the program that was only asked for it.
  auto quitUnlessStarted = qScopeGuard([this] {
    if (quitWhenDone_ && !runner_.isRunning()) QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
  });
  if (ListView1->RowCount() == 0) return msgbox::Info(this, TRunText::NoItems);
  ShowFirstUseTip(
      QStringLiteral("Pack"),
      tr("*.如果原文件是压缩文件(默认RAR、ZIP、7Z格式)，则系统会把原文件解压后，再删除其中的多余文件，"
         "接着添加压缩包必备文件后进行压缩。\n\n*.如果原文件是非压缩文件或文件夹，则会直接进行压缩。"));
  const TSettings settings = RunSettings();
  const TStartResult start = runner_.Start(settings, ListView1->Snapshot(), {.workers = settings.Jobs});
  if (!start.started) {
    if (!start.message.isEmpty()) msgbox::Info(this, start.message);
    return;
  }
  ++runsStarted_;
  // The worker's first step waits for this handler to return, so no row of the run has changed yet.
  ListView1->ClearCheckedResults();
  // The worker's first step waits for this handler to return, so the button changes first.
  SetStartButton(tr("停止操作"), 1);
}

void Tfrmmain::StopRun() {
  runner_.Stop();
  SetStartButton(tr("正在停止"), 1);
}

void Tfrmmain::ShowIdle() { SetStartButton(tr("开始打包"), 0); }

void Tfrmmain::RunEnded(const TRunSummary& summary) {
  lastRunStatus_ = summary.allPlausible ? 0 : 1;
  // After this step has returned, when the worker is on its way out.
  QMetaObject::invokeMethod(this, [this, run = runsStarted_] { AfterRun(run); }, Qt::QueuedConnection);
}

void Tfrmmain::AfterRun(int run) {
  // A later run has started meanwhile: its own end comes. Waiting for its worker here would wait
  // for a worker that waits for this thread.
  if (run != runsStarted_) return;
  if (runner_.isRunning()) {
    QTimer::singleShot(10, this, [this, run] { AfterRun(run); });
    return;
  }
  if (quitWhenDone_) {
    close();
    return;
  }
  ServeHandedPaths();
}

void Tfrmmain::SetStartButton(const QString& caption, int imageIndex) {
  btnStart->setText(caption);
  btnStart->setIcon(startImages_[imageIndex]);
  startImageIndex_ = imageIndex;
}

void Tfrmmain::btnAddFilesClick() {
  if (RefusedWhileRunning()) return;
  TPathPicker picker(this, tr("添加文件"), QFileDialog::ExistingFiles);
  for (const QString& path : picker.Choose()) ListView1->AddPath(path);
}

void Tfrmmain::btnAddFolderClick() {
  if (RefusedWhileRunning()) return;
  TPathPicker picker(this, tr("请选择要打包的文件夹,整个文件夹都会被当做整体被打包。"),
                     QFileDialog::Directory);
  const QStringList chosen = picker.Choose();
  if (!chosen.isEmpty()) ListView1->AddPath(chosen.first());
}

void Tfrmmain::btnClearClick() {
  if (RefusedWhileRunning()) return;
  ListView1->clear();
}

void Tfrmmain::ListView1DragDrop(const QStringList& paths) {
  if (RefusedWhileRunning()) return;
  for (const QString& path : paths) ListView1->AddPath(path);
}

void Tfrmmain::N5Click() {
  if (RefusedWhileRunning()) return;
  ListView1->RemoveChecked();
}

void Tfrmmain::N6Click() {
  const TBatchItem* row = ListView1->SelectedRow();
  if (!row) return;
  const QString source = row->text(TBatchList::colPath);
  if (QFileInfo::exists(source)) ShowInExplorer(source);
}

void Tfrmmain::N15Click() {
  const TBatchItem* row = ListView1->SelectedRow();
  if (row && QFileInfo(row->data.path).isFile()) ShowInExplorer(row->data.path);
}

void Tfrmmain::N18Click() {
  const TBatchItem* row = ListView1->SelectedRow();
  if (!row) return;
  if (row->data.state != isPlausible)
    return msgbox::Info(this, tr("暂时只支持显示已打包完成的压缩包内容，请先打包。"));
  const std::optional<QStringList> content = ListView1->OutputContent(*row);
  if (!content) return;
  TfrmFileList viewer(this);
  viewer.SetFileNames(*content);
  viewer.exec();
}

void Tfrmmain::N20Click() {
  const TBatchItem* row = ListView1->SelectedRow();
  if (!row) return;
  if (row->data.state != isFailed || row->causes.isEmpty())
    return msgbox::Info(this, tr("这一行没有记录失败原因。"));
  msgbox::Show(this, {row->causes.join('\n'), tr("失败原因"), QMessageBox::Warning});
}

void Tfrmmain::N11Click() {
  msgbox::Info(this,
               tr("打开后，将文件拖放到该文件夹下，那么在输出的每一个压缩包里\n都会包含该文件夹下的文件。"));
  QDir().mkpath(paths_.mustFilesFolder());
  OpenWithShell(paths_.mustFilesFolder());
}

void Tfrmmain::N12Click() {
  if (runner_.isRunning()) return msgbox::Info(this, tr("现在正在操作中，无法使用本功能。"));
  if (ExecSettingsDialog()) LoadSettings();
}

void Tfrmmain::CloseForUpdate() { close(); }

bool Tfrmmain::ExecSettingsDialog() {
  TfrmSetting dialog(paths_, this);
  return dialog.exec() == QDialog::Accepted;
}

void Tfrmmain::ExecEngineInfoDialog() {
  TfrmEngineInfo dialog(paths_, this);
  dialog.exec();
}

void Tfrmmain::StartUpdateCheck() {
  vxUpdate1 = std::make_unique<TvxUpdate>(updateWindows_);
  vxUpdate1->SoftId = QStringLiteral("Harrowmint");
  connect(vxUpdate1.get(), &TvxUpdate::OnApplicationClose, this, &Tfrmmain::CloseForUpdate);
  vxUpdate1->SetActive(true);
}
