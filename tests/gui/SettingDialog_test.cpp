// The settings dialog over a program folder of the test's own: what it shows when it opens, what
// OK writes (whole files, byte for byte), what it refuses, and that Cancel writes nothing.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>

#include "MessageRecorder.h"
#include "SettingDialogFixture.h"
#include "gui/SettingDialog.h"
#include "util/CodePage.h"

using namespace dialogtest;

namespace {

const QString kInvalidName = QStringLiteral("文件名无效,请重新修改。");

// The dialog over the install, shown (not modal, so the test can drive it).
struct TOpenDialog {
  explicit TOpenDialog(const TInstall& install) : dialog(install.paths) { dialog.show(); }
  template <typename T>
  T* Get(const char* name) const {
    return Child<T>(dialog, name);
  }
  bool StillOpen() const { return dialog.isVisible() && dialog.result() != QDialog::Accepted; }

  TfrmSetting dialog;
};

// Every file of the data folder with its bytes, for "nothing was written".
std::map<QString, QByteArray> DataFiles(const TInstall& install) {
  std::map<QString, QByteArray> files;
  for (const QString& entry : testsupport::TreeListing(install.paths.dataFolder()))
    files[entry] = entry.endsWith('/') ? QByteArray() : install.Read(entry);
  return files;
}

QByteArray Base64Ansi(const QString& text) { return ToAnsi(text).toBase64(); }

TEST(SettingDialog, OpensWithTheStoredSettingsAndTexts) {
  TInstall install;
  install.Write(
      "Setting.ini",
      ToAnsi(QStringLiteral("[Setting]\r\nFileName=[站点]<name>\r\nnameType=7\r\nCompressExt=2\r\n"
                            "OutputPath=/srv/out/<yyyy>\r\nDelVer=1\r\nLockRAR=yes\r\n"
                            "SetCompressPwd=0\r\nCompressPwd=") +
             Base64Ansi(QStringLiteral("密码")) + "\r\nRARToFrom=1\r\nInfoTip=0\r\nKeepTime=1\r\nNestedDepth=3\r\nJobs=3\r\n"));
  install.Write("delete.dat", "\xEF\xBB\xBF" + QStringLiteral("*.url\r\n广告*.txt\r\n").toUtf8());
  install.Write("Comment.txt", ToAnsi(QStringLiteral("欢迎\r\n第二行")));
  TOpenDialog ui(install);

  EXPECT_EQ(ui.Get<QTabWidget>("PageControl1")->currentIndex(), 0);
  EXPECT_EQ(ui.Get<QLineEdit>("edtFileName")->text(), QStringLiteral("[站点]<name>"));
  EXPECT_EQ(ui.Get<QComboBox>("cbbFileName")->currentText(), QStringLiteral("按原文件名命名"))
      << "7 is no naming mode";
  EXPECT_EQ(ui.Get<QComboBox>("cbbCompressExt")->currentText(), QStringLiteral("压缩为7z"));
  EXPECT_EQ(ui.Get<QComboBox>("cbbOutputPath")->currentText(), QStringLiteral("/srv/out/<yyyy>"));
  EXPECT_EQ(ui.Get<QLineEdit>("edtPwd")->text(), QStringLiteral("密码"));
  EXPECT_EQ(ui.Get<QLineEdit>("edtUnCompressPwd")->text(), QString());
  EXPECT_EQ(ui.Get<QSpinBox>("edtJobs")->value(), 3);

  const std::pair<const char*, bool> checks[] = {
      {"chkDelVer", true},         {"chkLockRAR", false},       {"chkDeleteAds", true},
      {"chkDelRarFileName", true}, {"chkMustToFolder", false},  {"chkRARToFrom", true},
      {"chkCompressPwd", false},   {"chkNoCompressEXE", false}, {"chkInfoTip", false},
      {"chkCopyFolder", true},     {"chkPluginFormats", false},  // no key: off, as before it existed
      {"chkKeepTime", true},       {"chkNested", true},
  };
  for (const auto& [name, checked] : checks) EXPECT_EQ(ui.Get<QCheckBox>(name)->isChecked(), checked) << name;
  EXPECT_EQ(ui.Get<QSpinBox>("spnNestedDepth")->value(), 3);
  EXPECT_TRUE(ui.Get<QSpinBox>("spnNestedDepth")->isEnabled());

  // Replacing the source keeps its name and format; no output password without the box.
  EXPECT_FALSE(ui.Get<QLineEdit>("edtPwd")->isEnabled());
  EXPECT_FALSE(ui.Get<QComboBox>("cbbCompressExt")->isEnabled());
  EXPECT_FALSE(ui.Get<QComboBox>("cbbFileName")->isEnabled());
  EXPECT_FALSE(ui.Get<QLineEdit>("edtFileName")->isEnabled());

  EXPECT_EQ(ui.Get<QPlainTextEdit>("mmoList")->toPlainText(), QStringLiteral("*.url\n广告*.txt\n"));
  EXPECT_EQ(ui.Get<QPlainTextEdit>("mmoComment")->toPlainText(), QStringLiteral("欢迎\n第二行"));
  EXPECT_EQ(ui.Get<QPlainTextEdit>("mmoFileNameDelete")->toPlainText(), QString());
}

TEST(SettingDialog, FreshInstallShowsTheDefaults) {
  TInstall install;
  TOpenDialog ui(install);
  EXPECT_EQ(ui.Get<QLineEdit>("edtFileName")->text(), QStringLiteral("<name>"));
  EXPECT_EQ(ui.Get<QComboBox>("cbbFileName")->currentIndex(), 1);
  EXPECT_EQ(ui.Get<QComboBox>("cbbCompressExt")->currentIndex(), 0);
  EXPECT_EQ(ui.Get<QComboBox>("cbbOutputPath")->currentText(),
            install.paths.programFolder() + QStringLiteral("OutputPath"));
  for (const char* on : {"chkLockRAR", "chkDeleteAds", "chkDelRarFileName", "chkInfoTip", "chkCopyFolder"})
    EXPECT_TRUE(ui.Get<QCheckBox>(on)->isChecked()) << on;
  for (const char* off : {"chkDelVer", "chkMustToFolder", "chkRARToFrom", "chkCompressPwd",
                          "chkNoCompressEXE", "chkPluginFormats", "chkKeepTime", "chkNested"})
    EXPECT_FALSE(ui.Get<QCheckBox>(off)->isChecked()) << off;
  EXPECT_FALSE(ui.Get<QSpinBox>("spnNestedDepth")->isEnabled());
  EXPECT_FALSE(ui.Get<QLineEdit>("edtPwd")->isEnabled());
  EXPECT_TRUE(ui.Get<QLineEdit>("edtFileName")->isEnabled());
  EXPECT_EQ(ui.Get<QSpinBox>("edtJobs")->value(), 0);
  EXPECT_EQ(ui.Get<QSpinBox>("edtJobs")->text(), QStringLiteral("0(每核一个)"));
  EXPECT_FALSE(QFileInfo::exists(install.paths.dataFolder())) << "opening writes nothing";
}

TEST(SettingDialog, OkWritesExactlyTheFilesAndKeysInTheirEncoding) {
  TInstall install;
  TOpenDialog ui(install);
  TMessageRecorder messages;

  auto* folder = ui.Get<QComboBox>("cbbOutputPath");
  Retype(folder->lineEdit(), QStringLiteral("<app>/输出/<yyyy>"));
  ui.Get<QComboBox>("cbbFileName")->setCurrentIndex(0);
  Retype(ui.Get<QLineEdit>("edtFileName"), QStringLiteral("[站点]<name>_<MM>"));
  ui.Get<QComboBox>("cbbCompressExt")->setCurrentIndex(1);
  Click(ui.Get<QCheckBox>("chkCompressPwd"));
  EXPECT_TRUE(ui.Get<QLineEdit>("edtPwd")->isEnabled());
  Retype(ui.Get<QLineEdit>("edtPwd"), QStringLiteral("密码 it's"));
  Click(ui.Get<QCheckBox>("chkLockRAR"));
  Retype(ui.Get<QLineEdit>("edtUnCompressPwd"), QStringLiteral("abc"));
  Click(ui.Get<QCheckBox>("chkDeleteAds"));
  Click(ui.Get<QCheckBox>("chkDelVer"));
  Click(ui.Get<QCheckBox>("chkPluginFormats"));
  Click(ui.Get<QCheckBox>("chkKeepTime"));
  Click(ui.Get<QCheckBox>("chkNested"));
  auto* depth = ui.Get<QSpinBox>("spnNestedDepth");
  ASSERT_TRUE(depth->isEnabled());
  for (int i = 0; i < 3; ++i) QTest::keyClick(depth, Qt::Key_Up);  // from 1, and no further than 3
  EXPECT_EQ(depth->value(), 3);
  QTest::keyClick(depth, Qt::Key_Down);
  ui.Get<QSpinBox>("edtJobs")->setValue(1);
  TypeLines(ui.Get<QPlainTextEdit>("mmoList"), {"*.url", "*.htm"});
  TypeLines(ui.Get<QPlainTextEdit>("mmoComment"), {"Welcome", "", "www.example.com"});
  TypeLines(ui.Get<QPlainTextEdit>("mmoFileNameDelete"), {"[www.example.com]"}, true);
  Type(ui.Get<QPlainTextEdit>("mmoComment"), QStringLiteral(" 欢迎"));
  Click(ui.Get<QPushButton>("btnOK"));

  EXPECT_TRUE(messages.texts().isEmpty()) << messages.texts().join('|').toStdString();
  EXPECT_EQ(ui.dialog.result(), QDialog::Accepted);
  EXPECT_FALSE(ui.dialog.isVisible());
  // The texts as typed: no line break after a last line that has none; CR LF; CP936, no mark.
  EXPECT_EQ(install.Read("delete.dat"), "*.url\r\n*.htm");
  EXPECT_EQ(install.Read("Comment.txt"), "Welcome\r\n\r\nwww.example.com" + ToAnsi(QStringLiteral(" 欢迎")));
  EXPECT_EQ(install.Read("NameDelete.dat"), "[www.example.com]\r\n");
  EXPECT_EQ(install.Read("TxtDelete.dat"), "");
  EXPECT_EQ(install.Read("Setting.ini"),
            ToAnsi(QStringLiteral("[Setting]\r\n"
                                  "FileName=[站点]<name>_<MM>\r\n"
                                  "nameType=0\r\n"
                                  "CompressExt=1\r\n"
                                  "OutputPath=<app>/输出/<yyyy>\r\n"
                                  "DelVer=1\r\n"
                                  "LockRAR=0\r\n"
                                  "DeleteAds=0\r\n"
                                  "DelRarFileName=1\r\n"
                                  "MustToFolder=0\r\n"
                                  "SetCompressPwd=1\r\n"
                                  "RARToFrom=0\r\n"
                                  "CompressPwd=")) +
                Base64Ansi(QStringLiteral("密码 it's")) +
                "\r\nUnCompressPwd=YWJj\r\nNoCompressEXE=0\r\nInfoTip=1\r\nCopyFolder=1\r\n"
                "PluginFormats=1\r\nKeepTime=1\r\nNestedDepth=2\r\nJobs=1\r\n");
  EXPECT_EQ(testsupport::TreeListing(install.paths.dataFolder()),
            (QStringList{"Comment.txt", "NameDelete.dat", "Setting.ini", "TxtDelete.dat", "delete.dat"}))
      << "data.db is left alone when the rule page was never opened";

  // Opened again, it shows what was saved, and OK without a change keeps every byte.
  const auto saved = DataFiles(install);
  TOpenDialog again(install);
  EXPECT_EQ(again.Get<QComboBox>("cbbCompressExt")->currentText(), QStringLiteral("压缩为zip"));
  EXPECT_EQ(again.Get<QLineEdit>("edtPwd")->text(), QStringLiteral("密码 it's"));
  EXPECT_TRUE(again.Get<QCheckBox>("chkPluginFormats")->isChecked());
  EXPECT_TRUE(again.Get<QCheckBox>("chkKeepTime")->isChecked());
  EXPECT_EQ(again.Get<QSpinBox>("spnNestedDepth")->value(), 2);
  EXPECT_EQ(again.Get<QSpinBox>("edtJobs")->value(), 1);
  Click(again.Get<QPushButton>("btnOK"));
  EXPECT_EQ(DataFiles(install), saved);

  // The box is the switch: off, no level is opened, whatever the number said.
  TOpenDialog off(install);
  Click(off.Get<QCheckBox>("chkNested"));
  EXPECT_FALSE(off.Get<QSpinBox>("spnNestedDepth")->isEnabled());
  Click(off.Get<QPushButton>("btnOK"));
  EXPECT_EQ(LoadSettings(install.paths).NestedDepth, 0);
}

TEST(SettingDialog, InvalidTemplatesAreRefusedAndNothingIsWritten) {
  const struct {
    const char* format;
    bool valid;
  } cases[] = {
      {"<name>_<yyyy><MM><dd>", true},
      {"backup", true},
      {"<name>?", false},
      {"<name>.", false},
      {"", false},
      {"<NAME>", false},
      {"con", false},
      {"nul.txt", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.format);
    TInstall install;
    TOpenDialog ui(install);
    TMessageRecorder messages;
    TypeLines(ui.Get<QPlainTextEdit>("mmoList"), {"*.url"});
    Retype(ui.Get<QLineEdit>("edtFileName"), QString::fromUtf8(c.format));
    Click(ui.Get<QPushButton>("btnOK"));
    if (c.valid) {
      EXPECT_TRUE(messages.texts().isEmpty());
      EXPECT_EQ(ui.dialog.result(), QDialog::Accepted);
      continue;
    }
    ASSERT_EQ(messages.texts(), QStringList{kInvalidName});
    EXPECT_EQ(messages.messages()[0].title, QStringLiteral("提示"));
    EXPECT_EQ(messages.messages()[0].icon, QMessageBox::Information);
    EXPECT_TRUE(ui.StillOpen());
    EXPECT_FALSE(QFileInfo::exists(install.paths.dataFolder())) << "no file is touched";
  }
}

TEST(SettingDialog, CancelAfterEditingEveryPageWritesNothing) {
  TInstall install;
  install.Write("Setting.ini", "[Setting]\r\nCompressExt=2\r\n");
  install.Write("delete.dat", "*.url\r\n");
  install.Write("Comment.txt", "comment");
  const auto before = DataFiles(install);

  for (const bool byEscape : {false, true}) {
    TOpenDialog ui(install);
    ui.Get<QComboBox>("cbbCompressExt")->setCurrentIndex(0);
    Retype(ui.Get<QLineEdit>("edtFileName"), QStringLiteral("x<name>"));
    Click(ui.Get<QCheckBox>("chkCopyFolder"));
    for (const char* memo : {"mmoList", "mmoComment", "mmoFileNameDelete", "mmoTxtDelete"})
      TypeLines(ui.Get<QPlainTextEdit>(memo), {"changed"});
    if (byEscape)
      QTest::keyClick(&ui.dialog, Qt::Key_Escape);
    else
      Click(ui.Get<QPushButton>("btnCancel"));
    EXPECT_EQ(ui.dialog.result(), QDialog::Rejected);
    EXPECT_FALSE(ui.dialog.isVisible());
    EXPECT_EQ(DataFiles(install), before);
  }
}

TEST(SettingDialog, DisabledControlsAreSavedWithTheirValues) {
  TInstall install;
  TOpenDialog ui(install);
  Click(ui.Get<QCheckBox>("chkCompressPwd"));
  Retype(ui.Get<QLineEdit>("edtPwd"), QStringLiteral("secret"));
  Click(ui.Get<QCheckBox>("chkCompressPwd"));  // unchecked again: the password stays
  EXPECT_FALSE(ui.Get<QLineEdit>("edtPwd")->isEnabled());
  EXPECT_EQ(ui.Get<QLineEdit>("edtPwd")->text(), QStringLiteral("secret"));

  ui.Get<QComboBox>("cbbCompressExt")->setCurrentIndex(2);
  Retype(ui.Get<QLineEdit>("edtFileName"), QStringLiteral("<name>-x"));
  Click(ui.Get<QCheckBox>("chkRARToFrom"));
  for (const char* name : {"cbbCompressExt", "cbbFileName", "edtFileName"})
    EXPECT_FALSE(ui.Get<QWidget>(name)->isEnabled()) << name;
  Click(ui.Get<QPushButton>("btnOK"));
  ASSERT_EQ(ui.dialog.result(), QDialog::Accepted);

  const TSettings saved = LoadSettings(install.paths);
  EXPECT_FALSE(saved.SetCompressPwd);
  EXPECT_EQ(saved.CompressPwd, QStringLiteral("secret"));
  EXPECT_TRUE(saved.RARToFrom);
  EXPECT_EQ(saved.CompressExt, 2);
  EXPECT_EQ(saved.fileNameFormat, QStringLiteral("<name>-x"));

  // Unchecked again, the three are usable again.
  TOpenDialog again(install);
  Click(again.Get<QCheckBox>("chkRARToFrom"));
  for (const char* name : {"cbbCompressExt", "cbbFileName", "edtFileName"})
    EXPECT_TRUE(again.Get<QWidget>(name)->isEnabled()) << name;
}

TEST(SettingDialog, UnwritableSettingsFileIsNamedAndTheDialogStaysOpen) {
  TInstall install;
  testsupport::MakeDir(install.DataFile("Setting.ini"));  // a folder where the file belongs
  TOpenDialog ui(install);
  TMessageRecorder messages;
  TypeLines(ui.Get<QPlainTextEdit>("mmoComment"), {"new comment"});
  Click(ui.Get<QPushButton>("btnOK"));

  ASSERT_EQ(messages.texts().size(), 1);
  EXPECT_TRUE(messages.texts()[0].contains(install.DataFile("Setting.ini")))
      << messages.texts()[0].toStdString();
  EXPECT_TRUE(ui.StillOpen());
  // The files before it were written; pressing OK again after the cause is gone finishes.
  EXPECT_EQ(install.Read("Comment.txt"), "new comment");
  QDir(install.DataFile("Setting.ini")).removeRecursively();
  Click(ui.Get<QPushButton>("btnOK"));
  EXPECT_EQ(ui.dialog.result(), QDialog::Accepted);
  EXPECT_EQ(messages.texts().size(), 1);
  EXPECT_TRUE(QFileInfo(install.DataFile("Setting.ini")).isFile());
}

TEST(SettingDialog, FolderPickerReplacesTheOutputFolderUnlessCancelled) {
  TInstall install;
  TOpenDialog ui(install);
  QStringList asked;
  QString answer = QStringLiteral("/srv/新的输出");
  ui.dialog.SetFolderPicker([&](QWidget*, const QString& title, const QString&) {
    asked << title;
    return answer;
  });
  Click(ui.Get<QPushButton>("btnBrowser"));
  EXPECT_EQ(ui.Get<QComboBox>("cbbOutputPath")->currentText(), answer);
  answer.clear();
  Click(ui.Get<QPushButton>("btnBrowser"));
  EXPECT_EQ(ui.Get<QComboBox>("cbbOutputPath")->currentText(), QStringLiteral("/srv/新的输出"));
  EXPECT_EQ(asked, (QStringList{QStringLiteral("选择文件夹"), QStringLiteral("选择文件夹")}));
}

TEST(SettingDialog, MustFolderButtonCreatesTheFolder) {
  TInstall install;
  TOpenDialog ui(install);
  TMessageRecorder messages;
  // No opener on PATH: the folder is made all the same, and the user is told it could not open.
  const QByteArray path = qgetenv("PATH");
  qputenv("PATH", QFile::encodeName(install.dir.path()));
  Click(ui.Get<QPushButton>("btnOpenMustFolder"));
  qputenv("PATH", path);
  EXPECT_TRUE(QFileInfo(install.paths.mustFilesFolder()).isDir());
  ASSERT_EQ(messages.texts().size(), 1);
  EXPECT_TRUE(messages.texts()[0].contains(install.paths.mustFilesFolder()));
  EXPECT_TRUE(ui.StillOpen());
}

// Every caption, item and hint where the design puts it.
TEST(SettingDialog, CaptionsItemsAndHints) {
  TInstall install;
  TOpenDialog ui(install);
  EXPECT_EQ(ui.dialog.windowTitle(), QStringLiteral("设置"));
  EXPECT_GE(ui.dialog.minimumWidth(), 638);
  EXPECT_GE(ui.dialog.minimumHeight(), 499);
  EXPECT_EQ(ui.dialog.minimumSize(), QSize(638, 499)) << "the design size fits every control";
  EXPECT_EQ(ui.dialog.minimumSize(), ui.dialog.size()) << "the first size is the smallest";
  EXPECT_NE(ui.dialog.maximumSize(), ui.dialog.minimumSize()) << "resizable";

  auto* pages = ui.Get<QTabWidget>("PageControl1");
  const char* pageNames[] = {"TabSheet1", "TabSheet3", "TabSheet2", "TabSheet4", "TabSheet5", "TabSheet6"};
  const QStringList pageCaptions = {"基本设置",   "注释内容",    "自动删除文件",
                                    "过滤文件名", "txt文件清理", "文本内容替换"};
  ASSERT_EQ(pages->count(), 6);
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(pages->widget(i)->objectName(), pageNames[i]);
    EXPECT_EQ(pages->tabText(i), pageCaptions[i]);
  }

