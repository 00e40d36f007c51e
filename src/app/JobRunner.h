#pragma once
// The batch run: fixes the run's inputs at start, then walks the snapshot on one worker thread,
// turning every checked item into one output archive, and reports each step to the observer.
// A stop request ends the running engine program at once and the run after the current item; the
// current item is judged by its own results (only a packer the stop killed makes it "已停止").
#include <QSet>
#include <QString>
#include <atomic>
#include <mutex>
#include <thread>

#include "app/ItemJob.h"
#include "app/JobObserver.h"
#include "app/MyData.h"
#include "app/RunContext.h"
#include "compress/ArchiveFacade.h"
#include "settings/Settings.h"
#include "util/ProgramPaths.h"

struct TStartResult {
  bool started = false;
  // why not: TRunText::NoItems, TRunText::InvalidOutputFolder or TRunText::PasswordListUnreadable
  QString message;
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
  TStartResult Start(const TSettings& settings, const TSnapshot& items, bool dryRun = false);
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
  TItemResult RecordResult(int index, const TItemOutcome& outcome, const QString& pwd);
  // Tells the user, once a run, that a data file cannot be read.
  void WarnUnreadable(const QString& path);
  void ShowSummary();

  TProgramPaths paths_;
  IJobObserver& observer_;
  TFacadeFactory factory_;

  // Fixed at start, read by the worker only.
  TRunContext run_;
  TSnapshot t_List;

  // The run's counters, the worker's alone.
  struct TTally {
    int successCount = 0;  // outputs that exist
    int errorCount = 0;    // items whose verdict is not a success
    int recorded = 0;      // items that ended
  } tally_;
  bool summaryShown_ = false;
  QSet<QString> warnedFiles_;

  std::atomic<bool> isRunning_{false};
  std::atomic<bool> isExit_{false};
  std::atomic<unsigned> stopRequests_{0};
  std::mutex workerMutex_;
  std::thread myThread;
};
