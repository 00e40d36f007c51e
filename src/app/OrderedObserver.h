#pragma once
// The run's observer as the workers of a run see it: items worked on at once still reach the
// real observer one step at a time and one item after another, in input order. The steps of the
// first item that has not finished pass at once; those of later items are held until every item
// before them has finished, and then passed in the order they came. With one worker nothing is
// ever held, so the observer sees exactly what a run of one item after another shows.
//
// No worker waits for another worker's step. Steps are queued under a short lock and handed over
// outside it, one at a time, by whichever worker finds nobody else handing over; the others
// return at once. So a step the observer is slow to take holds up no engine and no other item.
// A progress report, which comes from inside an engine (that may hold a library for the whole
// process), hands over progress only, never another worker's step that may wait for a window.
//
// An observer of rows (IJobObserver::ShowsItemsAtOnce, the window) is handed every item's steps
// at once instead, by the worker on the item: its rows show each running item as it goes.
//
// Either way the observer also hears how far the run has come as a whole (ShowRunProgress), as
// items start, report progress and finish.
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <vector>

#include "app/JobObserver.h"
#include "app/RunProgress.h"

class TOrderedObserver : public IJobObserver {
 public:
  TOrderedObserver(IJobObserver& observer, int itemCount);

  // Steps of the run as a whole: after every step queued before them, and handed over before
  // they return.
  void ResetProgress() override;
  void ShowSummary(const TRunSummary& summary) override;
  // Handed over at once by the worker that raised it, which waits for it; one warning at a time,
  // while the steps of other workers go on.
  void ShowWarning(const QString& message) override;

  // Steps of item `index`: passed at once while every item before it has finished (or to an
  // observer of rows), else held.
  void AnnounceItem(int index, int progress, const QString& path, const QString& statusLine) override;
  void ShowLvState(int index, const QString& stateStr) override;
  void SetLvExName(int index, const QString& str) override;
  void ClearOutputColumns(int index) override;
  void RecordResult(int index, const TItemResult& result) override;
  // Kept in its place among the item's steps as the latest value: a report replaces the one of
  // the same item still waiting there, so progress never piles up and never waits. A later item's
  // progress passes with its held steps.
  void ShowItemProgress(int index, const TProgress& progress) override;

  // Item `index` has had its last step; the held steps of the items after it that may now pass
  // are passed.
  void Finish(int index);
  // Passes every step still held, in input order, and returns when all are handed over: the end
  // of a run, also one in which an item began and did not finish (an unexpected error ended its
  // worker).
  void FinishAll();

 private:
  // A step waiting to be handed over; progress keeps its value apart so that it can be replaced.
  struct TStep {
    std::function<void(IJobObserver&)> pass;  // empty: the item's progress
    int index = -1;
    TProgress progress;
  };
  using TQueue = std::deque<TStep>;

  static void Append(TQueue& queue, TStep step);
  // Queues a step of item `index` and hands over what may pass.
  void Pass(int index, TStep step);
  // Queues a step of the run and returns once it is handed over.
  void PassRunStep(std::function<void(IJobObserver&)> pass);
  // Hands the waiting steps over, outside the lock, unless another worker is doing so already
  // (once one handing over progress only is done).
  void HandOver(std::unique_lock<std::mutex>& lock);
  // Hands over the progress reports at the front, unless another worker is handing over.
  void HandOverProgress(std::unique_lock<std::mutex>& lock);
  // Hands over steps from the front, outside the lock, while `take` accepts them.
  template <typename Take>
  void HandOverWhile(std::unique_lock<std::mutex>& lock, Take take);
  void WaitHandedOver(std::unique_lock<std::mutex>& lock);

  IJobObserver& observer_;
  const bool atOnce_;  // the observer shows items at once: nothing is held
  TRunProgressTally runProgress_;
  std::mutex mutex_;  // what follows; never held while the observer takes a step
  std::condition_variable handedOver_;
  std::vector<bool> finished_;
  int first_ = 0;  // the first item that has not finished: its steps pass at once
  std::map<int, TQueue> held_;
  TQueue outbox_;  // steps that may pass, in order
  enum class THandingOver { Nothing, Progress, Steps } handingOver_ = THandingOver::Nothing;
  std::mutex warningMutex_;  // one warning at a time
};
