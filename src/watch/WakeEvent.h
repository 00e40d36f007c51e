#pragma once
// Wakes a thread that waits in poll() from any other thread (an eventfd): a run's end, a stop
// request.
#include "util/FileDescriptor.h"

class TWakeEvent {
 public:
  TWakeEvent();
  // To wait on with poll(): readable once Wake() was called.
  int fd() const { return fd_.get(); }
  // Any thread; async-signal-safe.
  void Wake() const;
  // Takes the wake-ups that came, so the next poll() waits again.
  void Clear() const;

 private:
  TFileDescriptor fd_;
};
