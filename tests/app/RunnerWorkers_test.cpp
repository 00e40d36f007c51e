// The runner on one, two and four workers with the real engines: a mixed batch of ZIP, 7z and RAR
// sources into every output format, in which several items want one output name, and a stop
// half-way. Whatever the workers, every item ends as it would alone and its output holds its own
// files; a stop leaves only finished outputs, no held name, no work folder.
#include <QDir>
#include <atomic>
#include <chrono>
#include <thread>

#include "IndependentListing.h"
#include "RunnerFixture.h"
#include "app/StatusTexts.h"

using testsupport::RandomBytes;
using testsupport::RunTool;
using testsupport::TreeListing;
using testsupport::WriteFile;

namespace {

constexpr int kWorkerCounts[] = {1, 2, 4};

// A tree whose marker file names its source, so an output that took another item's files shows.
QString MarkedTree(const RunnerHome& h, const QString& marker) {
  const QString tree = h.home.file("tree-" + marker);
  WriteFile(tree + "/" + marker + ".bin", RandomBytes(30000));
  WriteFile(tree + "/visit.url", "[InternetShortcut]\r\n");
  return tree;
}

struct Item {
  QString name;
  QString status;
  QString marker;  // the file the output holds beside Readme.txt; empty: no output
};

TEST(RunnerWorkers, AMixedBatchEndsAsOneWorkerEndsItInEveryFormat) {
  for (const char* tool : {"zip", "7z", "rar", "unzip", "unrar"}) HM_REQUIRE_TOOL(tool);
  RunnerHome h;
  h.LinkBuiltEngines();
  h.Data("delete.dat", "*.url\r\n");
  h.Data("MustFiles/Readme.txt", "must have\r\n");
  ASSERT_EQ(RunTool("zip", {"-qr", h.In("game.zip"), "."}, MarkedTree(h, "from-zip")).exitCode, 0);
  ASSERT_EQ(RunTool("7z", {"a", "-bd", h.In("game.7z"), "."}, MarkedTree(h, "from-7z")).exitCode, 0);
  ASSERT_EQ(RunTool("rar", {"a", "-r", "-ep1", "-idq", h.In("game.rar"), MarkedTree(h, "from-rar") + "/*"}).exitCode,
            0);
  ASSERT_EQ(
      RunTool("rar", {"a", "-r", "-ep1", "-idq", "-psecret", h.In("locked.rar"), MarkedTree(h, "locked") + "/*"})
          .exitCode,
      0);
  WriteFile(h.In("damaged.zip"), "PK\x03\x04" + RandomBytes(3000));
  ASSERT_TRUE(QDir().rename(MarkedTree(h, "from-folder"), h.In("game")));
  WriteFile(h.In("file.bin"), RandomBytes(9000));

  // Four items want "game" and get it or a suffix, whichever is named first.
  const Item items[] = {
      {"game.zip", TStatusText::Packed, "from-zip.bin"},  {"game.7z", TStatusText::Packed, "from-7z.bin"},
      {"game.rar", TStatusText::Packed, "from-rar.bin"},  {"locked.rar", "解压密码错误", {}},
      {"damaged.zip", "无法解压", {}},                    {"gone.7z", "源文件不存在", {}},
      {"game", TStatusText::Packed, "from-folder.bin"},   {"file.bin", TStatusText::Packed, "file.bin"},
  };
  QStringList paths;
  for (const Item& item : items) paths << h.In(item.name);
  TSnapshot batch = RunnerHome::Checked(paths);
  batch.append(TMyData{h.In("file.bin"), {}, false, isNotProcessed});  // unchecked: no result

  for (const int format : {int(ofZIP), int(of7z), int(ofRAR)}) {
    const QString ext = GetOutputExt(format);
    for (const int workers : kWorkerCounts) {
      SCOPED_TRACE(QStringLiteral("%1 on %2 workers").arg(ext).arg(workers).toStdString());
      const QString out = h.home.file(QStringLiteral("out%1-%2").arg(ext).arg(workers));
      h.settings.CompressExt = format;
      h.settings.OutputFolder = out;
      RecordingObserver o;
      h.Run(o, batch, {}, {}, workers);

      ASSERT_EQ(o.results.size(), std::size(items));
      QStringList outputs;
      for (int i = 0; i < int(std::size(items)); ++i) {
        const Item& item = items[i];
        const TItemResult& r = o.results[i];
        SCOPED_TRACE(item.name.toStdString());
        EXPECT_EQ(r.status, item.status);
        EXPECT_EQ(r.outputExists, !item.marker.isEmpty());
        if (item.marker.isEmpty()) continue;
        EXPECT_EQ(listing::FileNames(r.CompressPath), QStringList({"Readme.txt", item.marker}));
        outputs << QFileInfo(r.CompressPath).fileName();
      }
      outputs.sort();
      EXPECT_EQ(outputs, QStringList({"file" + ext, "game" + ext, "game_1" + ext, "game_2" + ext, "game_3" + ext}));
      EXPECT_EQ(TreeListing(out), outputs) << "nothing but the outputs";
      ASSERT_TRUE(o.summary);
      EXPECT_EQ(o.summary->successCount, 5);
      EXPECT_EQ(o.summary->errorCount, 3);
      EXPECT_FALSE(o.summary->stopped);
      EXPECT_EQ(h.TempLeftovers(), QStringList());
    }
  }
}

// A stop half-way: the items in progress end packed or stopped (their packer ended), the items
// after them never start, and the output folder holds the finished archives only.
TEST(RunnerWorkers, AStopHalfWayLeavesOnlyFinishedOutputs) {
  for (const char* tool : {"rar", "unrar"}) HM_REQUIRE_TOOL(tool);
  constexpr int kItems = 12;
  RunnerHome h;
  h.LinkBuiltEngines();
  h.settings.CompressExt = ofRAR;
  h.Data("MustFiles/Readme.txt", "must have\r\n");
  QStringList paths;
  for (int i = 0; i < kItems; ++i) {
    const QString folder = h.In(QStringLiteral("item%1").arg(i));
    WriteFile(folder + QStringLiteral("/marker%1.bin").arg(i), RandomBytes(400000));
    paths << folder;
  }
  const QStringList sources = TreeListing(h.home.file("in"));

  for (const int workers : kWorkerCounts) {
    SCOPED_TRACE(QStringLiteral("%1 workers").arg(workers).toStdString());
    const QString out = h.home.file(QStringLiteral("out-%1").arg(workers));
    h.settings.OutputFolder = out;
    RecordingObserver o;
    std::atomic<bool> stopNow{false};
    // The second item's first step passes once the first item has finished.
    o.onStep = [&](const QString& step) {
      if (step.startsWith("announce 1 ")) stopNow = true;
    };
    h.Run(o, RunnerHome::Checked(paths), {}, [&](TJobRunner& runner) {
      while (!stopNow && runner.isRunning()) std::this_thread::sleep_for(std::chrono::milliseconds(2));
      runner.Stop();
    }, workers);

    ASSERT_TRUE(o.summary);
    EXPECT_TRUE(o.summary->stopped);
    // Items start in input order and every started item ends: the results are a first part of the list.
    const QList<int> ended = o.results.keys();
    ASSERT_FALSE(ended.isEmpty());
    EXPECT_EQ(ended.last(), ended.size() - 1);
    EXPECT_LT(ended.size(), kItems) << "items after the stop were started";
    QStringList outputs;
    int packed = 0;
    for (const int i : ended) {
      const TItemResult& r = o.results[i];
      SCOPED_TRACE(r.source.toStdString());
      if (r.status == TStatusText::Packed) {
        ++packed;
        EXPECT_EQ(listing::FileNames(r.CompressPath),
                  QStringList({"Readme.txt", QStringLiteral("marker%1.bin").arg(i)}));
        outputs << QFileInfo(r.CompressPath).fileName();
      } else {
        EXPECT_EQ(r.status, "已停止");
        EXPECT_FALSE(r.outputExists);
      }
    }
    EXPECT_EQ(o.summary->successCount, packed);
    EXPECT_EQ(o.summary->errorCount, ended.size() - packed);
    outputs.sort();
    EXPECT_EQ(TreeListing(out), outputs) << "a held name or a partial archive was left";
    EXPECT_EQ(h.TempLeftovers(), QStringList());
    EXPECT_EQ(TreeListing(h.home.file("in")), sources);
  }
}

}  // namespace
