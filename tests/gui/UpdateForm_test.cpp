// The update window, offscreen, against a loopback HTTP server: its pages and texts, the OK
// button's ways, the download with progress and hand-over, errors, and the forced-update mark.
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTest>

#include "LoopbackHttpServer.h"
#include "MessageRecorder.h"
#include "UpdateFixtures.h"
#include "gui/UpdateForm.h"
#include "support/TestSupport.h"
#include "update/ForceUpdateMark.h"
#include "update/LiveUpdate.h"
#include "update/UpdateAddresses.h"
#include "update/UpdateHandover.h"
#include "update/UpdateTexts.h"

using testsupport::ReadFile;
using testsupport::TempDir;

namespace {

const QString kCurrent = QStringLiteral("1.0.0.0");

template <class T>
T* Child(QWidget& form, const char* name) {
  T* child = form.findChild<T*>(QString::fromLatin1(name));
  EXPECT_NE(child, nullptr) << name;
  return child;
}

QString Text(QWidget& form, const char* label) { return Child<QLabel>(form, label)->text(); }

QString Page(QWidget& form) {
  return Child<QStackedWidget>(form, "RzPageControl1")->currentWidget()->objectName();
}

class UpdateWindow : public testing::Test {
 protected:
  void SetUp() override {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
  }
  void TearDown() override {
    if (form) form->hide();
  }

  QString ProgramFolder() const { return program.path() + '/'; }
  QString Record() const { return program.file("updater-ran.txt"); }
  void AddUpdater() { WriteRecordingProgram(UpdaterPath(ProgramFolder()), Record()); }

  reUpdate Params() const { return WindowParams(kCurrent); }

  // A zip update served at /p.zip, with its digest in the description.
  TUpdateOffer ZipOffer(const THttpRoute& route) {
    server.Serve("/p.zip", route);
    TAttributes description = Offering("2.0.0.0", server.Url("/p.zip"));
    description << qMakePair(QStringLiteral("newFileSha256"), Sha256Of(route.body))
                << qMakePair(QStringLiteral("MainExe"), B64("harrowmint"));
    return OfferOf(description, kCurrent);
  }
  TUpdateOffer ZipOffer(const QByteArray& body = QByteArrayLiteral("PK\x03\x04 package")) {
    THttpRoute route;
    route.body = body;
    return ZipOffer(route);
  }

  TfrmUpdate& Open(const TUpdateOffer* offer, bool forced = false) {
    form = std::make_unique<TfrmUpdate>(ProgramFolder());
    form->session().rebootUpdate = forced;
    form->session().UpdatePram = Params();
    if (offer) form->SetOffer(*offer);
    form->shellOpen = [this](const QString& url) {
      opened << url;
      return 33;
    };
    form->LoadUI();
    form->show();
    return *form;
  }
  void ClickOK() { QTest::mouseClick(Child<QPushButton>(*form, "imgBntOK"), Qt::LeftButton); }
  // Waits until the window closes; its result, or -1.
  int WaitClosed(int timeoutMs = 20000) {
    QSignalSpy finished(form.get(), &QDialog::finished);
    if (form->isHidden()) return form->result();
    if (!finished.wait(timeoutMs)) return -1;
    return finished.at(0).at(0).toInt();
  }

