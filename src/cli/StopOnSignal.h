#pragma once
// Ctrl+C (SIGINT) and SIGTERM during a run become stop requests: the running engine program
// ends, the run ends after the current item and still prints its summary.
#include <functional>
#include <thread>

class TStopOnSignal {
 public:
  // onSignal runs on a thread of its own, once per signal received.
  explicit TStopOnSignal(std::function<void()> onSignal);
  // Puts the previous signal handling back.
  ~TStopOnSignal();
  TStopOnSignal(const TStopOnSignal&) = delete;
  TStopOnSignal& operator=(const TStopOnSignal&) = delete;

 private:
  void Watch();

  std::function<void()> onSignal_;
  std::thread watcher_;
};
