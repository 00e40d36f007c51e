#include "app/ProgressThrottle.h"

#include <QElapsedTimer>

namespace {

qint64 SteadyMs() {
  static const QElapsedTimer started = [] {
    QElapsedTimer timer;
    timer.start();
    return timer;
  }();
  return started.elapsed();
}

}  // namespace

TProgressThrottle::TProgressThrottle(TSink sink, TClock clock, qint64 intervalMs)
    : sink_(std::move(sink)), clock_(clock ? std::move(clock) : TClock(SteadyMs)), intervalMs_(intervalMs) {}

void TProgressThrottle::Report(const TProgress& progress) {
  std::lock_guard lock(mutex_);
  const qint64 now = clock_();
  if (!Due(progress, now)) return;
  passed_ = progress;
  passedAt_ = now;
  sink_(progress);
}

void TProgressThrottle::Reset() {
  std::lock_guard lock(mutex_);
  passed_.reset();
}

bool TProgressThrottle::Due(const TProgress& progress, qint64 now) const {
  if (!passed_ || passed_->phase != progress.phase) return true;
  // Threads may hand in their counts out of order; a smaller one is old news.
  if (progress.done < passed_->done) return false;
  const bool reachesTotal = progress.total != 0 && progress.done >= progress.total;
  const bool reachedBefore = passed_->total != 0 && passed_->done >= passed_->total;
  if (reachesTotal && !reachedBefore) return true;
  return now - passedAt_ >= intervalMs_ && progress.done != passed_->done;
}
