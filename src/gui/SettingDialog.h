#pragma once
// The settings dialog: every option of Setting.ini, the three list files and the archive comment
// (read from the files themselves when it opens), and the text-replacement rules. OK checks the
// output-name template, writes delete.dat, Comment.txt, NameDelete.dat, TxtDelete.dat and then
// Setting.ini, and closes with Accepted; a file that cannot be written is named in a message and
// the dialog stays open. Cancel writes nothing (rule changes are stored at once all the same).
//
// The main window opens it from the menu item "设置", only while no run is active, and reloads
// the settings after OK:
//   if (runner.isRunning()) { msgbox::Info(this, tr("现在正在操作中，无法使用本功能。")); return; }
//   TfrmSetting dialog(paths, this);
//   if (dialog.exec() == QDialog::Accepted) settings = LoadSettings(paths);
#include <QDialog>
#include <functional>

#include "settings/DataFolder.h"
#include "settings/Settings.h"
#include "util/ProgramPaths.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;
class TRuleListPage;

class TfrmSetting : public QDialog {
  Q_OBJECT

 public:
  TfrmSetting(const TProgramPaths& paths, QWidget* parent = nullptr);

  // Asks for a folder (parent, title, starting folder); "" when cancelled. The system's folder
  // picker unless replaced (tests).
  using TFolderPicker = std::function<QString(QWidget*, const QString&, const QString&)>;
  void SetFolderPicker(TFolderPicker picker) { folderPicker_ = std::move(picker); }

 private:
  QWidget* BuildBasicPage();
  QGroupBox* BuildOutputGroup(QWidget* page);
  QGroupBox* BuildPackingGroup(QWidget* page);
  QWidget* BuildTextPage(const char* name, QLabel* label, QPlainTextEdit* memo);

  void FormCreate();
  void chkCompressPwdClick();
  void chkRARToFromClick();
  void chkNestedClick();
  void PageControl1Change(int index);
  void btnBrowserClick();
  void btnOpenMustFolderClick();
  void btnOKClick();
  void btnCancelClick();

  TSettings SettingsFromControls() const;
  TDataTexts TextsFromControls() const;

  TProgramPaths paths_;
  TSettings stored_;  // as read when the dialog opened; keeps what it does not show ("am", "pm")
  TFolderPicker folderPicker_;

  QTabWidget* PageControl1;
  QWidget* TabSheet6;
  TRuleListPage* rulePage_;
  // Basic page, group "输出".
  QComboBox* cbbOutputPath;
  QPushButton* btnBrowser;
  QComboBox* cbbFileName;
  QLineEdit* edtFileName;
  QComboBox* cbbCompressExt;
  QCheckBox* chkRARToFrom;
  QCheckBox* chkCompressPwd;
  QLineEdit* edtPwd;
  QCheckBox* chkLockRAR;
  QCheckBox* chkKeepTime;
  // Basic page, group "解压与压缩".
  QLineEdit* edtUnCompressPwd;
  QCheckBox* chkDeleteAds;
  QCheckBox* chkNested;         // NestedDepth > 0
  QSpinBox* spnNestedDepth;     // NestedDepth, while chkNested is on
  QCheckBox* chkDelVer;
  QCheckBox* chkDelRarFileName;
  QCheckBox* chkMustToFolder;
  QCheckBox* chkNoCompressEXE;
  QCheckBox* chkPluginFormats;
  QCheckBox* chkInfoTip;
  QCheckBox* chkCopyFolder;
  QSpinBox* edtJobs;  // items worked on at once
  // The text pages.
  QPlainTextEdit* mmoComment;
  QPlainTextEdit* mmoList;
  QPlainTextEdit* mmoFileNameDelete;
  QPlainTextEdit* mmoTxtDelete;

  QPushButton* btnOpenMustFolder;
  QPushButton* btnOK;
  QPushButton* btnCancel;
};
