#pragma once
// The window's side of a run. The runner reports each step from the worker on the item, several
// items at once when it runs several workers; every step is carried out on the window thread in
// the order it was reported, so each row changes in its item's order, every running row shows its
// own status and percentage, and the window stays responsive between steps. No worker waits for a
// row's step (on a busy machine each wait for the window thread cost milliseconds, and a batch of
// small items took twice the command line's time); a warning and the summary wait for the window,
// as they wait for the user. The status
// line and the progress bar follow the run as a whole. This is the one place that reads the
// runner's item results and summary.
#include <QMap>
#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

#include "app/JobObserver.h"

class Tfrmmain;

class TMainWindowObserver : public IJobObserver {
 public:
  explicit TMainWindowObserver(Tfrmmain& window) : window_(window) {}

  // The window is going away: steps still to come are dropped instead of shown.
  void Detach() { detached_ = true; }

  void ResetProgress() override;
  void AnnounceItem(int index, int progress, const QString& path, const QString& statusLine) override;
  void ShowLvState(int index, const QString& stateStr) override;
  void SetLvExName(int index, const QString& str) override;
  void ClearOutputColumns(int index) override;
  void RecordResult(int index, const TItemResult& result) override;
  void ShowSummary(const TRunSummary& summary) override;
  void ShowWarning(const QString& message) override;
  bool ShowsItemsAtOnce() const override { return true; }
  // The two steps no worker waits for: each row's latest progress and the run's are kept and one
  // call to show them is queued at a time, so a busy window never holds an engine up and nothing
  // piles up.
  void ShowItemProgress(int index, const TProgress& progress) override;
  void ShowRunProgress(const TRunProgress& progress) override;

 private:
  // Queues a row's step after everything reported for the row before it (its progress too).
  void Post(int index, std::function<void()> step);
  // Keeps the latest values and queues the call that shows them, unless one is queued already.
  template <typename Keep>
  void KeepLatest(Keep keep);
  // Under the lock: the call that shows what is pending is queued, unless it is already.
  void QueueShowPending();
  // On the window thread: the pending steps in order, then each row's latest progress, the status
  // line and the bar the run's.
  void ShowPending();
  void ShowRunProgressNow(const TRunProgress& run);

  // Runs the step on the window thread and returns when it is done.
  template <typename Step>
  void OnWindowThread(Step step);

  Tfrmmain& window_;
  std::atomic<bool> detached_{false};
  std::mutex progressMutex_;       // guards what follows
  std::vector<std::function<void()>> steps_;  // not carried out yet, in order
  QMap<int, TProgress> progress_;  // by row, not shown yet, reported after the row's last step
  std::optional<TRunProgress> runProgress_;
  bool progressQueued_ = false;
};
