#include "app/RunProgress.h"

#include <QStringList>

#include "app/StatusTexts.h"

TRunProgressTally::TRunProgressTally(int itemCount, TSink sink)
    : sink_(std::move(sink)), itemCount_(qMax(1, itemCount)) {}

void TRunProgressTally::Start(int index, const QString& path) {
  std::lock_guard lock(mutex_);
  running_[index] = {path, 0};
  Changed();
}

void TRunProgressTally::Report(int index, const TProgress& progress) {
  std::lock_guard lock(mutex_);
  const auto running = running_.find(index);
  const int permille = Permille(progress);
  if (running == running_.end() || permille <= running->second.permille) return;
  running->second.permille = permille;
  Changed();
}

void TRunProgressTally::Finish(int index) {
  std::lock_guard lock(mutex_);
  if (running_.erase(index) == 0) return;
  ++finished_;
  Changed();
}

int TRunProgressTally::Permille(const TProgress& progress) {
  const int percent = progress.percent();
  if (percent < 0) return -1;
  return (progress.phase == TProgress::TPhase::Packing ? 500 : 0) + percent * 5;
}

void TRunProgressTally::Changed() {
  qint64 permille = qint64(finished_) * 1000;
  QStringList paths;
  for (const auto& [index, item] : running_) {
    permille += item.permille;
    paths << item.path;
  }
  TRunProgress now{int(qMin<qint64>(100, permille * 100 / (qint64(itemCount_) * 1000))),
                   paths.isEmpty() ? QString() : TRunText::Announce(paths)};
  if (now == passed_) return;
  passed_ = now;
  if (sink_) sink_(now);
}
