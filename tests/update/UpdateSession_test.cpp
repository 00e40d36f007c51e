// The update window's flow without a window: what it shows at each step of a download and
// hand-over, that a download which cannot start or stops never leaves the progress page waiting,
// the check of forced mode, and the forced-update mark when the window closes.
#include <QSettings>
#include <QTest>

#include "LoopbackHttpServer.h"
#include "UpdateFixtures.h"
#include "support/TestSupport.h"
#include "update/ForceUpdateMark.h"
#include "update/UpdateHandover.h"
#include "update/UpdateSession.h"
#include "update/UpdateTexts.h"

using testsupport::ReadFile;
using testsupport::TempDir;

namespace {

const QString kCurrent = QStringLiteral("1.0.0.0");

// Writes down what the session shows, one line a step.
class RecordingView : public IUpdateView {
 public:
  QStringList shown;
  bool manualAnswer = true;

  void ShowOffer(const TUpdateOffer& offer) override { shown << "offer " + offer.newVersion; }
  void ShowVersionUnknown() override { shown << "version unknown"; }
  void ShowChangeLog() override { shown << "page change log"; }
  void ShowLoading() override { shown << "page loading"; }
  void ShowDownloading() override { shown << "page downloading"; }
  void ShowError() override { shown << "page error"; }
  void ShowState(const QString& text) override { shown << "state " + text; }
  void ShowFigures(const TDownloadFigures& figures) override {
    if (shown.isEmpty() || !shown.last().startsWith("figures")) shown << "figures " + figures.total;
  }
  void ShowMessage(const QString& text, const QString& title) override { shown << title + ": " + text; }
  bool AskManualDownload() override {
    shown << "ask manual download";
    return manualAnswer;
  }
  void OpenAddress(const QString& url) override { shown << "open " + url; }
  void Close() override { shown << "close"; }

  bool Ended() const {
    return !shown.isEmpty() && (shown.last() == "close" || shown.last().startsWith(TUpdateText::ErrorTitle));
  }
};

class UpdateSession : public testing::Test {
 protected:
  void SetUp() override {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
  }

  QString ProgramFolder() const { return program.path() + '/'; }
  QString Record() const { return program.file("updater-ran.txt"); }

  // A zip update at the address, with the description's digest of these bytes.
  TUpdateOffer Offer(const QString& url, const QByteArray& body, const TAttributes& more = {}) {
    TAttributes description = Offering("2.0.0.0", url);
    description << qMakePair(QStringLiteral("newFileSha256"), Sha256Of(body)) << more;
    return OfferOf(description, kCurrent);
  }
  std::unique_ptr<TUpdateSession> Session(bool forced = false) {
    auto session = std::make_unique<TUpdateSession>(view, ProgramFolder());
    session->rebootUpdate = forced;
    session->UpdatePram = WindowParams(kCurrent);
    return session;
  }
  void WaitEnded() {
    EXPECT_TRUE(QTest::qWaitFor([this] { return view.Ended(); }, 20000)) << Shown();
  }
  std::string Shown() const { return view.shown.join(" | ").toStdString(); }

