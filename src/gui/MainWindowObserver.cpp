#include "gui/MainWindowObserver.h"

#include <QProgressBar>
#include <QThread>
#include <utility>

#include "app/StatusTexts.h"
#include "gui/MainWindow.h"
#include "gui/MessageBox.h"
#include "util/QueuedCall.h"

template <typename Step>
void TMainWindowObserver::OnWindowThread(Step step) {
  const auto guarded = [this, &step] {
    if (detached_) return;
    ShowPending();  // what the rows were told before comes first
    step();
  };
  if (QThread::currentThread() == window_.thread()) return guarded();
  CallOnThreadOf(window_, guarded, Qt::BlockingQueuedConnection);
}

void TMainWindowObserver::Post(int index, std::function<void()> step) {
  {
    std::lock_guard lock(progressMutex_);
    // The row's progress reported so far is shown before the step, which may replace it.
    if (const auto progress = progress_.constFind(index); progress != progress_.cend()) {
      steps_.push_back([this, index, shown = *progress] {
        window_.ListView1->SetCell(index, TBatchList::colState, TStatusText::InProgress(shown));
      });
      progress_.erase(progress);
    }
    // So is the run's, as it was when the step came.
    if (runProgress_) steps_.push_back([this, run = *std::exchange(runProgress_, std::nullopt)] {
      ShowRunProgressNow(run);
    });
    steps_.push_back(std::move(step));
    QueueShowPending();
  }
  if (QThread::currentThread() == window_.thread()) ShowPending();
}

void TMainWindowObserver::ResetProgress() {
  OnWindowThread([this] { window_.RzProgressBar1->setValue(0); });
}

void TMainWindowObserver::AnnounceItem(int index, int progress, const QString& path,
                                       const QString& statusLine) {
  // The status line and the bar follow the whole run (ShowRunProgress), not the item announced last.
}

void TMainWindowObserver::ShowLvState(int index, const QString& stateStr) {
  Post(index, [this, index, stateStr] { window_.ListView1->SetCell(index, TBatchList::colState, stateStr); });
}

void TMainWindowObserver::SetLvExName(int index, const QString& str) {
  Post(index, [this, index, str] { window_.ListView1->SetCell(index, TBatchList::colType, str); });
}

void TMainWindowObserver::ClearOutputColumns(int index) {
  Post(index, [this, index] {
    window_.ListView1->SetCell(index, TBatchList::colOutputName, {});
    window_.ListView1->SetCell(index, TBatchList::colOutputSize, {});
  });
}

void TMainWindowObserver::RecordResult(int index, const TItemResult& result) {
  Post(index, [this, index, result] {
    const TMyData record{result.CompressPath, result.pwd, false, result.rowState()};
    window_.ListView1->RecordOutput(index, record, OutputNameText(result), result.sizeText, result.causes);
  });
}

void TMainWindowObserver::ShowSummary(const TRunSummary& summary) {
  OnWindowThread([&] {
    if (!summary.stopped) window_.RzProgressBar1->setValue(100);
    window_.lblState->setText(summary.statusLine);
    window_.ShowIdle();
    window_.ListView1->viewport()->update();
    // The run stays active until the user has read this.
    if (!summary.failureText.isEmpty()) msgbox::UnpromptedWarning(&window_, summary.failureText);
    window_.RunEnded(summary);
  });
}

void TMainWindowObserver::ShowWarning(const QString& message) {
  OnWindowThread([&] { msgbox::UnpromptedWarning(&window_, message); });
}

void TMainWindowObserver::ShowItemProgress(int index, const TProgress& progress) {
  KeepLatest([&] { progress_.insert(index, progress); });
}

void TMainWindowObserver::ShowRunProgress(const TRunProgress& progress) {
  KeepLatest([&] { runProgress_ = progress; });
}

template <typename Keep>
void TMainWindowObserver::KeepLatest(Keep keep) {
  std::lock_guard lock(progressMutex_);
  keep();
  QueueShowPending();
}

void TMainWindowObserver::QueueShowPending() {
  if (progressQueued_) return;
  progressQueued_ = true;
  // Queued before any later blocking step of the run (a warning, the summary), so what was
  // reported before it is shown first.
  CallOnThreadOf(window_, [this] { ShowPending(); }, Qt::QueuedConnection);
}

void TMainWindowObserver::ShowPending() {
  std::vector<std::function<void()>> steps;
  QMap<int, TProgress> latest;
  std::optional<TRunProgress> run;
  {
    std::lock_guard lock(progressMutex_);
    steps.swap(steps_);
    latest.swap(progress_);
    run.swap(runProgress_);
    progressQueued_ = false;
  }
  if (detached_) return;
  for (const std::function<void()>& step : steps) step();
  for (auto it = latest.cbegin(); it != latest.cend(); ++it)
    window_.ListView1->SetCell(it.key(), TBatchList::colState, TStatusText::InProgress(it.value()));
  if (run) ShowRunProgressNow(*run);
}

void TMainWindowObserver::ShowRunProgressNow(const TRunProgress& run) {
  window_.RzProgressBar1->setValue(run.percent);
  // Between the last item's end and the summary no item is in progress: the line stays.
  if (!run.statusLine.isEmpty()) window_.lblState->setText(run.statusLine);
}
