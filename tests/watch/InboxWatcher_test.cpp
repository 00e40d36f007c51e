// The watcher over a scripted facade: what arrives is taken once it is complete, once each, by
// one watcher or two; volume sets are one item; failures go to failed/; the first stop lets items
// finish, the second puts them back; a watch that would feed on its own outputs does not start.
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>

#include <fcntl.h>
#include <unistd.h>
#include <atomic>
#include <mutex>
#include <thread>

#include "app/FakeFacade.h"
#include "app/StatusTexts.h"
#include "support/TestSupport.h"
#include "watch/InboxWatcher.h"

using namespace std::chrono_literals;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::TreeListing;
using testsupport::WaitFor;
using testsupport::WriteFile;

namespace {

using TClock = std::chrono::steady_clock;

// A program folder, an inbox and an output folder, and watchers over them on threads of their own.
struct WatchHome {
  TempDir dir;
  TProgramPaths paths{dir.file("home")};
  TSettings settings;
  QString inbox = dir.file("in");
  FakeFacade fake;

  struct Watcher {
    std::unique_ptr<TInboxWatcher> watcher;
    std::thread thread;
    TWatchEnd end;
  };
  std::vector<std::unique_ptr<Watcher>> watchers;
  std::mutex mutex;  // what the watchers tell
  QList<TWatchedItem> finished;
  QList<TClock::time_point> finishedAt;

  WatchHome() {
    settings.OutputFolder = dir.file("out");
    settings.CompressExt = ofZIP;
    settings.LockRAR = false;
    testsupport::MakeDir(inbox);
  }
  ~WatchHome() {
    for (const auto& w : watchers) w->watcher->Stop();
    for (const auto& w : watchers)
      if (w->thread.joinable()) w->thread.join();
  }
  QString In(const QString& name) const { return inbox + '/' + name; }
  QString Done(const QString& name = {}) const { return inbox + "/.harrowmint/done/" + name; }
  QString Failed(const QString& name = {}) const { return inbox + "/.harrowmint/failed/" + name; }

