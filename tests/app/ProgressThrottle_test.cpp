// Thinning progress out: the first report of a phase, then one per interval, and the one that
// reaches the total; never a step back.
#include <gtest/gtest.h>

#include <QList>

#include <thread>

#include "app/ProgressThrottle.h"

namespace {

using TPhase = TProgress::TPhase;

struct TReport {
  qint64 at;  // ms on the test's clock
  TPhase phase;
  quint64 done;
  bool passed;
};

TEST(ProgressThrottle, PassesTheFirstOnePerIntervalAndTheTotal) {
  qint64 now = 0;
  QList<TProgress> heard;
  TProgressThrottle throttle([&](const TProgress& p) { heard << p; }, [&] { return now; }, 250);
  const TReport reports[] = {
      {0, TPhase::Extracting, 10, true},      // the first
      {100, TPhase::Extracting, 20, false},   // too soon
      {249, TPhase::Extracting, 30, false},   // still too soon
      {250, TPhase::Extracting, 40, true},    // an interval after the last one passed
      {600, TPhase::Extracting, 35, false},   // a thread's older count
      {600, TPhase::Extracting, 40, false},   // nothing new
      {610, TPhase::Extracting, 100, true},   // the total, however soon
      {620, TPhase::Extracting, 100, false},  // the total again
      {630, TPhase::Packing, 5, true},        // a new phase starts at once
      {640, TPhase::Packing, 6, false},      {900, TPhase::Packing, 7, true},
  };
  for (const TReport& r : reports) {
    now = r.at;
    const qsizetype before = heard.size();
    throttle.Report({r.phase, r.done, 100});
    EXPECT_EQ(heard.size() > before, r.passed) << "at " << r.at << " done " << r.done;
  }
  // A new item begins at once, even with smaller figures in the same phase.
  throttle.Reset();
  now = 905;
  throttle.Report({TPhase::Packing, 1, 100});
  EXPECT_EQ(heard.last().done, 1u);
}

TEST(ProgressThrottle, UnknownTotalNeverCountsAsReached) {
  qint64 now = 0;
  int heard = 0;
  TProgressThrottle throttle([&](const TProgress&) { ++heard; }, [&] { return now; }, 250);
  throttle.Report({TPhase::Extracting, 10, 0});
  throttle.Report({TPhase::Extracting, 20, 0});
  EXPECT_EQ(heard, 1);
}

// Engines report from several threads at once; the sink hears one at a time.
TEST(ProgressThrottle, SinkIsCalledOneAtATime) {
  std::atomic<int> inside = 0;
  std::atomic<bool> overlapped = false;
  std::atomic<int> heard = 0;
  TProgressThrottle throttle(
      [&](const TProgress&) {
        if (++inside > 1) overlapped = true;
        std::this_thread::yield();
        --inside;
        ++heard;
      },
      {}, 0);
  std::vector<std::thread> threads;
  std::atomic<quint64> done = 0;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&] {
      for (int i = 0; i < 2000; ++i) throttle.Report({TPhase::Extracting, ++done, 0});
    });
  for (std::thread& t : threads) t.join();
  EXPECT_FALSE(overlapped);
  EXPECT_GT(heard, 0);
}

}  // namespace
