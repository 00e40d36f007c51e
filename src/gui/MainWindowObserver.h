#pragma once
// The window's side of a run. The runner reports each step from the worker on the item, several
// items at once when it runs several workers; every step is carried out on the window thread
// while that worker waits for it, so each row changes in its item's order, every running row
// shows its own status and percentage, and the window stays responsive between steps. The status
// line and the progress bar follow the run as a whole. This is the one place that reads the
// runner's item results and summary.
#include <QMap>
#include <QObject>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>

#include "app/JobObserver.h"

class Tfrmmain;

class TMainWindowObserver : public QObject, public IJobObserver {
  Q_OBJECT
 public:
  // Lives on the window's thread.
  explicit TMainWindowObserver(Tfrmmain& window) : window_(window) {}

  // The window is going away: steps still to come are dropped instead of shown, and no worker
  // waits for one any longer.
  void Detach();

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
  // Keeps the latest values and queues the call that shows them, unless one is queued already.
  template <typename Keep>
  void KeepLatest(Keep keep);
  // On the window thread: each row's status cell shows its latest progress, the status line and
  // the bar the run's.
  Q_INVOKABLE void ShowLatestProgress();

  // A step a worker hands over and waits for.
  struct THandedStep {
    std::function<void()> run;
    bool done = false;  // run, or dropped with the window
  };
  // Runs the step on the window thread and returns when it is done. The step waits in the list
  // below for a call that carries nothing, and the worker waits for its own step, not for the
  // call: a step that opens a message box holds up its own worker only. Qt's hand-over of a call
  // is invisible to the race checker; the list's lock orders the worker's data before the step
  // and the step before the worker goes on, so what a step reads and writes is checked.
  template <typename Step>
  void OnWindowThread(Step step);
  // On the window thread: runs the step that has waited longest.
  Q_INVOKABLE void RunHandedStep();

  Tfrmmain& window_;
  std::atomic<bool> detached_{false};
  std::mutex handOverMutex_;  // guards the handed steps
  std::condition_variable stepDone_;
  std::deque<THandedStep*> handedSteps_;  // not run yet, in the order they came
  std::mutex progressMutex_;       // guards what follows
  QMap<int, TProgress> progress_;  // by row, not shown yet
  std::optional<TRunProgress> runProgress_;
  bool progressQueued_ = false;
};
