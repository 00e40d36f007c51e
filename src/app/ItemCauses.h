#pragma once
// Why an item went wrong, as the log said it: the warnings the engines and the batch core log on
// the item's worker thread while the item is worked on (the facade logs every failed operation
// there, with its cause). What passes the logging rules is heard; a run without its log (the
// command line without --verbose) hears nothing.
#include <QStringList>

#include <memory>

#include "util/LogTap.h"

class TItemCauses {
 public:
  // Listens on the calling thread from now on.
  TItemCauses();

  // The warnings so far, in order, the first few only.
  QStringList lines() const;

 private:
  struct TState;
  std::shared_ptr<TState> state_;  // shared with the tap, which may outlive this by a moment
  TLogTap tap_;
};
