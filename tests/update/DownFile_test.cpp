// The download component against a loopback HTTP server: size first, ranged transfer, progress,
// and every way a transfer fails.
#include <QSignalSpy>

#include "LoopbackHttpServer.h"
#include "support/TestSupport.h"
#include "update/TransferFigures.h"
#include "update/UpdateTexts.h"
#include "update/vxDownFile.h"

using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

QByteArray Payload(int size) {
  QByteArray bytes(size, '\0');
  for (int i = 0; i < size; ++i) bytes[i] = char((i * 7 + i / 251) & 0xFF);
  return bytes;
}

// One download and everything it reported.
struct Download {
  TempDir dir;
  TvxDownFile down;
  QSignalSpy begin{&down, &TvxDownFile::OnDownBegin};
  QSignalSpy progress{&down, &TvxDownFile::OnDown};
  QSignalSpy end{&down, &TvxDownFile::OnDownEnd};
  QSignalSpy error{&down, &TvxDownFile::OnError};

  QString Target() const { return dir.file("update/tmp.tmp"); }
  // Starts and waits for the end; the Start result.
  bool Run(const QString& url, bool resume = false) {
    down.SavePath = Target();
    down.SetUrl(url);
    const bool started = down.Start(resume);
    if (end.isEmpty()) {
      EXPECT_TRUE(end.wait(20000)) << "the transfer never ended";
    }
    EXPECT_EQ(end.size(), 1) << "one end per transfer";
    return started;
  }
  bool Complete() const { return end.size() == 1 && end.at(0).at(0).toBool(); }
  QString ErrorId() const { return error.isEmpty() ? QString() : error.at(0).at(0).toString(); }
  QString ErrorText() const { return error.isEmpty() ? QString() : error.at(0).at(1).toString(); }
};

TEST(DownFile, AsksForTheSizeThenFetchesEverythingWithProgress) {
  TLoopbackHttpServer server;
  const QByteArray payload = Payload(300 * 1024);
  THttpRoute route;
  route.body = payload;
  route.chunkDelayMs = 25;  // Qt reports progress at most every 100 ms
  server.Serve("/p.zip", route);

  Download d;
  WriteFile(d.Target(), Payload(500 * 1024));  // an older, longer file is replaced whole
  EXPECT_TRUE(d.Run(server.Url("/p.zip")));
  EXPECT_TRUE(d.Complete());
  EXPECT_TRUE(d.error.isEmpty());
  EXPECT_EQ(ReadFile(d.Target()), payload);
  EXPECT_EQ(server.Requests(), (QStringList{"HEAD /p.zip", "GET /p.zip Range=bytes=0-"}));
  EXPECT_EQ(d.down.BytesToTransfer(), payload.size());
  EXPECT_FALSE(d.down.CameOverVerifiedHttps());

  ASSERT_EQ(d.begin.size(), 1);
  EXPECT_EQ(d.begin.at(0).at(0).toLongLong(), payload.size());
  ASSERT_GE(d.progress.size(), 2) << "progress arrives while the body comes";
  qint64 last = 0;
  for (const QList<QVariant>& step : d.progress) {
    EXPECT_GE(step.at(0).toLongLong(), last);
    last = step.at(0).toLongLong();
    EXPECT_EQ(step.at(1).toLongLong(), payload.size());
    EXPECT_EQ(step.at(2).toInt(), int(last * 100 / payload.size()));
    EXPECT_GE(step.at(3).toLongLong(), 0);
  }
  EXPECT_EQ(last, payload.size());
  EXPECT_EQ(d.progress.last().at(2).toInt(), 100);
}

TEST(DownFile, ResumeAsksForTheRestFromTheLastByte) {
  TLoopbackHttpServer server;
  const QByteArray payload = Payload(10000);
  server.Serve("/p.zip", payload);
  Download d;
  WriteFile(d.Target(), payload.left(4000));
  d.Run(server.Url("/p.zip"), true);
  EXPECT_TRUE(d.Complete());
  EXPECT_EQ(ReadFile(d.Target()), payload);
  EXPECT_EQ(server.Requests().last(), "GET /p.zip Range=bytes=3999-10000");
  EXPECT_EQ(d.progress.last().at(0).toLongLong(), 10000);

  // A server that ignores ranges sends everything: the file starts over rather than doubling.
  THttpRoute noRanges;
  noRanges.body = payload;
  noRanges.acceptRanges = false;
  server.Serve("/whole.zip", noRanges);
  Download again;
  WriteFile(again.Target(), payload.left(4000));
  again.Run(server.Url("/whole.zip"), true);
  EXPECT_TRUE(again.Complete());
  EXPECT_EQ(ReadFile(again.Target()), payload);
}

