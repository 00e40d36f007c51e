#include "gui/SettingDialog.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>

#include "gui/MessageBox.h"
#include "gui/RuleListPage.h"
#include "gui/SettingWidgets.h"
#include "settings/PathVars.h"
#include "settings/SettingsLog.h"
#include "util/FileOps.h"

namespace {

constexpr QSize kDesignSize(638, 499);

QString SystemFolderPicker(QWidget* parent, const QString& title, const QString& start) {
  return QFileDialog::getExistingDirectory(parent, title, start, QFileDialog::ShowDirsOnly);
}
}  // namespace

TfrmSetting::TfrmSetting(const TProgramPaths& paths, QWidget* parent)
    : QDialog(parent), paths_(paths), folderPicker_(SystemFolderPicker) {
  setObjectName(QStringLiteral("frmSetting"));
  setWindowTitle(tr("设置"));

  PageControl1 = Named(new QTabWidget(this), "PageControl1");
  PageControl1->addTab(BuildBasicPage(), tr("基本设置"));

  mmoComment = NewMemo(this, "mmoComment", QPlainTextEdit::WidgetWidth);
  PageControl1->addTab(
      BuildTextPage(
          "TabSheet3",
          WrappingLabel(this, "Label5",
                        tr("给压缩包添加注释，请在下面文本框输入注释内容。(暂时只支持输出格式为rar和zip"
                           "格式的文件)")),
          mmoComment),
      tr("注释内容"));

  mmoList = NewMemo(this, "mmoList", QPlainTextEdit::NoWrap);
  mmoList->setToolTip(
      tr("每行一个，支持通配符*?#\r\n\r\n*：表示任意字符。\r\n?：表示单个字符。\r\n#：表示数字。\r\n"
         "例如要删除文件名包含xx的txt文件，则直接填写“*xx*.txt”即可"));
  QLabel* Label4 = WrappingLabel(this, "Label4", tr("删除压缩包内符合要求的指定文件。"));
  Label4->setToolTip(tr("每行一个，支持通配符。"));
  PageControl1->addTab(BuildTextPage("TabSheet2", Label4, mmoList), tr("自动删除文件"));

  mmoFileNameDelete = NewMemo(this, "mmoFileNameDelete", QPlainTextEdit::NoWrap);
  mmoFileNameDelete->setToolTip(tr("每行一个"));
  PageControl1->addTab(
      BuildTextPage("TabSheet4",
                    WrappingLabel(this, "Label1",
                                  tr("保存的压缩包如果包含指定名称,则删除该部分名称,只对按原文件名命名有效")),
                    mmoFileNameDelete),
      tr("过滤文件名"));

  mmoTxtDelete = NewMemo(this, "mmoTxtDelete", QPlainTextEdit::NoWrap);
  mmoTxtDelete->setToolTip(
      tr("每行一个，支持通配符*?#\r\n\r\n*：表示任意字符。\r\n?：表示单个字符。\r\n#：表示数字。\r\n"
         "例如要删除内容包含某个网址的txt文件，则直接填写“*网址*”即可"));
  PageControl1->addTab(
      BuildTextPage("TabSheet5",
                    WrappingLabel(this, "Label2",
                                  tr("检测到压缩包内的文本文件(*.txt)内容中包含指定字符串，则删除该文件。")),
                    mmoTxtDelete),
      tr("txt文件清理"));

  rulePage_ = new TRuleListPage(paths_.databaseFile(), this);
  TabSheet6 = Named(rulePage_, "TabSheet6");
  PageControl1->addTab(TabSheet6, tr("文本内容替换"));

  btnOpenMustFolder = NewButton(this, "btnOpenMustFolder", tr("打开压缩必备文件夹"));
  btnOpenMustFolder->setToolTip(
      tr("打开后，将文件拖放到该文件夹下，那么在输出的每一个压缩包里\r\n都会包含该文件夹下的文件。"));
  btnOK = NewButton(this, "btnOK", tr("确定"));
  btnCancel = NewButton(this, "btnCancel", tr("取消"));
  btnOK->setDefault(true);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(btnOpenMustFolder);
  buttons->addStretch(1);
  buttons->addWidget(btnOK);
  buttons->addWidget(btnCancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(PageControl1, 1);
  layout->addLayout(buttons);

  connect(chkCompressPwd, &QCheckBox::toggled, this, &TfrmSetting::chkCompressPwdClick);
  connect(chkRARToFrom, &QCheckBox::toggled, this, &TfrmSetting::chkRARToFromClick);
  connect(chkNested, &QCheckBox::toggled, this, &TfrmSetting::chkNestedClick);
  connect(PageControl1, &QTabWidget::currentChanged, this, &TfrmSetting::PageControl1Change);
  connect(btnBrowser, &QPushButton::clicked, this, &TfrmSetting::btnBrowserClick);
  connect(btnOpenMustFolder, &QPushButton::clicked, this, &TfrmSetting::btnOpenMustFolderClick);
  connect(btnOK, &QPushButton::clicked, this, &TfrmSetting::btnOKClick);
  connect(btnCancel, &QPushButton::clicked, this, &TfrmSetting::btnCancelClick);

  FormCreate();
}

QWidget* TfrmSetting::BuildBasicPage() {
  auto* page = Named(new QWidget(this), "TabSheet1");
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(BuildOutputGroup(page));
  layout->addWidget(BuildPackingGroup(page));
  layout->addStretch(1);
  return page;
}

QGroupBox* TfrmSetting::BuildOutputGroup(QWidget* page) {
  auto* group = Named(new QGroupBox(tr("输出"), page), "GroupBox1");

  cbbOutputPath = Named(new QComboBox(group), "cbbOutputPath");
  cbbOutputPath->setEditable(true);
  cbbOutputPath->setInsertPolicy(QComboBox::NoInsert);
  cbbOutputPath->setToolTip(
      tr("支持使用变量来表示路径，变量请用<>表示：\r\n\r\n路径支持以下变量：\r\n路径变量：\r\napp:"
         "当前软件所在路径"
         "\r\n\r\n支持时间变量：\r\n假设当前时间为:2015年7月1日 9点\r\nyyyy:年份，如2015\r\nyy:年份，如15\r\n"
         "MM:月份，如07\r\nM:月份，如7\r\ndd:日，如01\r\nd:日,如1\r\nHH:小时，如09\r\nH:小时，如9\r\n"
         "ap:上午下午,上午01，下午02，如9点就是01."));
  btnBrowser = NewButton(group, "btnBrowser", QStringLiteral("..."));
  btnBrowser->setMaximumWidth(btnBrowser->fontMetrics().horizontalAdvance(QStringLiteral("...")) + 24);

  cbbFileName = Named(new QComboBox(group), "cbbFileName");
  cbbFileName->addItems({tr("按日期随机命名"), tr("按原文件名命名")});
  cbbFileName->setToolTip(
      tr("按日期随机命名：按当前日期进行命名\r\n按原文件命名：按待处理文件的文件名进行命名。\r\n\r\n"
         "注意：如果目标文件已经存在，将自动在文件名后面加上一个后缀。"));
  edtFileName = Named(new QLineEdit(QStringLiteral("<name>"), group), "edtFileName");
  edtFileName->setToolTip(
      tr("请保留<name>参数，如果要加前缀或后缀，则直接在参数前后加上即可。\r\n\r\n<name>表示输出的原始文件名"
         "(不包含扩展名)\r\n\r\n支持时间变量：\r\n假设当前时间为:2015年7月1日 9点\r\n<yyyy>:年份，如2015\r\n"
         "<yy>:年份，如15\r\n<MM>:月份，如07\r\n<M>:月份，如7\r\n<dd>:日，如01\r\n<d>:日,如1\r\n"
         "<HH>:小时，如09\r\n<H>:小时，如9\r\n<ap>:上午下午,上午01，下午02，如9点就是01."));
  cbbCompressExt = Named(new QComboBox(group), "cbbCompressExt");
  cbbCompressExt->addItems({tr("压缩为rar"), tr("压缩为zip"), tr("压缩为7z")});
  cbbCompressExt->setToolTip(tr("此项表示输出文件的格式"));

  chkRARToFrom = NewCheck(
      group, "chkRARToFrom", tr("处理完毕后替换原文件(谨慎勾选)"),
      tr("本操作不可逆，如果在处理过程中因规则填写错误，误删压缩包内本不该\r\n删除的文件，将导致导出错误的文"
         "件。"
         "\r\n\r\n注意：勾选本项后，原文件为rar/7z/zip格式的文件时，将替换原文件,否则\r\n将做忽略处理。"));
  chkCompressPwd = NewCheck(group, "chkCompressPwd", tr("给输出压缩包设置密码"));
  edtPwd = Named(new QLineEdit(group), "edtPwd");
  edtPwd->setToolTip(tr("输出的压缩包将进行加密处理"));
  chkLockRAR = NewCheck(group, "chkLockRAR", tr("锁定压缩包(只支持RAR)"),
                        tr("当输出文件为rar时，支持本功能。\r\n\r\n锁定后，压缩包将不能修改。"));

  chkKeepTime = NewCheck(group, "chkKeepTime", tr("保留原文件时间"),
                         tr("勾选本项，输出的压缩包将使用原文件的修改时间。"));

  QLabel* Label7 = Named(BuddyLabel(tr("输出目录"), cbbOutputPath), "Label7");
  QLabel* Label6 = Named(BuddyLabel(tr("输出文件名"), cbbFileName), "Label6");
  QLabel* Label3 = Named(BuddyLabel(tr("文件名格式(可设置前缀后缀)"), edtFileName), "Label3");

  auto* grid = new QGridLayout(group);
  grid->addWidget(Label7, 0, 0);
  auto* folderRow = new QHBoxLayout;
  folderRow->addWidget(cbbOutputPath, 1);
  folderRow->addWidget(btnBrowser);
  grid->addLayout(folderRow, 0, 1, 1, 3);
  grid->addWidget(Label6, 1, 0);
  grid->addWidget(cbbFileName, 1, 1);
  grid->addWidget(Label3, 1, 2);
  grid->addWidget(edtFileName, 1, 3);
  grid->addWidget(cbbCompressExt, 2, 1);
  grid->addWidget(chkRARToFrom, 2, 2, 1, 2);
  auto* passwordRow = new QHBoxLayout;
  passwordRow->addWidget(chkCompressPwd);
  passwordRow->addWidget(edtPwd, 1);
  passwordRow->addSpacing(12);
  passwordRow->addWidget(chkLockRAR);
  // Beside the lock rather than on a row of its own, so the page keeps its height.
  passwordRow->addSpacing(12);
  passwordRow->addWidget(chkKeepTime);
  grid->addLayout(passwordRow, 3, 0, 1, 4);
  grid->setColumnStretch(3, 1);
  grid->setVerticalSpacing(4);
  return group;
}

QGroupBox* TfrmSetting::BuildPackingGroup(QWidget* page) {
  auto* group = Named(new QGroupBox(tr("解压与压缩"), page), "GroupBox2");
  edtUnCompressPwd = Named(new QLineEdit(group), "edtUnCompressPwd");
  edtUnCompressPwd->setToolTip(
      tr("对于RAR/Zip/7Z文件，如果需要密码，则使用该密码解压，如果不需要密码，则忽略该密码解压。\r\n"
         "对于其他文件，如果不需要密码，而输入了密码，则会提示解压失败。"));
  chkDeleteAds = NewCheck(group, "chkDeleteAds", tr("自动删除多余文件"),
                          tr("本功能将根据系统配置(自动删除文件列表)"
                             "来删除指定的无用文件。\r\n\r\n注意：本功能对原文件为非压缩格式的"
                             "文件无用。"));
  chkNested = NewCheck(group, "chkNested", tr("同时解压压缩包内的压缩包，层数"),
                       tr("勾选本项，解压后压缩包内的RAR/ZIP/7Z文件也会被解压到同名文件夹(不含扩展名)并删除，\r\n"
                          "再进行清理，这样其中的多余文件也能被删除；按所设层数逐层进行(最多3层)。\r\n\r\n"
                          "注意：无法解压的压缩包原样保留；exe自解压文件不解压。"));
  spnNestedDepth = Named(new QSpinBox(group), "spnNestedDepth");
  spnNestedDepth->setRange(1, kMaxNestedDepth);
  spnNestedDepth->setToolTip(chkNested->toolTip());
  chkDelVer = NewCheck(
      group, "chkDelVer", tr("自动删除输出压缩包文件名中的版本号字符串"),
      tr("勾选本项，如果输出的压缩包文件名包含版本号信息，将自动删除\r\n版本号。\r\n\r\n例如压缩包文件名为"
         "XXXXV1.0.rar,则处理过后的文件名为XXXX.rar"));
  chkDelRarFileName = NewCheck(group, "chkDelRarFileName", tr("自动删除压缩包内文件名中的特定字符串"),
                               tr("本功能将根据系统配置(根据“过滤文件名”列表来操作)"
                                  "来重命名压缩包内的文件。\r\n\r\n注意：本功能对列表中的"
                                  "非压缩文件无用,同时不处理ini文件。"));
  chkMustToFolder = NewCheck(group, "chkMustToFolder",
                             tr("压缩包内的根目录下如果只有一个文件夹，则把必备文件放入该文件夹内"),
                             tr("如果压缩包的一级目录下只有一个文件夹，并且没有其它文件，那么将会\r\n把压缩包"
                                "必备文件释放到子目录下。"
                                "\r\n\r\n注意：本功能对列表中的非压缩文件无用。"));
  chkNoCompressEXE = NewCheck(group, "chkNoCompressEXE", tr("不解压exe自解压文件，而是直接打包"),
                              tr("如果自解压文件的扩展名不是exe，则依旧会被解压。"));
  chkPluginFormats =
      NewCheck(group, "chkPluginFormats", tr("解压有插件的其他格式(tar.gz、iso、cab等)"),
               tr("勾选本项，原文件不是RAR/ZIP/7Z/exe文件时，如果引擎目录中有其扩展名的解压插件(*.pk)，\r\n"
                  "则用该插件解压，清理后再重新打包；没有插件的文件依旧直接打包。\r\n\r\n"
                  "多段扩展名优先：例如x.tar.gz先使用targz.pk，没有时再使用gz.pk。\r\n\r\n"
                  "注意：插件指定的解压程序不存在时，将提示“引擎加载失败”。"));
  chkInfoTip = NewCheck(group, "chkInfoTip", tr("鼠标悬停列表时，显示输出压缩包内容提示"),
                        tr("只有当压缩完成后才能显示。"));
  chkCopyFolder = NewCheck(group, "chkCopyFolder", tr("如果待压缩的是文件夹,则先复制到临时文件夹再处理"),
                           tr("如果待压缩的是文件夹,则先复制到临时文件夹再处理。\r\n\r\n勾选本项,"
                              "可以避免压缩时误删原文件夹里的内容。"
                              "\r\n\r\n注意:勾选本项，将导致处理文件夹时耗时变长。"));

  edtJobs = Named(new QSpinBox(group), "edtJobs");
  edtJobs->setRange(0, kMaxJobs);
  edtJobs->setSpecialValueText(tr("0(每核一个)"));
  edtJobs->setToolTip(tr("同时解压、清理并打包的压缩包个数。\r\n\r\n"
                         "0：每个处理器核心一个(默认)；1：处理完一个再处理下一个。"));

  auto* layout = new QVBoxLayout(group);
  layout->setSpacing(2);  // seven rows of check boxes and the page still fit the design height
  auto* passwordRow = new QHBoxLayout;
  passwordRow->addWidget(Named(BuddyLabel(tr("默认解压密码"), edtUnCompressPwd), "Label8"));
  passwordRow->addWidget(edtUnCompressPwd, 1);
  // Beside the password rather than on a row of its own, so the page keeps its height.
  passwordRow->addSpacing(12);
  passwordRow->addWidget(Named(BuddyLabel(tr("同时处理的压缩包数"), edtJobs), "Label10"));
  passwordRow->addWidget(edtJobs);
  layout->addLayout(passwordRow);
  // Opening the archives inside is what lets the cleanup reach their content: beside it, on its row.
  auto* cleanupRow = new QHBoxLayout;
  cleanupRow->addWidget(chkDeleteAds);
  cleanupRow->addSpacing(12);
  cleanupRow->addWidget(chkNested);
  cleanupRow->addWidget(spnNestedDepth);
  cleanupRow->addStretch(1);
  layout->addLayout(cleanupRow);
  for (QCheckBox* check : {chkDelVer, chkDelRarFileName, chkMustToFolder}) layout->addWidget(check);
  // The two choices of which sources are extracted share a row, so the page keeps its height.
  auto* extractRow = new QHBoxLayout;
  extractRow->addWidget(chkNoCompressEXE);
  extractRow->addSpacing(12);
  extractRow->addWidget(chkPluginFormats, 1);
  layout->addLayout(extractRow);
  for (QCheckBox* check : {chkInfoTip, chkCopyFolder}) layout->addWidget(check);
  return group;
}

QWidget* TfrmSetting::BuildTextPage(const char* name, QLabel* label, QPlainTextEdit* memo) {
  auto* page = Named(new QWidget(this), name);
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(label);
  layout->addWidget(memo, 1);
  return page;
}

void TfrmSetting::FormCreate() {
  PageControl1->setCurrentIndex(0);
  resize(kDesignSize);
  setMinimumSize(kDesignSize.expandedTo(minimumSizeHint()));

  const TDataTexts texts = LoadDataTexts(paths_);
  mmoList->setPlainText(texts.delList);
  mmoComment->setPlainText(texts.comment);
  mmoFileNameDelete->setPlainText(texts.nameDelete);
  mmoTxtDelete->setPlainText(texts.txtDelete);

  // The same keys, forms and defaults as the main window's loading; an out-of-range naming mode
  // or format reads as the default, which is the box's initial item.
  stored_ = LoadSettings(paths_);
  edtFileName->setText(stored_.fileNameFormat);
  chkDelVer->setChecked(stored_.DelCompressVer);
  chkLockRAR->setChecked(stored_.LockRAR);
  chkDeleteAds->setChecked(stored_.DeleteAds);
  chkDelRarFileName->setChecked(stored_.DelRarFileName);
  chkMustToFolder->setChecked(stored_.MustToFolder);
  chkRARToFrom->setChecked(stored_.RARToFrom);
  chkCompressPwd->setChecked(stored_.SetCompressPwd);
  edtPwd->setText(stored_.CompressPwd);
  edtUnCompressPwd->setText(stored_.UnCompressPwd);
  chkNoCompressEXE->setChecked(stored_.NoCompressEXE);
  chkInfoTip->setChecked(stored_.InfoTip);
  chkCopyFolder->setChecked(stored_.CopyFolder);
  chkPluginFormats->setChecked(stored_.PluginFormats);
  chkKeepTime->setChecked(stored_.KeepTime);
  chkNested->setChecked(stored_.NestedDepth > 0);
  spnNestedDepth->setValue(stored_.NestedDepth > 0 ? stored_.NestedDepth : 1);
  cbbFileName->setCurrentIndex(stored_.nameType);
  cbbCompressExt->setCurrentIndex(stored_.CompressExt);
  cbbOutputPath->setEditText(stored_.OutputFolder);
  edtJobs->setValue(stored_.Jobs);

  chkCompressPwdClick();
  chkRARToFromClick();
  chkNestedClick();
}

void TfrmSetting::chkCompressPwdClick() { edtPwd->setEnabled(chkCompressPwd->isChecked()); }

void TfrmSetting::chkRARToFromClick() {
  // Replacing the source keeps its format and name, so these do not apply then.
  const bool ownName = !chkRARToFrom->isChecked();
  cbbCompressExt->setEnabled(ownName);
  cbbFileName->setEnabled(ownName);
  edtFileName->setEnabled(ownName);
}

void TfrmSetting::chkNestedClick() { spnNestedDepth->setEnabled(chkNested->isChecked()); }

void TfrmSetting::PageControl1Change(int index) {
  if (PageControl1->widget(index) == TabSheet6) rulePage_->LoadTxtReplaceList();
}

void TfrmSetting::btnBrowserClick() {
  const QString current = cbbOutputPath->currentText();
  const QString start = QFileInfo(current).isDir() ? current : QDir::homePath();
  const QString folder = folderPicker_(this, tr("选择文件夹"), start);
  if (!folder.isEmpty()) cbbOutputPath->setEditText(folder);
}

void TfrmSetting::btnOpenMustFolderClick() {
  if (OpenMustFilesFolder(paths_) >= kShellOk) return;  // the shell's codes above 32 are success
  qCWarning(lcSettings) << "cannot open the must-have folder" << paths_.mustFilesFolder();
  msgbox::Warning(this, tr("无法打开文件夹：%1").arg(QDir::toNativeSeparators(paths_.mustFilesFolder())));
}

void TfrmSetting::btnOKClick() {
  if (!IsValidNameTemplate(edtFileName->text(), stored_.ampm, QDateTime::currentDateTime())) {
    msgbox::Info(this, tr("文件名无效,请重新修改。"));
    return;
  }
  const QString failed = SaveSettingsFiles(paths_, TextsFromControls(), SettingsFromControls());
  if (!failed.isEmpty()) {
    qCWarning(lcSettings) << "cannot write" << failed;
    msgbox::Warning(this, tr("无法写入文件：%1").arg(QDir::toNativeSeparators(failed)));
    return;
  }
  accept();
}

void TfrmSetting::btnCancelClick() { reject(); }

TSettings TfrmSetting::SettingsFromControls() const {
  TSettings s = stored_;
  s.fileNameFormat = edtFileName->text();
  s.nameType = cbbFileName->currentIndex();
  s.CompressExt = cbbCompressExt->currentIndex();
  s.OutputFolder = cbbOutputPath->currentText();
  s.DelCompressVer = chkDelVer->isChecked();
  s.LockRAR = chkLockRAR->isChecked();
  s.DeleteAds = chkDeleteAds->isChecked();
  s.DelRarFileName = chkDelRarFileName->isChecked();
  s.MustToFolder = chkMustToFolder->isChecked();
  s.SetCompressPwd = chkCompressPwd->isChecked();
  s.RARToFrom = chkRARToFrom->isChecked();
  s.CompressPwd = edtPwd->text();
  s.UnCompressPwd = edtUnCompressPwd->text();
  s.NoCompressEXE = chkNoCompressEXE->isChecked();
  s.InfoTip = chkInfoTip->isChecked();
  s.CopyFolder = chkCopyFolder->isChecked();
  s.PluginFormats = chkPluginFormats->isChecked();
  s.KeepTime = chkKeepTime->isChecked();
  s.NestedDepth = chkNested->isChecked() ? spnNestedDepth->value() : 0;
  s.Jobs = edtJobs->value();
  return s;
}

TDataTexts TfrmSetting::TextsFromControls() const {
  return {MemoText(mmoList), MemoText(mmoComment), MemoText(mmoFileNameDelete), MemoText(mmoTxtDelete)};
}