  const QString timeLines = QStringLiteral(
      "yyyy:年份，如2015\r\nyy:年份，如15\r\nMM:月份，如07\r\nM:月份，如7\r\ndd:日，如01\r\nd:日,如1\r\n"
      "HH:小时，如09\r\nH:小时，如9\r\nap:上午下午,上午01，下午02，如9点就是01.");
  QString bracketed;
  for (const QString& line : timeLines.split(QStringLiteral("\r\n"))) {
    const qsizetype colon = line.indexOf(':');
    bracketed += '<' + line.left(colon) + '>' + line.mid(colon) + QStringLiteral("\r\n");
  }
  bracketed.chop(2);
  const char* const nestedHint =
      "勾选本项，解压后压缩包内的RAR/ZIP/7Z文件也会被解压到同名文件夹(不含扩展名)并删除，\r\n"
      "再进行清理，这样其中的多余文件也能被删除；按所设层数逐层进行(最多3层)。\r\n\r\n"
      "注意：无法解压的压缩包原样保留；exe自解压文件不解压。";
  const QString wildcards = QStringLiteral(
      "每行一个，支持通配符*?#\r\n\r\n*：表示任意字符。\r\n?：表示单个字符。\r\n#：表示数字。");

  const struct {
    const char* name;
    QString caption;
    QString hint;
  } controls[] = {
      {"GroupBox1", "输出", ""},
      {"GroupBox2", "解压与压缩", ""},
      {"Label7", "输出目录", ""},
      {"cbbOutputPath", "",
       "支持使用变量来表示路径，变量请用<>表示：\r\n\r\n路径支持以下变量：\r\n路径变量：\r\napp:"
       "当前软件所在路径\r\n\r\n"
       "支持时间变量：\r\n假设当前时间为:2015年7月1日 9点\r\n" +
           timeLines},
      {"btnBrowser", "...", ""},
      {"Label6", "输出文件名", ""},
      {"cbbFileName", "",
       "按日期随机命名：按当前日期进行命名\r\n按原文件命名：按待处理文件的文件名进行命名。\r\n\r\n"
       "注意：如果目标文件已经存在，将自动在文件名后面加上一个后缀。"},
      {"Label3", "文件名格式(可设置前缀后缀)", ""},
      {"edtFileName", "",
       "请保留<name>参数，如果要加前缀或后缀，则直接在参数前后加上即可。\r\n\r\n<name>表示输出的原始文件名("
       "不包含扩展名)"
       "\r\n\r\n支持时间变量：\r\n假设当前时间为:2015年7月1日 9点\r\n" +
           bracketed},
      {"cbbCompressExt", "", "此项表示输出文件的格式"},
      {"chkRARToFrom", "处理完毕后替换原文件(谨慎勾选)",
       "本操作不可逆，如果在处理过程中因规则填写错误，误删压缩包内本不该\r\n删除的文件，将导致导出错误的文件"
       "。\r\n\r\n"
       "注意：勾选本项后，原文件为rar/7z/zip格式的文件时，将替换原文件,否则\r\n将做忽略处理。"},
      {"chkCompressPwd", "给输出压缩包设置密码", ""},
      {"edtPwd", "", "输出的压缩包将进行加密处理"},
      {"chkLockRAR", "锁定压缩包(只支持RAR)",
       "当输出文件为rar时，支持本功能。\r\n\r\n锁定后，压缩包将不能修改。"},
      {"Label8", "默认解压密码", ""},
      {"edtUnCompressPwd", "",
       "对于RAR/Zip/7Z文件，如果需要密码，则使用该密码解压，如果不需要密码，则忽略该密码解压。\r\n"
       "对于其他文件，如果不需要密码，而输入了密码，则会提示解压失败。"},
      {"chkDeleteAds", "自动删除多余文件",
       "本功能将根据系统配置(自动删除文件列表)"
       "来删除指定的无用文件。\r\n\r\n注意：本功能对原文件为非压缩格式的文件无用。"},
      {"chkNested", "同时解压压缩包内的压缩包，层数", nestedHint},
      {"spnNestedDepth", "", nestedHint},
      {"chkDelVer", "自动删除输出压缩包文件名中的版本号字符串",
       "勾选本项，如果输出的压缩包文件名包含版本号信息，将自动删除\r\n版本号。\r\n\r\n"
       "例如压缩包文件名为XXXXV1.0.rar,则处理过后的文件名为XXXX.rar"},
      {"chkDelRarFileName", "自动删除压缩包内文件名中的特定字符串",
       "本功能将根据系统配置(根据“过滤文件名”列表来操作)来重命名压缩包内的文件。\r\n\r\n"
       "注意：本功能对列表中的非压缩文件无用,同时不处理ini文件。"},
      {"chkMustToFolder", "压缩包内的根目录下如果只有一个文件夹，则把必备文件放入该文件夹内",
       "如果压缩包的一级目录下只有一个文件夹，并且没有其它文件，那么将会\r\n把压缩包必备文件释放到子目录下。"
       "\r\n\r\n"
       "注意：本功能对列表中的非压缩文件无用。"},
      {"chkNoCompressEXE", "不解压exe自解压文件，而是直接打包",
       "如果自解压文件的扩展名不是exe，则依旧会被解压。"},
      {"chkPluginFormats", "解压有插件的其他格式(tar.gz、iso、cab等)",
       "勾选本项，原文件不是RAR/ZIP/7Z/exe文件时，如果引擎目录中有其扩展名的解压插件(*.pk)，\r\n"
       "则用该插件解压，清理后再重新打包；没有插件的文件依旧直接打包。\r\n\r\n"
       "多段扩展名优先：例如x.tar.gz先使用targz.pk，没有时再使用gz.pk。\r\n\r\n"
       "注意：插件指定的解压程序不存在时，将提示“引擎加载失败”。"},
      {"Label10", "同时处理的压缩包数", ""},
      {"edtJobs", "",
       "同时解压、清理并打包的压缩包个数。\r\n\r\n0：每个处理器核心一个(默认)；1：处理完一个再处理下一个。"},
      {"chkInfoTip", "鼠标悬停列表时，显示输出压缩包内容提示", "只有当压缩完成后才能显示。"},
      {"chkKeepTime", "保留原文件时间", "勾选本项，输出的压缩包将使用原文件的修改时间。"},
      {"chkCopyFolder", "如果待压缩的是文件夹,则先复制到临时文件夹再处理",
       "如果待压缩的是文件夹,则先复制到临时文件夹再处理。\r\n\r\n勾选本项,"
       "可以避免压缩时误删原文件夹里的内容。\r\n\r\n"
       "注意:勾选本项，将导致处理文件夹时耗时变长。"},
      {"Label5", "给压缩包添加注释，请在下面文本框输入注释内容。(暂时只支持输出格式为rar和zip格式的文件)",
       ""},
      {"Label4", "删除压缩包内符合要求的指定文件。", "每行一个，支持通配符。"},
      {"mmoList", "", wildcards + "\r\n例如要删除文件名包含xx的txt文件，则直接填写“*xx*.txt”即可"},
      {"Label1", "保存的压缩包如果包含指定名称,则删除该部分名称,只对按原文件名命名有效", ""},
      {"mmoFileNameDelete", "", "每行一个"},
      {"Label2", "检测到压缩包内的文本文件(*.txt)内容中包含指定字符串，则删除该文件。", ""},
      {"Label9",
       "检测到压缩包内的文本文件(*.txt)"
       "内容中包含指定字符串，则替换成指定内容。本操作发生在“txt文件清理”之前。",
       ""},
      {"btnOpenMustFolder", "打开压缩必备文件夹",
       "打开后，将文件拖放到该文件夹下，那么在输出的每一个压缩包里\r\n都会包含该文件夹下的文件。"},
      {"btnOK", "确定", ""},
      {"btnCancel", "取消", ""},
  };
  for (const auto& c : controls) {
    SCOPED_TRACE(c.name);
    const QWidget* widget = ui.Get<QWidget>(c.name);
    QString caption;
    if (auto* label = qobject_cast<const QLabel*>(widget)) caption = label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(widget)) caption = button->text();
    if (auto* group = qobject_cast<const QGroupBox*>(widget)) caption = group->title();
    EXPECT_EQ(caption, c.caption);
    EXPECT_EQ(widget->toolTip(), c.hint);
    // A hint Qt took for markup would lose its "<...>" parts.
    EXPECT_FALSE(Qt::mightBeRichText(widget->toolTip()));
  }
  const QString tip = ui.Get<QWidget>("mmoTxtDelete")->toolTip();
  EXPECT_TRUE(tip.startsWith(wildcards + QStringLiteral("\r\n"))) << tip.toStdString();
  EXPECT_EQ(tip.count(QStringLiteral("\r\n")), wildcards.count(QStringLiteral("\r\n")) + 1)
      << "one example line";

  auto items = [](const QComboBox* box) {
    QStringList texts;
    for (int i = 0; i < box->count(); ++i) texts << box->itemText(i);
    return texts;
  };
  EXPECT_EQ(items(ui.Get<QComboBox>("cbbFileName")), (QStringList{"按日期随机命名", "按原文件名命名"}));
  EXPECT_EQ(items(ui.Get<QComboBox>("cbbCompressExt")), (QStringList{"压缩为rar", "压缩为zip", "压缩为7z"}));
  EXPECT_EQ(items(ui.Get<QComboBox>("cbbOutputPath")), QStringList());
  EXPECT_TRUE(ui.Get<QComboBox>("cbbOutputPath")->isEditable());
  EXPECT_FALSE(ui.Get<QComboBox>("cbbFileName")->isEditable());
  EXPECT_EQ(ui.Get<QPlainTextEdit>("mmoList")->lineWrapMode(), QPlainTextEdit::NoWrap);
}

}  // namespace
