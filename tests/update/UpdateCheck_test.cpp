// The check against a real HTTP server on the loopback address: which address decides, what is
// found, and how TvxUpdate reacts (window, forced mode, application close).
#include <QSettings>
#include <QSignalSpy>

#include "LoopbackHttpServer.h"
#include "UpdateFixtures.h"
#include "support/TestSupport.h"
#include "update/ForceUpdateMark.h"
#include "update/UpdateCheck.h"
#include "update/vxUpdate.h"

namespace {

const QString kCurrent = QStringLiteral("1.0.0.0");

reUpdate Params(const QString& urls) {
  reUpdate params;
  params.Verison = kCurrent;
  params.UpdateUrl = urls;
  params.SoftId = QStringLiteral("Harrowmint");
  return params;
}

TEST(UpdateCheck, TheOfferedVersionDecides) {
  TLoopbackHttpServer server;
  struct Row {
    const char* name;
    QByteArray description;
    int haveUpdate;
  };
  const Row rows[] = {
      {"newer", DescriptionXml(Offering("2.0.0.0")), kUpdateFound},
      {"newer build", DescriptionXml(Offering("1.0.0.1")), kUpdateFound},
      {"equal", DescriptionXml(Offering("1.0.0.0")), kNoUpdate},
      {"older", DescriptionXml(Offering("0.9.9.9")), kNoUpdate},
      {"not XML", "<html><body>hello", kCheckFailed},
  };
  for (const Row& row : rows) {
    server.Serve("/u.xml", row.description);
    const TCheckResult result = CheckForUpdate(Params(server.Url("/u.xml")));
    EXPECT_EQ(result.haveUpdate, row.haveUpdate) << row.name;
  }
  EXPECT_EQ(CheckForUpdate(Params(server.Url("/missing.xml"))).haveUpdate, kCheckFailed) << "404";

  server.Serve("/u.xml", DescriptionXml(Offering("2.0.0.0", "http://host/p.zip")));
  const TUpdateOffer offer = CheckForUpdate(Params(server.Url("/u.xml"))).offer;
  EXPECT_EQ(offer.newVersion, "2.0.0.0");
  EXPECT_EQ(offer.updateDate, "2024-05-01");
  EXPECT_EQ(offer.des, "修复了若干问题\r\n新增批量模式");
  EXPECT_EQ(offer.fileUrl, "http://host/p.zip");
}

TEST(UpdateCheck, TheFirstAddressThatLoadsDecides) {
  TLoopbackHttpServer server;
  server.Serve("/Harrowmint.xml", DescriptionXml(Offering("2.0.0.0")));
  server.Serve("/second.xml", DescriptionXml(Offering("3.0.0.0")));

  // The first down, the second up; "<SoftId>" is replaced.
  TCheckResult result =
      CheckForUpdate(Params(TLoopbackHttpServer::RefusingUrl("/x.xml") + "\r\n" +
                            server.Url("/<SoftId>.xml") + "\n" + server.Url("/second.xml")));
  EXPECT_EQ(result.haveUpdate, kUpdateFound);
  EXPECT_EQ(result.offer.newVersion, "2.0.0.0");
  EXPECT_EQ(server.Requests(), QStringList{"GET /Harrowmint.xml"}) << "the later address is not asked";

  // Something that is not a description counts as down.
  server.Serve("/broken.xml", "garbage");
  result = CheckForUpdate(Params(server.Url("/broken.xml") + "\n" + server.Url("/second.xml")));
  EXPECT_EQ(result.offer.newVersion, "3.0.0.0");

  // Both down, or no address at all: nothing found.
  EXPECT_EQ(CheckForUpdate(Params(TLoopbackHttpServer::RefusingUrl("/a") + "\n" +
                                  TLoopbackHttpServer::RefusingUrl("/b")))
                .haveUpdate,
            kCheckFailed);
  EXPECT_EQ(CheckForUpdate(Params(QString())).haveUpdate, kCheckFailed);
}

TEST(UpdateCheck, CheckAddressesReplaceTheSoftIdOnEveryLine) {
  EXPECT_EQ(CheckAddresses("a/<SoftId>.xml\r\n\r\nb/<SoftId>/<SoftId>\n<softid>", "S"),
            (QStringList{"a/S.xml", "b/S/S", "<softid>"}));
}

// Records what TvxUpdate asks of the windows and answers as told.
struct TFakeWindows : IUpdateWindows {
  bool handOver = false;
  QList<TUpdateOffer> shown;
  QList<reUpdate> forced;
  bool ShowUpdate(const reUpdate& params, const TUpdateOffer& offer) override {
    EXPECT_FALSE(params.rebootUpdate);
    shown << offer;
    return handOver;
  }
  bool RunForced(const reUpdate& params) override {
    forced << params;
    return handOver;
  }
};

class UpdateComponent : public testing::Test {
 protected:
  void SetUp() override {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    update.SoftId = QStringLiteral("Harrowmint");
    update.AutoVersion = false;
    update.CurVerison = kCurrent;
  }
  // Starts a check and waits for its end; the haveUpdate reported.
  int Check() {
    QSignalSpy completed(&update, &TvxUpdate::OnCheckCompleted);
    update.SetActive(true);
    if (!completed.wait(20000)) return -99;
    return completed.takeFirst().at(0).toInt();
  }

