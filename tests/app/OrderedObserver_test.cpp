// The observer as the workers of a run see it: held steps released in input order, progress kept
// as the latest value in its place, everything left passed at the end of a run that lost a worker,
// and no worker kept waiting by a step another worker hands over (a warning box open, a slow
// window).
#include <QStringList>
#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>

#include "RunnerFixture.h"
#include "app/OrderedObserver.h"

namespace {

// A script of steps as workers make them, one word each: "announce N", "state N TEXT",
// "progress N PERCENT", "record N", "finish N", "finishall".
void Play(TOrderedObserver& ordered, const QStringList& script) {
  for (const QString& line : script) {
    const QStringList words = line.split(' ');
    const int index = words.value(1).toInt();
    if (words[0] == "announce") ordered.AnnounceItem(index, 0, {}, {});
    if (words[0] == "state") ordered.ShowLvState(index, words.value(2));
    if (words[0] == "progress")
      ordered.ShowItemProgress(index, {TProgress::TPhase::Packing, words[2].toULongLong(), 100});
    if (words[0] == "record") ordered.RecordResult(index, {});
    if (words[0] == "finish") ordered.Finish(index);
    if (words[0] == "finishall") ordered.FinishAll();
  }
}

TEST(OrderedObserver, PassesStepsInInputOrder) {
  struct Case {
    const char* what;
    int items;
    QStringList script;
    QStringList seen;  // by the observer, in order
  };
  const Case cases[] = {
      {"the first item's steps pass at once, later ones wait for every item before them",
       3,
       {"announce 2", "state 2 b", "announce 1", "announce 0", "state 0 a", "finish 2", "state 1 c",
        "finish 1", "record 0", "finish 0"},
       {"announce 0 0", "state 0 a", "record 0", "announce 1 0", "state 1 c", "announce 2 0", "state 2 b"}},
      {"an item that finishes first is shown after the one before it, which goes on at once",
       2,
       {"announce 1", "record 1", "finish 1", "announce 0", "state 0 a", "finish 0"},
       {"announce 0 0", "state 0 a", "announce 1 0", "record 1"}},
      {"the first item's progress passes each time; a later item's keeps its latest value in its place",
       2,
       {"announce 1", "progress 1 10", "progress 1 20", "state 1 packing", "progress 1 30", "progress 1 40",
        "announce 0", "progress 0 10", "progress 0 20", "finish 0"},
       {"announce 0 0", "progress 0 10", "progress 0 20", "announce 1 0", "progress 1 20", "state 1 packing",
        "progress 1 40"}},
      {"the end of a run whose worker failed passes what is held, in input order",
       4,
       {"announce 3", "state 3 d", "announce 2", "progress 2 50", "announce 0", "finishall", "state 0 late"},
       {"announce 0 0", "announce 2 0", "progress 2 50", "announce 3 0", "state 3 d"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RecordingObserver observer;
    TOrderedObserver ordered(observer, c.items);
    Play(ordered, c.script);
    EXPECT_EQ(observer.steps, c.seen);
  }
}

// An observer of rows, as the window is: nothing is held for it.
class RowsObserver : public RecordingObserver {
 public:
  bool ShowsItemsAtOnce() const override { return true; }
};

TEST(OrderedObserver, AnObserverOfRowsGetsEveryItemsStepsAsTheyComeAndTheRunsProgress) {
  const QStringList script = {"announce 1", "state 1 b",  "progress 1 40", "announce 0",
                              "record 1",   "finish 1",   "state 0 a",     "finish 0"};
  const QList<int> percents = {0, 35, 35, 50, 100};
  {
    RowsObserver observer;
    TOrderedObserver ordered(observer, 2);
    Play(ordered, script);
    EXPECT_EQ(observer.steps, QStringList({"announce 1 0", "state 1 b", "progress 1 40", "announce 0 0",
                                           "record 1", "state 0 a"}));
    QList<int> heard;
    for (const TRunProgress& p : observer.RunProgress()) heard << p.percent;
    EXPECT_EQ(heard, percents);
    EXPECT_TRUE(observer.RunProgress().last().statusLine.isEmpty()) << "nothing is in progress at the end";
  }
  {
    // An observer of lines hears the same progress of the run while its steps are held.
    RecordingObserver observer;
    TOrderedObserver ordered(observer, 2);
    Play(ordered, script);
    QList<int> heard;
    for (const TRunProgress& p : observer.RunProgress()) heard << p.percent;
    EXPECT_EQ(heard, percents);
  }
}

// An observer that keeps one step (a warning box, a slow window) until the test lets it go, and
// records what it is shown meanwhile, from any thread.
class GatedObserver : public RecordingObserver {
 public:
  explicit GatedObserver(QString gated) : gated_(std::move(gated)) {}

  void ShowWarning(const QString& message) override { Keep("warning " + message); }
  void ShowLvState(int index, const QString& stateStr) override {
    Keep(QStringLiteral("state %1 %2").arg(index).arg(stateStr));
  }
  void ShowItemProgress(int index, const TProgress& p) override {
    Note(QStringLiteral("progress %1 %2").arg(index).arg(p.percent()));
  }
  void RecordResult(int index, const TItemResult&) override { Note(QStringLiteral("record %1").arg(index)); }

  // The kept step has begun; false after a while without it.
  bool WaitKept() {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(20), [this] { return kept_; });
  }
  void Release() {
    std::lock_guard lock(mutex_);
    released_ = true;
    changed_.notify_all();
  }
  QStringList Seen() {
    std::lock_guard lock(mutex_);
    return seen_;
  }

 private:
  void Note(const QString& step) {
    std::lock_guard lock(mutex_);
    seen_ << step;
  }
  void Keep(const QString& step) {
    Note(step);
    if (step != gated_) return;
    std::unique_lock lock(mutex_);
    kept_ = true;
    changed_.notify_all();
    // Bounded, so that a worker that waits for this step cannot hang the test.
    changed_.wait_for(lock, std::chrono::seconds(20), [this] { return released_; });
    seen_ << "released";
  }

  QString gated_;
  std::mutex mutex_;
  std::condition_variable changed_;
  bool kept_ = false;
  bool released_ = false;
  QStringList seen_;
};

TEST(OrderedObserver, NoWorkerWaitsForAStepAnotherWorkerHandsOver) {
  struct Case {
    const char* what;
    QString gated;
    std::function<void(TOrderedObserver&)> keeper;  // the worker whose step is kept
    QStringList meanwhile;                          // what the observer sees while it is kept
  };
  const Case cases[] = {
      {"a warning box open while the first item's worker reports progress and finishes",
       "warning outdated",
       [](TOrderedObserver& o) { o.ShowWarning("outdated"); },
       {"warning outdated", "progress 0 50", "record 0", "state 0 done"}},
      {"a slow step of the first item while a later item's worker progresses and finishes",
       "state 0 slow",
       [](TOrderedObserver& o) { o.ShowLvState(0, "slow"); },
       {"state 0 slow"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    GatedObserver observer(c.gated);
    TOrderedObserver ordered(observer, 2);
    auto keeper = std::async(std::launch::async, [&] { c.keeper(ordered); });
    ASSERT_TRUE(observer.WaitKept());
    // The other worker, on its own thread: item 0's steps when the warning is kept, item 1's when
    // item 0's own step is.
    const int item = c.gated.startsWith("warning") ? 0 : 1;
    auto other = std::async(std::launch::async, [&] {
      ordered.ShowItemProgress(item, {TProgress::TPhase::Packing, 50, 100});
      ordered.RecordResult(item, {});
      ordered.ShowLvState(item, "done");
      ordered.Finish(item);
    });
    const bool otherGoesOn = other.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    const QStringList meanwhile = observer.Seen();
    observer.Release();
    keeper.get();
    other.get();
    EXPECT_TRUE(otherGoesOn) << "the other worker waited for the kept step";
    EXPECT_EQ(meanwhile, c.meanwhile);
    if (item == 1) {
      // Item 1's steps come once item 0 has finished.
      ordered.Finish(0);
      EXPECT_EQ(observer.Seen(),
                QStringList({"state 0 slow", "released", "progress 1 50", "record 1", "state 1 done"}));
    }
  }
}

}  // namespace