  TempDir program;
  TempDir settings;
  TLoopbackHttpServer server;
  TMessageRecorder messages;
  QStringList opened;
  std::unique_ptr<TfrmUpdate> form;
};

TEST_F(UpdateWindow, NormalModeShowsTheOffer) {
  const TUpdateOffer offer = ZipOffer();
  TfrmUpdate& f = Open(&offer);
  EXPECT_EQ(f.windowTitle(), "有新的版本");
  EXPECT_TRUE(f.windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_EQ(Text(f, "Label5"), "发现新版本,可升级至");
  EXPECT_EQ(Text(f, "lblVer"), "最新版本:2.0.0.0");
  EXPECT_EQ(Text(f, "lblVerDate"), "更新日期:2024-05-01");
  EXPECT_EQ(Child<QPlainTextEdit>(f, "mmoDes")->toPlainText(), "修复了若干问题\n新增批量模式");
  EXPECT_TRUE(Child<QPlainTextEdit>(f, "mmoDes")->isReadOnly());
  EXPECT_EQ(Page(f), "TabSheet1");
  EXPECT_TRUE(Child<QPushButton>(f, "imgBntOK")->isVisible());
  EXPECT_FALSE(Child<QProgressBar>(f, "imgUpdating")->isVisible());
  EXPECT_FALSE(Child<QPushButton>(f, "imgBntCancel")->isVisible());
  EXPECT_EQ(Text(f, "lblTotalCount"), "未知");
  EXPECT_EQ(Text(f, "lblState"), "状态:正在下载最新版安装包，请稍后...");

  TfrmUpdate pending(ProgramFolder());
  EXPECT_EQ(Text(pending, "lblVer"), "新版本：正在获取");
  EXPECT_EQ(Text(pending, "lblVerDate"), "更新日期：正在获取");
}

TEST_F(UpdateWindow, OKDownloadsWithProgressAndHandsOver) {
  AddUpdater();
  THttpRoute route;
  route.body = QByteArray(200 * 1024, 'z');
  route.chunkDelayMs = 30;
  const TUpdateOffer offer = ZipOffer(route);
  TfrmUpdate& f = Open(&offer);
  ClickOK();
  EXPECT_EQ(Page(f), "TabSheet2");
  EXPECT_FALSE(Child<QPushButton>(f, "imgBntOK")->isVisible());
  EXPECT_TRUE(Child<QProgressBar>(f, "imgUpdating")->isVisible());

  // A second click while it runs is refused with a message.
  f.imgBntOKClick();
  EXPECT_EQ(messages.texts(), QStringList{"正在进行升级中，请稍后再试。"});

  EXPECT_EQ(WaitClosed(), QDialog::Accepted);
  EXPECT_EQ(Text(f, "lblState"), "状态:下载完成。");
  EXPECT_EQ(Text(f, "lblTotalCount"), "200.00KB");
  EXPECT_EQ(Child<QProgressBar>(f, "RzProgressBar1")->value(),
            Child<QProgressBar>(f, "RzProgressBar1")->maximum());
  EXPECT_TRUE(Text(f, "lblSpeed").endsWith("/s"));
  EXPECT_EQ(ReadFile(program.file("update/tmp.tmp")), route.body);
  ASSERT_TRUE(WaitForFile(Record()));
  EXPECT_EQ(QString::fromUtf8(ReadFile(Record())), "update\n" + program.path() + "\n");
  EXPECT_EQ(ReadFile(program.file("tmp.updx")), HandoverText(offer.xml));
  EXPECT_EQ(messages.texts().size(), 1);
}

TEST_F(UpdateWindow, FailuresShowTheErrorPageAndStartNothing) {
  AddUpdater();
  struct Row {
    const char* name;
    THttpRoute route;
    QString sha256;  // replaces the description's digest when set
    QString expectedStart;
  };
  THttpRoute cut;
  cut.body = QByteArray(100000, 'c');
  cut.cutAfter = 20000;
  THttpRoute whole;
  whole.body = QByteArray(1000, 'w');
  const Row rows[] = {
      {"cut part-way", cut, {}, "发生错误geterror,原因如下:获取下载资源时发生错误:"},
      {"digest differs", whole, Sha256Of("something else"),
       "发生错误installerror,原因如下:升级包的SHA-256校验值"},
      {"no digest over http", whole, "-",
       "发生错误installerror,原因如下:升级包不是通过有效证书的HTTPS下载的"},
  };
  for (const Row& row : rows) {
    messages.clear();
    TUpdateOffer offer = ZipOffer(row.route);
    if (!row.sha256.isEmpty()) offer.fileSha256 = row.sha256 == "-" ? QString() : row.sha256;
    TfrmUpdate& f = Open(&offer);
    QSignalSpy finished(&f, &QDialog::finished);
    ClickOK();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !messages.messages().isEmpty(); }, 20000)) << row.name;
    ASSERT_EQ(messages.messages().size(), 1) << row.name;
    EXPECT_TRUE(messages.messages()[0].text.startsWith(row.expectedStart))
        << messages.messages()[0].text.toStdString();
    EXPECT_EQ(messages.messages()[0].title, "错误");
    EXPECT_EQ(Page(f), "rzTabError") << row.name;
    EXPECT_EQ(Text(f, "lblState"), "状态:发生错误。");
    EXPECT_TRUE(Child<QPushButton>(f, "imgBntOK")->isVisible()) << row.name << ": the user can try again";
    EXPECT_FALSE(Child<QProgressBar>(f, "imgUpdating")->isVisible());
    EXPECT_FALSE(f.IsDownloading());
    EXPECT_TRUE(finished.isEmpty()) << row.name << ": the program goes on";
    EXPECT_FALSE(WaitForFile(Record(), 300)) << row.name << ": the updater never ran";
    EXPECT_FALSE(QFileInfo::exists(program.file("tmp.updx"))) << row.name;
  }
}

