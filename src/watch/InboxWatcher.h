#pragma once
// Watch mode: the batch run fed by a folder instead of a list. Every archive, folder and file that
// arrives complete at the top of the inbox (ArrivalTracker.h) is claimed by renaming it into this
// watcher's claimed folder (ClaimFolder.h), so that any number of watchers, on this machine or on
// others sharing the folder, take each arrival once; it is then run as a batch of one item with
// the settings of that moment, and goes to done/ or failed/ with a line in the journal
// (ClaimEnd.h). Items work `jobs` at a time. What watchers of this host that are gone left claimed
// is taken back at the start and from time to time after (TakeBack.h).
//
// The kernel's notifications of the inbox (inotify) tell of writers and of arrivals renamed in; a
// look at the whole inbox every little while finds what they miss (NFS, a lost notification).
#include <QString>

#include <atomic>
#include <chrono>
#include <functional>

#include "app/JobObserver.h"
#include "compress/ArchiveFacade.h"
#include "settings/Settings.h"
#include "util/ProgramPaths.h"
#include "watch/WakeEvent.h"

struct TWatchOptions {
  QString inbox;  // absolute, without a trailing '/'
  std::chrono::milliseconds settle{5000};
  int jobs = 1;  // items worked on at once; 0: one per processor core
  QString host;  // the name claimed folders and journal lines carry; empty: this machine's
};

// A finished item, as the watcher tells of it.
struct TWatchedItem {
  int index = 0;       // the order in which this watcher claimed its items, from 0
  TItemResult result;  // its source is where the item arrived in the inbox
  QString kept;        // where the item lies now, in done/ or failed/
};

struct TWatchEnd {
  bool started = false;
  // Why the watch did not start, or why it ended without a stop request (the inbox went away, a
  // run could not start); empty after a stop request.
  QString message;
  bool stoppedAtOnce = false;  // a second stop request cut the items in progress short
  int successCount = 0;        // items whose output exists
  int errorCount = 0;          // items that failed
};

class TInboxWatcher {
 public:
  struct TEvents {
    std::function<void(const TWatchedItem&)> itemFinished;
    std::function<void(const QString&)> warning;  // for the user, as the runner's ShowWarning
  };

  // settings gives the settings of each item as it starts (with the caller's one-run overrides),
  // so that what changes in the data folder meanwhile applies to the next item. Replace-source
  // mode does not apply: outputs always go to the output folder. factory: as TJobRunner's.
  TInboxWatcher(TProgramPaths paths, TWatchOptions options, std::function<TSettings()> settings,
                TEvents events, TFacadeFactory factory = {});

  // Watches on the calling thread until stopped; the events come on this thread. Refused, with
  // nothing claimed, when the inbox is no folder, the output folder cannot be used or lies in the
  // inbox, or the program folder lies in the inbox.
  TWatchEnd Run();
  // Any thread, any number of times. The first request lets the items in progress finish, then
  // the watch ends; the second stops them at once: their packers end and they go back into the
  // inbox, to be run again.
  void Stop();

 private:
  TSettings ItemSettings() const;

  TProgramPaths paths_;
  TWatchOptions options_;
  std::function<TSettings()> settings_;
  TEvents events_;
  TFacadeFactory factory_;
  std::atomic<unsigned> stopRequests_{0};
  TWakeEvent wake_;  // a stop request, a run that ended
};
