#include "app/OrderedObserver.h"

#include <QScopeGuard>
#include <utility>

TOrderedObserver::TOrderedObserver(IJobObserver& observer, int itemCount)
    : observer_(observer),
      atOnce_(observer.ShowsItemsAtOnce()),
      runProgress_(itemCount, [&observer](const TRunProgress& progress) { observer.ShowRunProgress(progress); }),
      finished_(size_t(itemCount), false) {}

void TOrderedObserver::ResetProgress() {
  PassRunStep([](IJobObserver& o) { o.ResetProgress(); });
}

void TOrderedObserver::ShowSummary(const TRunSummary& summary) {
  PassRunStep([&summary](IJobObserver& o) { o.ShowSummary(summary); });
}

void TOrderedObserver::ShowWarning(const QString& message) {
  std::lock_guard one(warningMutex_);
  observer_.ShowWarning(message);
}

void TOrderedObserver::AnnounceItem(int index, int progress, const QString& path, const QString& statusLine) {
  runProgress_.Start(index, path);
  Pass(index, {[=](IJobObserver& o) { o.AnnounceItem(index, progress, path, statusLine); }});
}

void TOrderedObserver::ShowLvState(int index, const QString& stateStr) {
  Pass(index, {[=](IJobObserver& o) { o.ShowLvState(index, stateStr); }});
}

void TOrderedObserver::SetLvExName(int index, const QString& str) {
  Pass(index, {[=](IJobObserver& o) { o.SetLvExName(index, str); }});
}

void TOrderedObserver::ClearOutputColumns(int index) {
  Pass(index, {[=](IJobObserver& o) { o.ClearOutputColumns(index); }});
}

void TOrderedObserver::RecordResult(int index, const TItemResult& result) {
  Pass(index, {[=](IJobObserver& o) { o.RecordResult(index, result); }});
}

void TOrderedObserver::ShowItemProgress(int index, const TProgress& progress) {
  runProgress_.Report(index, progress);
  Pass(index, {{}, index, progress});
}

void TOrderedObserver::Append(TQueue& queue, TStep step) {
  if (!step.pass && !queue.empty() && !queue.back().pass && queue.back().index == step.index) {
    queue.back().progress = step.progress;
    return;
  }
  queue.push_back(std::move(step));
}

void TOrderedObserver::Pass(int index, TStep step) {
  if (atOnce_) {
    if (step.pass)
      step.pass(observer_);
    else
      observer_.ShowItemProgress(step.index, step.progress);
    return;
  }
  std::unique_lock lock(mutex_);
  if (index < first_) return;  // the item has had its last step
  const bool progress = !step.pass;
  Append(index == first_ ? outbox_ : held_[index], std::move(step));
  if (progress)
    HandOverProgress(lock);
  else
    HandOver(lock);
}

void TOrderedObserver::PassRunStep(std::function<void(IJobObserver&)> pass) {
  std::unique_lock lock(mutex_);
  outbox_.push_back({std::move(pass)});
  HandOver(lock);
  WaitHandedOver(lock);
}

void TOrderedObserver::HandOver(std::unique_lock<std::mutex>& lock) {
  // Progress is handed over without waiting for anything, so this wait is short.
  handedOver_.wait(lock, [this] { return handingOver_ != THandingOver::Progress; });
  // The worker handing over takes these steps too, after the ones before them.
  if (handingOver_ == THandingOver::Steps) return;
  handingOver_ = THandingOver::Steps;
  HandOverWhile(lock, [](const TStep&) { return true; });
}

void TOrderedObserver::HandOverProgress(std::unique_lock<std::mutex>& lock) {
  if (handingOver_ != THandingOver::Nothing) return;
  handingOver_ = THandingOver::Progress;
  // A step behind them is handed over by the worker that made it, once this is done.
  HandOverWhile(lock, [](const TStep& step) { return !step.pass; });
}

template <typename Take>
void TOrderedObserver::HandOverWhile(std::unique_lock<std::mutex>& lock, Take take) {
  const auto done = qScopeGuard([this] {
    handingOver_ = THandingOver::Nothing;
    handedOver_.notify_all();
  });
  while (!outbox_.empty() && take(outbox_.front())) {
    const TStep step = std::move(outbox_.front());
    outbox_.pop_front();
    lock.unlock();
    const auto relock = qScopeGuard([&lock] { lock.lock(); });
    if (step.pass)
      step.pass(observer_);
    else
      observer_.ShowItemProgress(step.index, step.progress);
  }
}

void TOrderedObserver::WaitHandedOver(std::unique_lock<std::mutex>& lock) {
  handedOver_.wait(lock, [this] { return handingOver_ == THandingOver::Nothing && outbox_.empty(); });
}

void TOrderedObserver::Finish(int index) {
  runProgress_.Finish(index);
  std::unique_lock lock(mutex_);
  finished_[size_t(index)] = true;
  const int count = int(finished_.size());
  while (first_ < count && finished_[size_t(first_)]) {
    ++first_;
    const auto held = held_.find(first_);
    if (held == held_.end()) continue;
    for (TStep& step : held->second) Append(outbox_, std::move(step));
    held_.erase(held);
  }
  HandOver(lock);
}

void TOrderedObserver::FinishAll() {
  std::unique_lock lock(mutex_);
  for (auto& [index, steps] : held_)
    for (TStep& step : steps) Append(outbox_, std::move(step));
  held_.clear();
  first_ = int(finished_.size());
  HandOver(lock);
  WaitHandedOver(lock);
}