TEST_F(UpdateWindow, AMissingUpdaterIsShownAsAnError) {
  const TUpdateOffer offer = ZipOffer();
  TfrmUpdate& f = Open(&offer);
  ClickOK();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !messages.messages().isEmpty(); }, 20000));
  EXPECT_EQ(messages.texts(),
            QStringList{TUpdateText::ErrorMessage("installerror", TUpdateText::UpdaterMissing)});
  EXPECT_EQ(Page(f), "rzTabError");
}

TEST_F(UpdateWindow, AVersionThatMayNotUpdateOffersTheManualPage) {
  TUpdateOffer offer = ZipOffer();
  offer.SupportUpdate = 0;
  offer.NoUpdateUrl = "http://127.0.0.1/manual";
  TfrmUpdate& f = Open(&offer);
  messages.SetAnswer(QMessageBox::Cancel);
  ClickOK();
  EXPECT_TRUE(opened.isEmpty());
  messages.SetAnswer(QMessageBox::Ok);
  ClickOK();
  EXPECT_EQ(opened, QStringList{"http://127.0.0.1/manual"});
  ASSERT_EQ(messages.messages().size(), 2);
  EXPECT_EQ(messages.messages()[0].text, "当前版本暂时不支持自动升级.\r\n是否打开下载页进行手动下载。");
  EXPECT_EQ(messages.messages()[0].title, "提示");
  EXPECT_EQ(messages.messages()[0].buttons, QMessageBox::Ok | QMessageBox::Cancel);
  EXPECT_EQ(Page(f), "TabSheet1") << "nothing else happens";
  EXPECT_EQ(server.Requests(), QStringList());
}

TEST_F(UpdateWindow, TheManualLinkOpensTheDescriptionsPageOrTheHomePage) {
  TUpdateOffer offer = ZipOffer();
  offer.NoUpdateUrl = "http://127.0.0.1/manual";
  TfrmUpdate& f = Open(&offer);
  f.ShowError();
  Q_EMIT Child<QLabel>(f, "lblClickUrl")->linkActivated("#manual");
  offer.NoUpdateUrl.clear();
  f.SetOffer(offer);
  f.lblClickUrlClick();
  EXPECT_EQ(opened, (QStringList{"http://127.0.0.1/manual", MakerHomePage()}));
}

TEST_F(UpdateWindow, ProgressFigures) {
  TfrmUpdate& f = Open(nullptr);
  f.ShowProgress(1048576, 4194304, 1048576, 1000);
  EXPECT_EQ(Text(f, "lblSpeed"), "1.00MB/s");
  EXPECT_EQ(Text(f, "lblTime"), "00:00:01");
  EXPECT_EQ(Text(f, "lblTotalCount"), "4.00MB") << "the package's size";
  EXPECT_EQ(Child<QProgressBar>(f, "RzProgressBar1")->value(), 250);
  f.ShowProgress(5000, 0, 0, 61000);  // size not reported
  EXPECT_EQ(Text(f, "lblTotalCount"), "未知");
  EXPECT_EQ(Text(f, "lblTime"), "00:01:01");
}