  TempDir program;
  TempDir settings;
  TLoopbackHttpServer server;
  RecordingView view;
};

TEST_F(UpdateSession, ADownloadShowsItsProgressAndHandsTheZipOver) {
  WriteRecordingProgram(UpdaterPath(ProgramFolder()), Record());
  THttpRoute package;
  package.body = QByteArray(64 * 1024, 'z');
  package.chunkDelayMs = 20;
  server.Serve("/p.zip", package);
  auto session = Session();
  session->SetOffer(Offer(server.Url("/p.zip"), package.body));
  session->Begin();
  session->Accept();
  session->Accept();  // while it downloads
  WaitEnded();
  EXPECT_EQ(view.shown,
            QStringList({"offer 2.0.0.0", "page change log", "state " + TUpdateText::StateDownloading,
                         "page downloading", "提示: 正在进行升级中，请稍后再试。", "figures 64.00KB",
                         "state " + TUpdateText::StateDone, "close"}));
  EXPECT_TRUE(WaitForFile(Record()));
  EXPECT_EQ(ReadFile(program.file("update/tmp.tmp")), package.body);
  EXPECT_FALSE(session->IsDownloading());
}

// Whatever stops a download, the window ends on its error page with a message: never on a progress
// page that waits for a transfer that will not come.
TEST_F(UpdateSession, ADownloadThatCannotStartOrStopsComingShowsTheError) {
  THttpRoute noHead;
  noHead.body = "PK";
  noHead.headAllowed = false;
  server.Serve("/nohead.zip", noHead);
  THttpRoute stalled;
  stalled.body = QByteArray(100000, 's');
  stalled.stallAfter = 1000;
  server.Serve("/stalled.zip", stalled);
  const QString failed = TUpdateText::ErrorTitle + ": " +
                         TUpdateText::ErrorMessage(TUpdateText::GetErrorId, TUpdateText::GetErrorPrefix);
  struct Row {
    const char* what;
    QString url;
    QString reason;  // the message's end; empty: whatever Qt says
  };
  const Row rows[] = {
      {"another scheme", QStringLiteral("ftp://127.0.0.1/p.zip"), TUpdateText::UnsupportedAddress},
      {"the size request refused", server.Url("/nohead.zip"), {}},
      {"nobody listening", TLoopbackHttpServer::RefusingUrl("/p.zip"), {}},
      {"the server stops sending", server.Url("/stalled.zip"), TUpdateText::ServerStopped},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    view.shown.clear();
    auto session = Session();
    session->SetTransferTimeout(500);
    session->SetOffer(Offer(row.url, stalled.body));
    session->Accept();
    WaitEnded();
    ASSERT_GE(view.shown.size(), 2);
    EXPECT_EQ(view.shown[view.shown.size() - 2], "page error");
    EXPECT_TRUE(view.shown.last().startsWith(failed)) << Shown();
    if (!row.reason.isEmpty()) {
      EXPECT_TRUE(view.shown.last().endsWith(row.reason)) << Shown();
    }
    EXPECT_FALSE(session->IsDownloading());
  }
}

TEST_F(UpdateSession, TheOkButtonOffersTheManualPageToAVersionThatMayNotUpdate) {
  auto session = Session();
  TUpdateOffer offer = Offer(server.Url("/p.zip"), "PK");
  offer.SupportUpdate = 0;
  offer.NoUpdateUrl = "http://127.0.0.1/manual";
  session->SetOffer(offer);
  view.manualAnswer = false;
  session->Accept();
  view.manualAnswer = true;
  session->Accept();
  session->OpenManualPage();
  EXPECT_EQ(view.shown, QStringList({"offer 2.0.0.0", "ask manual download", "ask manual download",
                                     "open http://127.0.0.1/manual", "open http://127.0.0.1/manual"}));
  EXPECT_EQ(server.Requests(), QStringList());
}

TEST_F(UpdateSession, ForcedModeChecksByItselfAndDownloadsOrShowsTheError) {
  WriteRecordingProgram(UpdaterPath(ProgramFolder()), Record());
  const QByteArray body(5000, 'f');
  server.Serve("/p.zip", body);
  TAttributes description = Offering("2.0.0.0", server.Url("/p.zip"));
  description << qMakePair(QStringLiteral("newFileSha256"), Sha256Of(body));
  server.Serve("/u.xml", DescriptionXml(description));
  TForceUpdateMark("Harrowmint").Write(kCurrent);

  // No description: the error page, and OK checks again.
  auto failing = Session(true);
  failing->UpdatePram.UpdateUrl = TLoopbackHttpServer::RefusingUrl("/u.xml");
  failing->Begin();
  EXPECT_TRUE(QTest::qWaitFor([this] { return view.shown.contains("page error"); }, 20000));
  EXPECT_EQ(view.shown, QStringList({"page loading", "version unknown", "page error"}));
  failing->UpdatePram.UpdateUrl = server.Url("/u.xml");
  failing->Accept();
  WaitEnded();
  EXPECT_EQ(view.shown.mid(3, 3), QStringList({"page loading", "offer 2.0.0.0", "page downloading"}));
  EXPECT_EQ(view.shown.last(), "close");
  EXPECT_TRUE(WaitForFile(Record()));
  EXPECT_EQ(TForceUpdateMark("Harrowmint").Read(), "") << "a completed forced update empties the mark";
}

TEST_F(UpdateSession, ClosingWithoutTheUpdateRemembersADeclinedForcedOne) {
  const TAttributes forced = {qMakePair(QStringLiteral("ForceUpdate"), QStringLiteral("1")),
                              qMakePair(QStringLiteral("ForceUpdateRule"), B64("1.0.0.0-1.5.0.0")),
                              qMakePair(QStringLiteral("RebootForceUpdate"), QStringLiteral("1"))};
  struct Row {
    const char* what;
    TAttributes more;
    bool handedOver;
    QString mark;
  };
  const Row rows[] = {
      {"a forced update declined", forced, false, kCurrent},
      {"a forced update handed over", forced, true, ""},
      {"an update that is not forced", {}, false, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    TForceUpdateMark("Harrowmint").Clear();
    auto session = Session();
    session->SetOffer(Offer(server.Url("/p.zip"), "PK", row.more));
    session->End(row.handedOver);
    EXPECT_EQ(TForceUpdateMark("Harrowmint").Read(), row.mark);
  }
}

}  // namespace
