#pragma once
// The window's side of a run. The runner reports each step from its worker thread; every step is
// carried out on the window thread while the worker waits for it, so rows, labels and messages
// change in the runner's order and the window stays responsive between steps. This is the one
// place that reads the runner's item results and summary.
#include <QMap>
#include <atomic>
#include <mutex>

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
  // The one step the worker does not wait for: each row's latest progress is kept and one call to
  // show them is queued at a time, so a busy window never holds an engine up and nothing piles up.
  void ShowItemProgress(int index, const TProgress& progress) override;

 private:
  // On the window thread: each row's status cell shows its latest progress.
  void ShowLatestProgress();

  // Runs the step on the window thread and returns when it is done.
  template <typename Step>
  void OnWindowThread(Step step);

  Tfrmmain& window_;
  std::atomic<bool> detached_{false};
  std::mutex progressMutex_;       // guards what follows
  QMap<int, TProgress> progress_;  // by row, not shown yet
  bool progressQueued_ = false;
};
