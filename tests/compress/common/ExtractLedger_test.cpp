// The one account of an extraction: the size limit, the free-space reserve, what it tells the
// progress hook, and what makes an extraction incomplete.
#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "compress/common/ExtractLedger.h"
#include "support/TestSupport.h"

namespace {

constexpr quint64 kMiB = TExtractLimits::kMiB;

TEST(ExtractLedger, TheSizeLimitStopsForGoodAndTheHookHearsOnlyWhatWasAccepted) {
  testsupport::TempDir dir;
  TExtractLedger ledger;
  std::vector<std::pair<quint64, quint64>> heard;
  ledger.SetProgressHook([&heard](quint64 written, quint64 total) { heard.emplace_back(written, total); });
  ledger.Begin(dir.path(), {10 * kMiB, 0});
  EXPECT_TRUE(ledger.Reserve(4 * kMiB));
  ledger.SetTotal(12 * kMiB);
  EXPECT_TRUE(ledger.Reserve(6 * kMiB));  // exactly the limit
  EXPECT_FALSE(ledger.Reserve(1));
  EXPECT_FALSE(ledger.Reserve(0));  // stopped is stopped
  EXPECT_TRUE(ledger.stopped());
  EXPECT_TRUE(ledger.stopCause().contains("MaxUnpackMB"));
  EXPECT_FALSE(ledger.complete());
  EXPECT_EQ(heard, (std::vector<std::pair<quint64, quint64>>{{4 * kMiB, 0}, {10 * kMiB, 12 * kMiB}}));

  // A new extraction starts from nothing.
  heard.clear();
  ledger.Begin(dir.path(), {10 * kMiB, 0});
  EXPECT_TRUE(ledger.complete());
  EXPECT_TRUE(ledger.Observe(3 * kMiB));
  EXPECT_TRUE(ledger.Observe(5 * kMiB));  // a watched program: what lies below now, not a sum
  EXPECT_FALSE(ledger.Observe(11 * kMiB));
  EXPECT_EQ(heard, (std::vector<std::pair<quint64, quint64>>{{3 * kMiB, 0}, {5 * kMiB, 0}}));
}

// The engines' threads write at once: the hook hears the written bytes rise, never fall back to a
// figure a later write has already overtaken, and hears the last one.
TEST(ExtractLedger, ThreadsWritingAtOnceAreHeardRisingToTheEnd) {
  testsupport::TempDir dir;
  TExtractLedger ledger;
  std::mutex mutex;
  std::vector<quint64> heard;
  ledger.SetProgressHook([&](quint64 written, quint64) {
    std::lock_guard lock(mutex);
    heard.push_back(written);
  });
  ledger.Begin(dir.path(), {});
  constexpr int kWrites = 20000;
  std::vector<std::thread> threads;
  for (int t = 0; t < 2; ++t)
    threads.emplace_back([&ledger] {
      for (int i = 0; i < kWrites; ++i) ledger.Reserve(1);
    });
  for (std::thread& thread : threads) thread.join();
  ASSERT_FALSE(heard.empty());
  EXPECT_TRUE(std::is_sorted(heard.begin(), heard.end()));
  EXPECT_EQ(heard.back(), quint64(2 * kWrites));
}

// Archives inside an archive are extracted one after another into the same item: what the
// earlier extractions wrote counts against this one's limit, and is not its own written().
TEST(ExtractLedger, EarlierExtractionsOfTheItemCountAgainstTheLimit) {
  testsupport::TempDir dir;
  TExtractLedger ledger;
  ledger.Begin(dir.path(), {10 * kMiB, 0, 7 * kMiB});
  EXPECT_TRUE(ledger.Reserve(3 * kMiB));  // 7 + 3: exactly the limit
  EXPECT_EQ(ledger.written(), 3 * kMiB);
  EXPECT_FALSE(ledger.Reserve(1));
  EXPECT_TRUE(ledger.stopCause().contains("MaxUnpackMB"));

  ledger.Begin(dir.path(), {10 * kMiB, 0, 7 * kMiB});
  EXPECT_TRUE(ledger.Observe(3 * kMiB));
  EXPECT_FALSE(ledger.Observe(3 * kMiB + 1));
  ledger.Begin(dir.path(), {0, 0, 100 * kMiB});  // no limit: nothing counts
  EXPECT_TRUE(ledger.Reserve(50 * kMiB));
}

TEST(ExtractLedger, TheReserveCountsWhatWasWrittenSinceTheDiskWasAsked) {
  testsupport::TempDir dir;
  TExtractLedger probe;
  // The folder does not exist yet: its nearest existing parent tells the disk.
  probe.Begin(dir.file("not/yet"), {0, 1});
  ASSERT_TRUE(probe.Reserve(0));
  // Every reserve below is set against the free space now; other writers on the disk may change
  // it by a little, far less than the margins used here.
  TExtractLedger ledger;
  ledger.Begin(dir.file("not/yet"), {0, std::numeric_limits<quint64>::max() / 2});
  EXPECT_FALSE(ledger.Reserve(1));
  EXPECT_TRUE(ledger.stopCause().contains("MinFreeMB"));
  ledger.Begin(dir.path(), {0, 0});
  EXPECT_TRUE(ledger.Reserve(std::numeric_limits<quint64>::max() / 2));  // no reserve: never asked
}

TEST(ExtractLedger, RefusedAndConvertedEntriesMakeItIncompleteAndAreNamed) {
  TExtractLedger ledger;
  ledger.Begin(QStringLiteral("/tmp"), {});
  ledger.Convert("lib/libx.so", "a link");
  EXPECT_FALSE(ledger.complete());
  EXPECT_FALSE(ledger.refusedAny());
  for (int i = 0; i < 7; ++i) ledger.Refuse(QStringLiteral("pipe%1").arg(i), "a pipe");
  EXPECT_TRUE(ledger.refusedAny());
  EXPECT_EQ(ledger.Details(), "refused: pipe0 (a pipe), pipe1 (a pipe), pipe2 (a pipe), pipe3 (a pipe), "
                              "pipe4 (a pipe), 2 more; converted: lib/libx.so (a link)");
}

}  // namespace