TEST_F(UpdateWindow, ClosingAForcedUpdateSetsTheMark) {
  TAttributes description = Offering("2.0.0.0");
  description << qMakePair(QStringLiteral("ForceUpdate"), QStringLiteral("1"))
              << qMakePair(QStringLiteral("ForceUpdateRule"), B64("1.0.0.0-1.5.0.0"))
              << qMakePair(QStringLiteral("RebootForceUpdate"), QStringLiteral("1"));
  TLiveUpdate live;
  live.SetCurrentVersion(GetVersion(kCurrent));
  live.LoadUpdateText(DescriptionXml(description));

  const TUpdateOffer forced = live.Offer();
  Open(&forced).reject();
  EXPECT_EQ(TForceUpdateMark("Harrowmint").Read(), kCurrent);

  // An update that is not forced leaves no mark.
  TForceUpdateMark("Harrowmint").Clear();
  const TUpdateOffer plain = ZipOffer();
  Open(&plain).reject();
  EXPECT_EQ(TForceUpdateMark("Harrowmint").Read(), "");
}

TEST_F(UpdateWindow, ForcedModeChecksAndDownloadsWithoutAClick) {
  AddUpdater();
  THttpRoute package;
  package.body = QByteArray(5000, 'f');
  package.chunkDelayMs = 20;
  package.chunkSize = 1000;
  server.Serve("/p.zip", package);
  TAttributes description = Offering("2.0.0.0", server.Url("/p.zip"));
  description << qMakePair(QStringLiteral("newFileSha256"), Sha256Of(package.body));
  server.Serve("/u.xml", DescriptionXml(description));
  TForceUpdateMark("Harrowmint").Write(kCurrent);

  form = std::make_unique<TfrmUpdate>(ProgramFolder());
  form->session().rebootUpdate = true;
  form->session().UpdatePram = Params();
  form->session().UpdatePram.UpdateUrl =
      TLoopbackHttpServer::RefusingUrl("/down.xml") + "\n" + server.Url("/u.xml");
  form->LoadUI();
  form->show();
  EXPECT_EQ(Page(*form), "rzTabLoading");
  EXPECT_EQ(Text(*form, "lblState2"), "状态:正在检测升级....");
  EXPECT_FALSE(Child<QPushButton>(*form, "imgBntOK")->isVisible());
  EXPECT_TRUE(QTest::qWaitFor([&] { return Page(*form) == "TabSheet2"; }, 20000));
  EXPECT_EQ(Text(*form, "lblVer"), "最新版本:2.0.0.0");
  EXPECT_EQ(WaitClosed(), QDialog::Accepted);
  EXPECT_TRUE(WaitForFile(Record()));
  EXPECT_EQ(TForceUpdateMark("Harrowmint").Read(), "") << "a completed forced update empties the mark";
  EXPECT_TRUE(messages.messages().isEmpty());
}

TEST_F(UpdateWindow, ForcedModeWithoutAnUpdateShowsTheErrorPage) {
  form = std::make_unique<TfrmUpdate>(ProgramFolder());
  form->session().rebootUpdate = true;
  form->session().UpdatePram = Params();
  form->session().UpdatePram.UpdateUrl = TLoopbackHttpServer::RefusingUrl("/down.xml");
  form->LoadUI();
  form->show();
  EXPECT_TRUE(QTest::qWaitFor([&] { return Page(*form) == "rzTabError"; }, 20000));
  EXPECT_EQ(Text(*form, "lblVer"), "最新版本:未知");
  EXPECT_EQ(Text(*form, "lblState"), "状态:发生错误。");
  EXPECT_TRUE(Child<QPushButton>(*form, "imgBntOK")->isVisible());

  // OK checks again; now the server has a description.
  server.Serve("/down.xml", DescriptionXml(Offering("1.0.0.0")));
  form->session().UpdatePram.UpdateUrl = server.Url("/down.xml");
  ClickOK();
  EXPECT_EQ(Page(*form), "rzTabLoading");
  EXPECT_TRUE(QTest::qWaitFor([&] { return Page(*form) == "rzTabError"; }, 20000))
      << "nothing newer: error again";
  EXPECT_EQ(server.Requests(), QStringList{"GET /down.xml"});
}

}  // namespace
