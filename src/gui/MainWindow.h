#pragma once
// The main window (`Tfrmmain`): the batch list, the start/stop button with the run's status and
// progress, the decompression password of the next run, and the menus. It holds the settings
// and runs batches through the core's runner, whose steps it shows; it decides nothing the core
// decides. One window runs per program folder.
#include <QIcon>
#include <QMainWindow>
#include <memory>

#include "app/JobRunner.h"
#include "gui/BatchList.h"
#include "gui/ElidedLabel.h"
#include "gui/InstanceChannel.h"
#include "gui/InstanceLock.h"
#include "gui/MainWindowObserver.h"
#include "gui/UpdateWindows.h"
#include "settings/Settings.h"
#include "update/vxUpdate.h"
#include "util/ProgramPaths.h"

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;

class Tfrmmain : public QMainWindow {
  Q_OBJECT

 public:
  // Seeds the data folder, loads the settings and shows the first-start tip once per computer.
  explicit Tfrmmain(const TProgramPaths& paths, QWidget* parent = nullptr);
  // A run still going is stopped and waited for.
  ~Tfrmmain() override;

  const TProgramPaths& paths() const { return paths_; }
  const TSettings& settings() const { return settings_; }
  bool isRunning() const { return runner_.isRunning(); }
  // Another window of the same program folder held the lock at the first showing; this one
  // said so and closed.
  bool refusedAsSecondInstance() const { return refused_; }
  // A forced update was handed over while the window was created: the program ends without
  // showing it.
  bool updateHandedOver() const { return vxUpdate1 && vxUpdate1->ApplicationCloseRequested(); }
  // The update check was switched on at creation: never in the installed layout.
  bool updateCheckOn() const { return vxUpdate1 != nullptr; }
  // 0 while idle, 1 while running or stopping.
  int btnStartImageIndex() const { return startImageIndex_; }

  // Puts the paths in the list (absolute), as dropping them would.
  void AddPaths(const QStringList& paths);
  // Presses 开始打包 once the window is shown and holds its program folder; with quitWhenDone the
  // window closes when that run has ended, or at once when it cannot start.
  void StartWhenShown(bool quitWhenDone);
  // How the last run ended, as the command line's exit status: 0 every checked item made a
  // plausible archive, 1 not, 2 the run could not start (or none was asked for).
  int lastRunStatus() const { return lastRunStatus_; }

  // Controls and menu items, named as the form names them.
  QPushButton* btnStart;
  TElidedLabel* lblState;
  QProgressBar* RzProgressBar1;
  QPushButton* btnAddFolder;
  QPushButton* btnAddFiles;
  QPushButton* btnClear;
  QLabel* Label8;
  QLineEdit* edtUnCompressPwd;
  TBatchList* ListView1;
  QMenu* PopupMenu1;
  QAction* N1;   // 全选
  QAction* N3;   // 反选
  QAction* N2;   // 全不选
  QAction* N5;   // 删除选定
  QAction* N6;   // 打开原文件所在目录
  QAction* N15;  // 打开输出文件所在目录
  QAction* N18;  // 查看压缩包内容
  QAction* N20;  // 查看失败原因
  QMenu* N10;    // 工具
  QAction* N11;  // 打开压缩包必备文件夹
  QAction* N12;  // 设置
  QMenu* N7;     // 关于
  QAction* N8;   // 支持解压格式
  QAction* N16;  // 访问官方网站
  QAction* N19;  // 打开首发地址
  QAction* N9;   // 关于

 public Q_SLOTS:
  // Starts a run, or asks the running one to stop.
  void btnStartClick();
  void btnAddFilesClick();
  void btnAddFolderClick();
  void btnClearClick();
  // Paths dropped onto the list.
  void ListView1DragDrop(const QStringList& paths);
  // The menu items' handlers, named after the items (N5 ... N12 above).
  void N5Click();   // 删除选定: removes the checked rows
  void N6Click();   // 打开原文件所在目录: shows the selected row's source in the file manager
  void N15Click();  // 打开输出文件所在目录: shows the selected row's output in the file manager
  void N18Click();  // 查看压缩包内容: lists the selected row's output in the content viewer
  void N20Click();  // 查看失败原因: the causes of the selected row's failure, whole
  void N11Click();  // 打开压缩包必备文件夹: opens the must-have files folder
  void N12Click();  // 设置: the settings dialog
  // The update check asks the program to close (to install an update).
  void CloseForUpdate();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

  // Where the dialogs of their own components join the window; one call each, which tests may
  // stand in for.
  // The settings dialog, modal; true when it closed with OK.
  virtual bool ExecSettingsDialog();
  // The installed-engines dialog, modal.
  virtual void ExecEngineInfoDialog();

 private:
  friend class TMainWindowObserver;

  void CreateControls();
  void CreateMenus();
  void FormShow();
  // Reads Setting.ini into the settings record, and the caption with it.
  void LoadSettings();
  // Switches the background update check on; when it asks the program to close, CloseForUpdate.
  void StartUpdateCheck();
  void ShowFirstUseTip(const QString& key, const QString& text);
  // The refusal of list changes while a run is active; true when refused.
  bool RefusedWhileRunning();
  // The settings of the next run: the record, with the password box as its decompression password.
  TSettings RunSettings();
  void StartRun();
  void StopRun();
  void ShowIdle();
  void SetStartButton(const QString& caption, int imageIndex);
  // The observer's last step of a run, on this thread: what the run ended with. The runner is
  // idle soon after that step has returned; AfterRun then follows, for that run only.
  void RunEnded(const TRunSummary& summary);
  void AfterRun(int run);
  // Paths another start of the program handed over: added while idle (and started when it asked
  // so), held while a run or a dialog is active.
  void PathsHanded(const THandedPaths& handed);
  void ServeHandedPaths();

  TProgramPaths paths_;
  TSettings settings_;
  TMainWindowObserver observer_{*this};
  TJobRunner runner_;
  std::unique_ptr<TInstanceLock> instanceLock_;
  TInstanceChannel channel_;
  QList<THandedPaths> handed_;  // not served yet
  bool startWhenShown_ = false;
  bool quitWhenDone_ = false;
  int lastRunStatus_ = 2;
  int runsStarted_ = 0;
  TUpdateWindows updateWindows_;
  std::unique_ptr<TvxUpdate> vxUpdate1;
  const QIcon startImages_[2];
  int startImageIndex_ = 0;
  bool shown_ = false;
  bool refused_ = false;
};
