#pragma once
// The batch run: fixes the run's inputs at start, then walks the snapshot on its workers, turning
// every checked item into one output archive, and reports each step to the observer. One worker
// takes the items one after another; several take the next item in input order as each becomes
// free, each with a facade of its own, and the observer still sees one item after another in
// input order (TOrderedObserver; an observer of rows sees every running item as it goes). A stop
// request ends every running engine program at once, every in-process extraction and packing at
// its next block, and the run after the items in progress: an item whose extraction or packing
// the stop ended, or that had yet to begin one, is "已停止" and leaves no output; an item that had
// finished both is judged by its own results.
#include <QSet>
#include <QString>
#include <atomic>
#include <exception>
#include <mutex>
#include <thread>

#include "app/ItemJob.h"
#include "app/ItemWorkers.h"
#include "app/JobObserver.h"
#include "app/MyData.h"
#include "app/OrderedObserver.h"
#include "app/RunContext.h"
#include "app/VolumeSetPlan.h"
#include "compress/ArchiveFacade.h"
#include "settings/Settings.h"
#include "util/ProgramPaths.h"

struct TStartResult {
  bool started = false;
  // why not: TRunText::NoItems, TRunText::InvalidOutputFolder or TRunText::PasswordListUnreadable
  QString message;
};

// How a run works, apart from its settings.
struct TRunOptions {
  int workers = 1;      // items at once; 0: one per processor core
  bool dryRun = false;  // extract and clean only (RunContext.h)
};

class TJobRunner {
 public:
  // factory: the facade of each run; empty gives the real one over the paths' engine folder.
  TJobRunner(TProgramPaths paths, IJobObserver& observer, TFacadeFactory factory = {});
  // Stops a run still going and waits for its worker.
  ~TJobRunner();
  TJobRunner(const TJobRunner&) = delete;
  TJobRunner& operator=(const TJobRunner&) = delete;

  // Starts a run over the snapshot with these settings (the caller has put its one-run values in
  // with ApplyRunOverrides, such as the window's decompression password). Refused, with nothing
  // changed, for an empty list, an output folder that cannot be used, a password list file given
  // in the settings that cannot be read, and while a run is active. A dry run (RunContext.h) does
  // not create the output folder either.
  TStartResult Start(const TSettings& settings, const TSnapshot& items, const TRunOptions& options = {});
  // Stop request: any thread, any number of times.
  void Stop();
  // Blocks until the current run's worker has ended.
  void Wait();

  bool isRunning() const { return isRunning_; }
  bool isExit() const { return isExit_; }
  // The resolved output folder of the current (or last) run, ending in '/'.
  QString outputPath() const { return run_.outputPath; }

 private:
  void RunJob();
  void StartCompress();
  // One worker: its own facade and item job, items from `workers` until none is left to start.
  // An unexpected error ends this worker and closes the list; the first is kept in failure_.
  void Work(TItemWorkers& workers, TOrderedObserver& observer, const TVolumeSetPlan& volumePlan);
  TItemResult RecordResult(int index, const TItemOutcome& outcome, const QString& pwd);
  // Tells the user, once a run, that a data file cannot be read.
  void WarnUnreadable(IJobObserver& observer, const QString& path);
  // Tells the user, before any item, that the engine the run's output format needs is missing.
  void WarnMissingPackingEngine(IJobObserver& observer);
  void ShowSummary();

  TProgramPaths paths_;
  IJobObserver& observer_;
  TFacadeFactory factory_;

  // Fixed at start, read by the workers only.
  TRunContext run_;
  TSnapshot t_List;  // the run's snapshot of the list: item i is row i
  int workers_ = 1;

  // The run's counters, shared by its workers.
  struct TTally {
    int successCount = 0;  // outputs that exist
    int errorCount = 0;    // items whose verdict is not a success
    int recorded = 0;      // items that ended
  } tally_;
  bool summaryShown_ = false;
  QSet<QString> warnedFiles_;
  std::mutex sharedMutex_;  // tally_, warnedFiles_, failure_
  std::exception_ptr failure_;

  std::atomic<bool> isRunning_{false};
  std::atomic<bool> isExit_{false};
  std::atomic<unsigned> stopRequests_{0};
  std::mutex workerMutex_;
  std::thread myThread;
};
