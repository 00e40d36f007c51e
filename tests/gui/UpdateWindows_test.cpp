// The update check as the program runs it: TvxUpdate with the real windows against a loopback
// server. A newer version opens the window, OK downloads and hands over, and the program is told
// to close; with no server nothing is shown; a declined forced update returns at the next start.
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "LoopbackHttpServer.h"
#include "MessageRecorder.h"
#include "UpdateFixtures.h"
#include "gui/UpdateForm.h"
#include "gui/UpdateWindows.h"
#include "support/TestSupport.h"
#include "update/ForceUpdateMark.h"
#include "update/UpdateHandover.h"

using testsupport::TempDir;

namespace {

const QString kCurrent = QStringLiteral("1.0.0.0");

class UpdateAtStart : public testing::Test {
 protected:
  void SetUp() override {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    WriteRecordingProgram(UpdaterPath(program.path() + '/'), Record());
    const QByteArray package = QByteArrayLiteral("PK\x03\x04 version two");
    server.Serve("/p.zip", package);
    description = Offering("2.0.0.0", server.Url("/p.zip"));
    description << qMakePair(QStringLiteral("newFileSha256"), Sha256Of(package));
    windows.prepare = [this](TfrmUpdate& form) {
      shown << &form;
      if (onShown) QTimer::singleShot(0, &form, [this, &form] { onShown(form); });
    };
  }
  void Serve(const TAttributes& attributes) { server.Serve("/Harrowmint.xml", DescriptionXml(attributes)); }
  std::unique_ptr<TvxUpdate> NewComponent() {
    auto update = std::make_unique<TvxUpdate>(windows);
    update->SoftId = QStringLiteral("Harrowmint");
    update->AutoVersion = false;
    update->CurVerison = kCurrent;
    update->Url = TLoopbackHttpServer::RefusingUrl("/down.xml") + "\n" + server.Url("/<SoftId>.xml");
    return update;
  }
  QString Record() const { return program.file("updater-ran.txt"); }

  TempDir program;
  TempDir settings;
  TLoopbackHttpServer server;
  TMessageRecorder messages;
  TAttributes description;
  TUpdateWindows windows{program.path() + '/'};
  QList<TfrmUpdate*> shown;
  std::function<void(TfrmUpdate&)> onShown;
};

TEST_F(UpdateAtStart, ANewerVersionIsShownDownloadedAndHandedOver) {
  Serve(description);
  QString version, date, changeLog;
  onShown = [&](TfrmUpdate& form) {
    version = form.findChild<QLabel*>("lblVer")->text();
    date = form.findChild<QLabel*>("lblVerDate")->text();
    changeLog = form.findChild<QPlainTextEdit*>("mmoDes")->toPlainText();
    EXPECT_TRUE(form.isModal());
    QTest::mouseClick(form.findChild<QPushButton*>("imgBntOK"), Qt::LeftButton);
  };
  auto update = NewComponent();
  QSignalSpy close(update.get(), &TvxUpdate::OnApplicationClose);
  QSignalSpy completed(update.get(), &TvxUpdate::OnCheckCompleted);
  update->SetActive(true);
  ASSERT_TRUE(completed.wait(30000));
  EXPECT_EQ(completed.at(0).at(0).toInt(), 1);
  EXPECT_EQ(shown.size(), 1);
  EXPECT_EQ(version, "最新版本:2.0.0.0");
  EXPECT_EQ(date, "更新日期:2024-05-01");
  EXPECT_EQ(changeLog, "修复了若干问题\n新增批量模式");
  EXPECT_EQ(close.size(), 1);
  EXPECT_TRUE(WaitForFile(Record()));
  EXPECT_TRUE(messages.messages().isEmpty());
}

TEST_F(UpdateAtStart, WithNoServerNothingIsShown) {
  auto update = NewComponent();
  update->Url =
      TLoopbackHttpServer::RefusingUrl("/a.xml") + "\n" + TLoopbackHttpServer::RefusingUrl("/b.xml");
  QSignalSpy completed(update.get(), &TvxUpdate::OnCheckCompleted);
  update->SetActive(true);
  ASSERT_TRUE(completed.wait(30000));
  EXPECT_EQ(completed.at(0).at(0).toInt(), -1);
  EXPECT_TRUE(shown.isEmpty());
  EXPECT_FALSE(update->ApplicationCloseRequested());
  EXPECT_TRUE(messages.messages().isEmpty());
}

TEST_F(UpdateAtStart, ADeclinedForcedUpdateReturnsBeforeTheMainWindowAtTheNextStart) {
  description << qMakePair(QStringLiteral("ForceUpdate"), QStringLiteral("1"))
              << qMakePair(QStringLiteral("ForceUpdateRule"), B64("0.0.0.1-1.0.0.0"))
              << qMakePair(QStringLiteral("RebootForceUpdate"), QStringLiteral("1"));
  Serve(description);

  // First start: the user closes the window.
  onShown = [](TfrmUpdate& form) { form.reject(); };
  auto first = NewComponent();
  QSignalSpy completed(first.get(), &TvxUpdate::OnCheckCompleted);
  first->SetActive(true);
  ASSERT_TRUE(completed.wait(30000));
  ASSERT_EQ(shown.size(), 1);
  EXPECT_FALSE(first->ApplicationCloseRequested());
  EXPECT_EQ(TForceUpdateMark("Harrowmint").Read(), kCurrent);

  // Next start: the window comes in forced mode while SetActive runs, and downloads by itself.
  onShown = {};
  shown.clear();
  auto next = NewComponent();
  next->SetActive(true);
  ASSERT_EQ(shown.size(), 1);
  EXPECT_TRUE(next->ApplicationCloseRequested()) << "the main window is never shown";
  EXPECT_TRUE(WaitForFile(Record()));
  EXPECT_EQ(TForceUpdateMark("Harrowmint").Read(), "");
}

}  // namespace
