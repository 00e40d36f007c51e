#include "gui/MainWindowObserver.h"

#include <QMetaObject>
#include <QProgressBar>
#include <QThread>

#include "app/StatusTexts.h"
#include "gui/MainWindow.h"
#include "gui/MessageBox.h"

template <typename Step>
void TMainWindowObserver::OnWindowThread(Step step) {
  const auto guarded = [this, &step] {
    if (!detached_) step();
  };
  if (QThread::currentThread() == window_.thread()) return guarded();
  QMetaObject::invokeMethod(&window_, guarded, Qt::BlockingQueuedConnection);
}

void TMainWindowObserver::ResetProgress() {
  OnWindowThread([this] { window_.RzProgressBar1->setValue(0); });
}

void TMainWindowObserver::AnnounceItem(int index, int progress, const QString& path,
                                       const QString& statusLine) {
  // The status line and the bar follow the whole run (ShowRunProgress), not the item announced last.
}

void TMainWindowObserver::ShowLvState(int index, const QString& stateStr) {
  OnWindowThread([&] { window_.ListView1->SetCell(index, TBatchList::colState, stateStr); });
}

void TMainWindowObserver::SetLvExName(int index, const QString& str) {
  OnWindowThread([&] { window_.ListView1->SetCell(index, TBatchList::colType, str); });
}

void TMainWindowObserver::ClearOutputColumns(int index) {
  OnWindowThread([&] {
    window_.ListView1->SetCell(index, TBatchList::colOutputName, {});
    window_.ListView1->SetCell(index, TBatchList::colOutputSize, {});
  });
}

void TMainWindowObserver::RecordResult(int index, const TItemResult& result) {
  OnWindowThread([&] {
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
  {
    std::lock_guard lock(progressMutex_);
    keep();
    if (progressQueued_) return;
    progressQueued_ = true;
  }
  // Queued before any later step of the item or the run, so the next text always comes after it.
  QMetaObject::invokeMethod(
      &window_, [this] { ShowLatestProgress(); }, Qt::QueuedConnection);
}

void TMainWindowObserver::ShowLatestProgress() {
  QMap<int, TProgress> latest;
  std::optional<TRunProgress> run;
  {
    std::lock_guard lock(progressMutex_);
    latest.swap(progress_);
    run.swap(runProgress_);
    progressQueued_ = false;
  }
  if (detached_) return;
  for (auto it = latest.cbegin(); it != latest.cend(); ++it)
    window_.ListView1->SetCell(it.key(), TBatchList::colState, TStatusText::InProgress(it.value()));
  if (!run) return;
  window_.RzProgressBar1->setValue(run->percent);
  // Between the last item's end and the summary no item is in progress: the line stays.
  if (!run->statusLine.isEmpty()) window_.lblState->setText(run->statusLine);
}