TEST(DownFile, ATransferCutPartWayIsAFailure) {
  TLoopbackHttpServer server;
  THttpRoute cut;
  cut.body = Payload(200000);
  cut.cutAfter = 50000;
  server.Serve("/p.zip", cut);
  Download d;
  d.Run(server.Url("/p.zip"));
  EXPECT_FALSE(d.Complete());
  EXPECT_TRUE(d.down.HaveError());
  EXPECT_EQ(d.ErrorId(), TUpdateText::GetErrorId);
  EXPECT_TRUE(d.ErrorText().startsWith(TUpdateText::GetErrorPrefix)) << d.ErrorText().toStdString();
  EXPECT_EQ(d.error.size(), 1);
}

TEST(DownFile, FailuresBeforeTheTransferAreReported) {
  TLoopbackHttpServer server;
  THttpRoute noHead;
  noHead.body = Payload(100);
  noHead.headAllowed = false;
  server.Serve("/nohead.zip", noHead);
  struct Row {
    const char* name;
    QString url;
  };
  const Row rows[] = {
      {"missing", server.Url("/missing.zip")},
      {"size request refused", server.Url("/nohead.zip")},
      {"nobody listening", TLoopbackHttpServer::RefusingUrl("/p.zip")},
      {"ftp", QStringLiteral("ftp://127.0.0.1/p.zip")},
      {"no address", QString()},
  };
  for (const Row& row : rows) {
    Download d;
    EXPECT_TRUE(d.Run(row.url)) << row.name;
    EXPECT_FALSE(d.Complete()) << row.name;
    EXPECT_EQ(d.ErrorId(), TUpdateText::GetErrorId) << row.name;
    EXPECT_TRUE(d.begin.isEmpty()) << row.name << ": no transfer began";
  }
  EXPECT_FALSE(server.Requests().contains("GET /nohead.zip Range=bytes=0-"));
}

TEST(DownFile, AFolderThatCannotBeMadeStopsStart) {
  Download d;
  WriteFile(d.dir.file("blocker"), "a file where a folder should be");
  d.down.SavePath = d.dir.file("blocker/update/tmp.tmp");
  d.down.SetUrl("http://127.0.0.1:9/p.zip");
  EXPECT_FALSE(d.down.Start(false));
  ASSERT_EQ(d.error.size(), 1);
  EXPECT_EQ(d.ErrorId(), "cannotcreatedir");
  EXPECT_EQ(d.ErrorText(), "不能创建目录");
  EXPECT_EQ(d.end.size(), 1);

  d.down.SetUrl("http://127.0.0.1:9/other.zip");
  EXPECT_FALSE(d.down.HaveError()) << "a new address clears the error state";
}

TEST(DownFile, StopEndsTheTransferAsAFailure) {
  TLoopbackHttpServer server;
  THttpRoute slow;
  slow.body = Payload(400000);
  slow.chunkDelayMs = 20;
  slow.chunkSize = 4096;
  server.Serve("/p.zip", slow);
  Download d;
  QObject::connect(&d.down, &TvxDownFile::OnDown, &d.down, [&] { d.down.Stop(); });
  d.Run(server.Url("/p.zip"));
  EXPECT_FALSE(d.Complete());
  EXPECT_EQ(d.ErrorId(), TUpdateText::GetErrorId);
  EXPECT_LT(testsupport::ReadFile(d.Target()).size(), 400000);
}

TEST(TransferFigures, SpeedPercentRangeAndTexts) {
  EXPECT_EQ(TransferSpeed(1048576, 0, 1000, 0), 1048576);
  EXPECT_EQ(TransferSpeed(3000, 1000, 1500, 500), 2000);
  EXPECT_EQ(TransferSpeed(3000, 1000, 500, 500), 0) << "no time passed";
  EXPECT_EQ(TransferPercent(50, 200), 25);
  EXPECT_EQ(TransferPercent(50, 0), -1) << "size not reported";
  EXPECT_EQ(RangeHeader(false, 500, 1000), "bytes=0-");
  EXPECT_EQ(RangeHeader(true, 0, 1000), "bytes=0-");
  EXPECT_EQ(RangeHeader(true, 500, 1000), "bytes=499-1000");
  EXPECT_EQ(RangeHeader(true, 500, 0), "bytes=499-");
  EXPECT_EQ(RangeStart(true, 500), 499);
  EXPECT_EQ(RangeStart(false, 500), 0);
  EXPECT_EQ(SpeedText(1048576), "1.00MB/s");
  EXPECT_EQ(ElapsedText(3723999), "01:02:03");
  EXPECT_EQ(ElapsedText(0), "00:00:00");
}

}  // namespace