  testsupport::TempDir settingsDir;
  TLoopbackHttpServer server;
  TFakeWindows windows;
  TvxUpdate update{windows};
};

TEST_F(UpdateComponent, ANewerVersionOpensTheWindowAndAHandOverClosesTheProgram) {
  server.Serve("/u.xml", DescriptionXml(Offering("2.0.0.0")));
  update.Url = server.Url("/u.xml");
  QSignalSpy close(&update, &TvxUpdate::OnApplicationClose);

  EXPECT_EQ(Check(), kUpdateFound);
  ASSERT_EQ(windows.shown.size(), 1);
  EXPECT_EQ(windows.shown[0].newVersion, "2.0.0.0");
  EXPECT_EQ(close.size(), 0) << "the user did not start the update";

  windows.handOver = true;
  EXPECT_EQ(Check(), kUpdateFound);
  EXPECT_EQ(close.size(), 1);
  EXPECT_TRUE(update.ApplicationCloseRequested());
}

TEST_F(UpdateComponent, NothingIsShownWhenNothingNewerOrNoServer) {
  server.Serve("/u.xml", DescriptionXml(Offering(kCurrent)));
  update.Url = server.Url("/u.xml");
  EXPECT_EQ(Check(), kNoUpdate);
  update.Url = TLoopbackHttpServer::RefusingUrl("/a.xml") + "\n" + TLoopbackHttpServer::RefusingUrl("/b.xml");
  EXPECT_EQ(Check(), kCheckFailed);
  EXPECT_TRUE(windows.shown.isEmpty());
  EXPECT_TRUE(windows.forced.isEmpty());
}

TEST_F(UpdateComponent, AVersionBelowTheLowestAllowedGetsTheWindowWithoutDownload) {
  TAttributes description = Offering("2.0.0.0");
  description << qMakePair(QStringLiteral("AllowUpdateMinVer"), QStringLiteral("1.5.0.0"));
  server.Serve("/u.xml", DescriptionXml(description));
  update.Url = server.Url("/u.xml");
  EXPECT_EQ(Check(), kUpdateFound);
  ASSERT_EQ(windows.shown.size(), 1);
  EXPECT_EQ(windows.shown[0].SupportUpdate, 0);
}

TEST_F(UpdateComponent, TheForcedMarkOfThisVersionOpensTheForcedWindowAtOnce) {
  server.Serve("/u.xml", DescriptionXml(Offering("2.0.0.0")));
  update.Url = server.Url("/u.xml");

  // A mark left by another version: the usual check.
  TForceUpdateMark(update.SoftId).Write("0.9.0.0");
  EXPECT_EQ(Check(), kUpdateFound);
  EXPECT_TRUE(windows.forced.isEmpty());

  // This version declined a forced update: the window in forced mode before SetActive returns,
  // and no check of the component's own.
  TForceUpdateMark(update.SoftId).Write(kCurrent);
  const int requestsBefore = int(server.Requests().size());
  windows.handOver = true;
  QSignalSpy close(&update, &TvxUpdate::OnApplicationClose);
  update.SetActive(true);
  ASSERT_EQ(windows.forced.size(), 1);
  EXPECT_TRUE(windows.forced[0].rebootUpdate);
  EXPECT_EQ(windows.forced[0].Verison, kCurrent);
  EXPECT_EQ(windows.forced[0].UpdateUrl, update.Url);
  EXPECT_EQ(close.size(), 1);
  EXPECT_FALSE(update.IsChecking());
  EXPECT_EQ(server.Requests().size(), requestsBefore);
}

TEST_F(UpdateComponent, AForcedDescriptionAsksToRememberADeclinedUpdate) {
  TAttributes description = Offering("2.0.0.0");
  description << qMakePair(QStringLiteral("ForceUpdate"), QStringLiteral("1"))
              << qMakePair(QStringLiteral("ForceUpdateRule"), B64("0.1.0.0-1.0.0.0"))
              << qMakePair(QStringLiteral("RebootForceUpdate"), QStringLiteral("1"));
  server.Serve("/u.xml", DescriptionXml(description));
  update.Url = server.Url("/u.xml");
  EXPECT_EQ(Check(), kUpdateFound);
  ASSERT_EQ(windows.shown.size(), 1);
  EXPECT_TRUE(RemembersDeclinedUpdate(windows.shown[0], false));
  EXPECT_FALSE(RemembersDeclinedUpdate(windows.shown[0], true));

  TUpdateOffer notRepeated = windows.shown[0];
  notRepeated.RebootForceUpdate = false;
  EXPECT_FALSE(RemembersDeclinedUpdate(notRepeated, false));
}

TEST_F(UpdateComponent, DestroyingTheComponentDuringACheckEndsIt) {
  THttpRoute slow;
  slow.body = DescriptionXml(Offering("2.0.0.0")).repeated(50);
  slow.chunkSize = 64;
  slow.chunkDelayMs = 200;
  server.Serve("/slow.xml", slow);
  auto component = std::make_unique<TvxUpdate>(windows);
  component->Url = server.Url("/slow.xml");
  component->SetActive(true);
  EXPECT_TRUE(component->IsChecking());
  component.reset();  // must neither hang nor show anything
  EXPECT_TRUE(windows.shown.isEmpty());
}

}  // namespace
