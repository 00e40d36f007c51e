// What the dialog saves is what the next run does: the output format, the name template, a
// text-replacement rule and keeping the source's time, changed in the dialog, shape the archive a
// run makes right after OK.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include <QDateTime>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSpinBox>
#include <QTabWidget>
#include <QTreeWidget>

#include "MessageRecorder.h"
#include "SettingDialogFixture.h"
#include "app/RunnerFixture.h"
#include "gui/RuleDialog.h"
#include "gui/SettingDialog.h"

using namespace dialogtest;

namespace {

TEST(SettingDialogRun, ARunFollowsTheSettingsSavedByOk) {
  HM_REQUIRE_TOOL("unzip");
  RunnerHome h;
  testsupport::WriteFile(h.In("Game/readme.txt"), "visit www.example.net\r\n");
  // Enough that does not compress for the output to pass as a plausible archive.
  QByteArray noise(8192, Qt::Uninitialized);
  QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(noise.data()), noise.size() / 4);
  testsupport::WriteFile(h.In("Game/data.bin"), noise);
  const QDateTime sourceTime = QDateTime::fromSecsSinceEpoch(1000000000);
  ASSERT_TRUE(std::filesystem::exists(h.In("Game").toStdString()));
  std::filesystem::last_write_time(h.In("Game").toStdString(),
                                   std::filesystem::file_time_type::clock::from_sys(
                                       std::chrono::sys_seconds(std::chrono::seconds(1000000000))));
  TMessageRecorder messages;
  {
    TfrmSetting dialog(h.paths);
    dialog.show();
    Retype(Child<QComboBox>(dialog, "cbbOutputPath")->lineEdit(), h.home.path() + "/out/<yyyy>");
    Child<QComboBox>(dialog, "cbbCompressExt")->setCurrentIndex(1);
    Retype(Child<QLineEdit>(dialog, "edtFileName"), QStringLiteral("[站点]<name>"));
    Click(Child<QCheckBox>(dialog, "chkKeepTime"));
    Child<QTabWidget>(dialog, "PageControl1")->setCurrentIndex(5);
    AnswerModal<TfrmAddTxtReplace>([](TfrmAddTxtReplace& rule) {
      Retype(Child<QLineEdit>(rule, "edtDes"), QStringLiteral("new address"));
      TypeLines(Child<QPlainTextEdit>(rule, "mmoFrom"), {"www.example.net"});
      TypeLines(Child<QPlainTextEdit>(rule, "mmoTo"), {"www.example.com"});
      Click(Child<QPushButton>(rule, "btnOK"));
    });
    Child<QAction>(dialog, "N1")->trigger();
    Click(Child<QPushButton>(dialog, "btnOK"));
    ASSERT_EQ(dialog.result(), QDialog::Accepted) << messages.texts().join('|').toStdString();
  }

  // The main window reloads the settings after OK; the run takes them from there.
  h.settings = LoadSettings(h.paths);
  RecordingObserver observer;
  h.Run(observer, RunnerHome::Checked({h.In("Game")}));
  const QString archive = h.home.path() + "/out/" + QString::number(QDate::currentDate().year()) +
                          QStringLiteral("/[站点]Game.zip");
  ASSERT_EQ(observer.results[0].CompressPath, archive) << observer.results[0].status.toStdString();
  EXPECT_EQ(observer.results[0].rowState(), 1);
  const testsupport::ToolRun readme = testsupport::RunTool("unzip", {"-p", archive, "readme.txt"});
  EXPECT_EQ(readme.out, "visit www.example.com\r\n");
  EXPECT_EQ(QFileInfo(archive).lastModified(), sourceTime);

  // Reopened, the dialog shows them.
  TfrmSetting again(h.paths);
  EXPECT_EQ(Child<QComboBox>(again, "cbbCompressExt")->currentText(), QStringLiteral("压缩为zip"));
  EXPECT_EQ(Child<QLineEdit>(again, "edtFileName")->text(), QStringLiteral("[站点]<name>"));
  EXPECT_TRUE(Child<QCheckBox>(again, "chkKeepTime")->isChecked());
  Child<QTabWidget>(again, "PageControl1")->setCurrentIndex(5);
  EXPECT_EQ(Child<QTreeWidget>(again, "lvTxtReplace")->topLevelItem(0)->text(0),
            QStringLiteral("new address"));
}

}  // namespace