  Watcher& Start(int jobs = 2, std::chrono::milliseconds settle = 300ms, const QString& host = {}) {
    watchers.push_back(std::make_unique<Watcher>());
    Watcher& w = *watchers.back();
    w.watcher = std::make_unique<TInboxWatcher>(
        paths, TWatchOptions{inbox, settle, jobs, host}, [this] { return settings; },
        TInboxWatcher::TEvents{[this](const TWatchedItem& item) {
                                 std::lock_guard lock(mutex);
                                 finished << item;
                                 finishedAt << TClock::now();
                               },
                               {}},
        Factory(fake));
    w.thread = std::thread([&w] { w.end = w.watcher->Run(); });
    return w;
  }
  // Started: its claimed folder is there, and with it the kernel's notifications.
  bool Watching() const {
    return !QDir(inbox + "/.harrowmint/claimed").entryList(QDir::Dirs | QDir::NoDotAndDotDot).isEmpty();
  }
  TWatchEnd Stop(Watcher& w) {
    w.watcher->Stop();
    w.thread.join();
    return w.end;
  }
  int FinishedCount() {
    std::lock_guard lock(mutex);
    return int(finished.size());
  }
  QList<QJsonObject> Journal() const {
    QList<QJsonObject> lines;
    for (const QByteArray& line : ReadFile(inbox + "/.harrowmint/journal.jsonl").split('\n'))
      if (!line.isEmpty()) lines << QJsonDocument::fromJson(line).object();
    return lines;
  }
  // A file made outside the inbox and renamed in whole, as an upload tool finishing does.
  void RenameIn(const QString& name, const QByteArray& content) const {
    WriteFile(dir.file("staging/" + name), content);
    ASSERT_TRUE(QFile::rename(dir.file("staging/" + name), In(name)));
  }
};

TEST(InboxWatcher, TakesEachArrivalOnceWhenItIsComplete) {
  WatchHome h;
  h.fake.archives["game.zip"].content = {{"game.bin", "g"}};
  WatchHome::Watcher& w = h.Start();
  ASSERT_TRUE(WaitFor([&h] { return h.Watching(); }));

  h.RenameIn("game.zip", "zip bytes");
  // A slow upload that pauses longer than the settle time with the file open.
  std::atomic<TClock::time_point> closedAt{};
  std::thread writer([&h, &closedAt] {
    const int fd = ::open(h.In("slow.bin").toUtf8().constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    for (int chunk = 0; chunk < 3; ++chunk) {
      ASSERT_EQ(::write(fd, "0123456789", 10), 10);
      QThread::msleep(700);
    }
    closedAt = TClock::now();
    ::close(fd);
  });
  // A folder filled in steps.
  WriteFile(h.In("Folder/one.bin"), "1");
  QThread::msleep(150);
  WriteFile(h.In("Folder/sub/two.bin"), "2");
  // Partial and hidden names stay; a partial upload renamed to its name arrives.
  WriteFile(h.In("left.crdownload"), "never");
  WriteFile(h.In(".hidden"), "never");
  WriteFile(h.In("upload.bin.part"), "upload");
  ASSERT_TRUE(QFile::rename(h.In("upload.bin.part"), h.In("upload.bin")));
  writer.join();

  ASSERT_TRUE(WaitFor([&h] { return h.FinishedCount() == 4; }));
  QThread::msleep(700);  // nothing more comes
  const TWatchEnd end = h.Stop(w);
  EXPECT_TRUE(end.started);
  EXPECT_EQ(end.message, "");
  EXPECT_EQ(end.successCount, 4);
  EXPECT_EQ(end.errorCount, 0);

  QMap<QString, TWatchedItem> items;
  for (const TWatchedItem& item : h.finished) items[QFileInfo(item.result.source).fileName()] = item;
  ASSERT_EQ(items.keys(), QStringList({"Folder", "game.zip", "slow.bin", "upload.bin"}));
  // The slow upload was taken only once its writer had closed it.
  const int slow =
      int(std::find_if(h.finished.begin(), h.finished.end(),
                       [](const TWatchedItem& i) { return i.result.source.endsWith("slow.bin"); }) -
          h.finished.begin());
  EXPECT_GT(h.finishedAt[slow], closedAt.load());

  EXPECT_EQ(TreeListing(h.Done()), QStringList({"Folder/", "Folder/one.bin", "Folder/sub/",
                                                "Folder/sub/two.bin", "game.zip", "slow.bin", "upload.bin"}));
  EXPECT_EQ(ReadFile(h.Done("slow.bin")), "012345678901234567890123456789");
  EXPECT_EQ(TreeListing(h.dir.file("out")),
            QStringList({"Folder.zip", "game.zip", "slow.zip", "upload.zip"}));
  EXPECT_EQ(QDir(h.inbox).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList({".harrowmint", ".hidden", "left.crdownload"}));

  const QList<QJsonObject> journal = h.Journal();
  ASSERT_EQ(journal.size(), 4);
  for (const QJsonObject& line : journal) {
    const TWatchedItem& item = items[QFileInfo(line["source"].toString()).fileName()];
    EXPECT_EQ(line["source"].toString(), h.In(QFileInfo(item.result.source).fileName()));
    EXPECT_EQ(line["status"].toString(), TStatusText::Packed);
    EXPECT_EQ(line["state"].toInt(), 1);
    EXPECT_EQ(line["output"].toString(), item.result.CompressPath);
    EXPECT_EQ(line["kept"].toString(), item.kept);
    EXPECT_EQ(line["index"].toInt(), item.index);
    EXPECT_FALSE(line["host"].toString().isEmpty());
    EXPECT_TRUE(QDateTime::fromString(line["time"].toString(), Qt::ISODateWithMs).isValid());
  }
  // Nothing is left claimed, and the runs left nothing behind.
  EXPECT_EQ(TreeListing(h.inbox + "/.harrowmint/claimed"), QStringList());
  EXPECT_EQ(TreeListing(h.paths.tempRoot()), QStringList());
}

TEST(InboxWatcher, AVolumeSetIsOneItemOnceTheVolumeThatOpensItIsThere) {
  WatchHome h;
  h.fake.archives["set.part1.rar"] = {".rar", crSuccess, {}, {{"inside.bin", "i"}}};
  WatchHome::Watcher& w = h.Start();
  h.RenameIn("set.part2.rar", "two");
  h.RenameIn("set.part3.rar", "three");
  QThread::msleep(800);
  EXPECT_EQ(h.FinishedCount(), 0);  // the first volume is missing
  h.RenameIn("set.part1.rar", "one");
  ASSERT_TRUE(WaitFor([&h] { return h.FinishedCount() == 1; }));
  QThread::msleep(500);
  h.Stop(w);
  ASSERT_EQ(h.finished.size(), 1);
  EXPECT_EQ(h.finished[0].result.source, h.In("set.part1.rar"));
  EXPECT_EQ(h.finished[0].result.status, TStatusText::Packed);
  EXPECT_EQ(TreeListing(h.Done()), QStringList({"set.part1.rar", "set.part2.rar", "set.part3.rar"}));
  EXPECT_EQ(TreeListing(h.dir.file("out")), QStringList({"set.zip"}));
  EXPECT_EQ(h.Journal().size(), 1);
}

TEST(InboxWatcher, AFailedItemGoesToFailedWithItsLine) {
  WatchHome h;
  h.fake.archives["broken.zip"] = {".zip", crFailed, {}, {}};
  WatchHome::Watcher& w = h.Start();
  h.RenameIn("broken.zip", "bytes");
  ASSERT_TRUE(WaitFor([&h] { return h.FinishedCount() == 1; }));
  const TWatchEnd end = h.Stop(w);
  EXPECT_EQ(end.errorCount, 1);
  EXPECT_EQ(TreeListing(h.Failed()), QStringList({"broken.zip"}));
  ASSERT_EQ(h.Journal().size(), 1);
  EXPECT_EQ(h.Journal()[0]["status"].toString(), TStatusText::CannotExtract);
  EXPECT_EQ(h.Journal()[0]["state"].toInt(), -1);
  EXPECT_EQ(h.Journal()[0]["kept"].toString(), h.Failed("broken.zip"));
}

TEST(InboxWatcher, TheFirstStopLetsTheItemsFinishTheSecondPutsThemBack) {
  for (const bool twice : {false, true}) {
    SCOPED_TRACE(twice ? "stopped twice" : "stopped once");
    WatchHome h;
    h.settings.CompressExt = ofRAR;
    std::atomic<bool> packing{false}, release{false};
    h.fake.packFails = twice;  // a packer the stop ends reports a failure
    h.fake.whileRarRuns = [&] {
      packing = true;
      while (!release) QThread::msleep(5);
    };
    WatchHome::Watcher& w = h.Start(1);
    h.RenameIn("first.bin", "1");
    ASSERT_TRUE(WaitFor([&] { return packing.load(); }));
    h.RenameIn("second.bin", "2");
    QThread::msleep(500);  // ready, but no place is free
    w.watcher->Stop();
    if (twice) w.watcher->Stop();
    QThread::msleep(200);
    release = true;
    w.thread.join();
    EXPECT_TRUE(w.end.started);
    EXPECT_EQ(w.end.stoppedAtOnce, twice);
    EXPECT_EQ(w.end.message, "");
    if (twice) {
      EXPECT_EQ(h.FinishedCount(), 0);
      EXPECT_EQ(h.Journal().size(), 0);
      EXPECT_EQ(QDir(h.inbox).entryList(QDir::Files), QStringList({"first.bin", "second.bin"}));
    } else {
      ASSERT_EQ(h.FinishedCount(), 1);
      EXPECT_EQ(h.finished[0].result.status, TStatusText::Packed);
      EXPECT_EQ(TreeListing(h.Done()), QStringList({"first.bin"}));
      EXPECT_EQ(h.Journal().size(), 1);
      EXPECT_EQ(QDir(h.inbox).entryList(QDir::Files), QStringList({"second.bin"}));
    }
    EXPECT_EQ(TreeListing(h.inbox + "/.harrowmint/claimed"), QStringList());
  }
}

TEST(InboxWatcher, AWatchThatWouldTakeItsOwnOutputsOrHasNoFolderDoesNotStart) {
  struct Row {
    const char* name;
    std::function<void(WatchHome&)> setUp;
    QString messageStart;
  };
  const QList<Row> rows = {
      {"output folder in the inbox", [](WatchHome& h) { h.settings.OutputFolder = h.In("out"); },
       "the output folder"},
      {"the inbox itself as output folder", [](WatchHome& h) { h.settings.OutputFolder = h.inbox; },
       "the output folder"},
      {"program folder in the inbox", [](WatchHome& h) { h.paths = TProgramPaths(h.In("home")); },
       "the program folder"},
      {"no inbox", [](WatchHome& h) { QDir(h.inbox).removeRecursively(); }, "the watched folder"},
      {"an output folder that cannot be made",
       [](WatchHome& h) {
         WriteFile(h.dir.file("file"), "a file");
         h.settings.OutputFolder = h.dir.file("file/out");
       },
       TRunText::InvalidOutputFolder},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    WatchHome h;
    row.setUp(h);
    WatchHome::Watcher& w = h.Start();
    w.watcher->Stop();  // ends a watch that should not have started
    w.thread.join();
    EXPECT_FALSE(w.end.started);
    EXPECT_TRUE(w.end.message.startsWith(row.messageStart)) << w.end.message.toStdString();
    EXPECT_FALSE(QFileInfo::exists(h.inbox + "/.harrowmint"));
  }
}

// Two watchers on one inbox (as two hosts sharing it would be), several items at once each, while
// arrivals keep coming: every one is taken exactly once.
TEST(InboxWatcher, TwoWatchersTakeEveryArrivalExactlyOnce) {
  WatchHome h;
  WatchHome::Watcher& a = h.Start(3, 50ms, "host-a");
  WatchHome::Watcher& b = h.Start(3, 50ms, "host-b");
  constexpr int kItems = 80;
  for (int i = 0; i < kItems; ++i) h.RenameIn(QStringLiteral("item%1.bin").arg(i, 2, 10, QChar('0')), "x");
  ASSERT_TRUE(WaitFor([&h] { return h.FinishedCount() == kItems; }));
  QThread::msleep(300);
  const TWatchEnd endA = h.Stop(a), endB = h.Stop(b);
  EXPECT_EQ(endA.successCount + endB.successCount, kItems);
  EXPECT_EQ(h.FinishedCount(), kItems);

  QSet<QString> sources;
  QSet<QString> hosts;
  for (const QJsonObject& line : h.Journal()) {
    sources.insert(line["source"].toString());
    hosts.insert(line["host"].toString());
  }
  EXPECT_EQ(h.Journal().size(), kItems);
  EXPECT_EQ(sources.size(), kItems);
  EXPECT_EQ(QDir(h.Done()).entryList(QDir::Files).size(), kItems);
  // One output each, none with a suffix a second run of an item would have got.
  const QStringList outputs = QDir(h.dir.file("out")).entryList(QDir::Files);
  EXPECT_EQ(outputs.size(), kItems);
  EXPECT_TRUE(outputs.filter("_").isEmpty()) << outputs.join(' ').toStdString();
  EXPECT_EQ(QDir(h.inbox).entryList(QDir::Files), QStringList());
}

}  // namespace
