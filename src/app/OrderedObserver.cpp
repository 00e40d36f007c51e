#include "app/OrderedObserver.h"

TOrderedObserver::TOrderedObserver(IJobObserver& observer, int itemCount)
    : observer_(observer), finished_(size_t(itemCount), false) {}

void TOrderedObserver::ResetProgress() {
  std::lock_guard lock(mutex_);
  observer_.ResetProgress();
}

void TOrderedObserver::ShowSummary(const TRunSummary& summary) {
  std::lock_guard lock(mutex_);
  observer_.ShowSummary(summary);
}

void TOrderedObserver::ShowWarning(const QString& message) {
  std::lock_guard lock(mutex_);
  observer_.ShowWarning(message);
}

void TOrderedObserver::AnnounceItem(int index, int progress, const QString& path, const QString& statusLine) {
  Pass(index, [=](IJobObserver& o) { o.AnnounceItem(index, progress, path, statusLine); });
}

void TOrderedObserver::ShowLvState(int index, const QString& stateStr) {
  Pass(index, [=](IJobObserver& o) { o.ShowLvState(index, stateStr); });
}

void TOrderedObserver::SetLvExName(int index, const QString& str) {
  Pass(index, [=](IJobObserver& o) { o.SetLvExName(index, str); });
}

void TOrderedObserver::ClearOutputColumns(int index) {
  Pass(index, [=](IJobObserver& o) { o.ClearOutputColumns(index); });
}

void TOrderedObserver::RecordResult(int index, const TItemResult& result) {
  Pass(index, [=](IJobObserver& o) { o.RecordResult(index, result); });
}

void TOrderedObserver::Pass(int index, TStep step) {
  std::lock_guard lock(mutex_);
  if (index == first_)
    step(observer_);
  else
    held_[index].push_back(std::move(step));
}

void TOrderedObserver::Finish(int index) {
  std::lock_guard lock(mutex_);
  finished_[size_t(index)] = true;
  const int count = int(finished_.size());
  while (first_ < count && finished_[size_t(first_)]) {
    ++first_;
    const auto held = held_.find(first_);
    if (held == held_.end()) continue;
    for (const TStep& step : held->second) step(observer_);
    held_.erase(held);
  }
}

void TOrderedObserver::FinishAll() {
  std::lock_guard lock(mutex_);
  for (const auto& [index, steps] : held_)
    for (const TStep& step : steps) step(observer_);
  held_.clear();
  first_ = int(finished_.size());
}
