#pragma once
// Thins an item's progress out to what a person can follow: engines report at every block they
// write, from several threads; an observer hears the first report of each phase, then at most
// one per interval, and the report that reaches the total. What it hears never goes back within
// a phase, and it hears it from one thread at a time.
#include <QtGlobal>

#include <functional>
#include <mutex>
#include <optional>

#include "compress/common/Progress.h"

class TProgressThrottle {
 public:
  static constexpr qint64 kIntervalMs = 250;
  using TClock = std::function<qint64()>;  // milliseconds on a steady clock
  using TSink = std::function<void(const TProgress&)>;

  // clock: the steady clock unless a test gives its own.
  explicit TProgressThrottle(TSink sink, TClock clock = {}, qint64 intervalMs = kIntervalMs);

  // Any thread. Hands the report on to the sink, under the throttle's lock, when it is due.
  void Report(const TProgress& progress);
  // A new item: the next report is passed at once.
  void Reset();

 private:
  bool Due(const TProgress& progress, qint64 now) const;

  TSink sink_;
  TClock clock_;
  qint64 intervalMs_;
  std::mutex mutex_;
  std::optional<TProgress> passed_;  // the last report handed on
  qint64 passedAt_ = 0;
};
