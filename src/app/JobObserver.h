#pragma once
// Whoever shows a run's progress. The runner hands these steps over from its worker threads: the
// window marshals them to its own thread with blocking queued calls, the command line handles
// them directly. For an observer of lines (the command line) the steps of the items come one at a
// time, item after item in input order, whether the run works on one item at a time or on
// several; with several, a step may come from another worker than the one that made it, and no
// worker waits for another's. An observer of rows (ShowsItemsAtOnce, the window) gets every
// item's steps as they happen instead, from the worker on the item, several items at once. A
// warning may come while another step is being taken (from another thread): an observer that
// keeps state both touch guards it. Verdicts, counts and texts come from the runner; an observer
// only shows them.
#include <QString>

#include "app/ItemOutcome.h"
#include "app/MyData.h"
#include "app/RunProgress.h"
#include "compress/common/Progress.h"

// The finished item, as the row shows it and its record keeps it.
struct TItemResult {
  QString source;        // the item's source path
  QString CompressPath;  // output archive (the source itself after a replacement); may not exist
  QString pwd;           // the password the output was made with (empty when none)
  TItemVerdict verdict = TItemVerdict::Failed;
  QString status;  // the final status text, shown right after through ShowLvState
  bool outputExists = false;
  qint64 fileSize = 0;           // of the output, 0 when there is none
  QString sizeText;              // output-size cell (SizeText), empty when there is no output
  int progress = -1;             // new progress in percent, -1 to leave it
  int unpackPasswordIndex = -1;  // TItemOutcome::unpackPasswordIndex
  QStringList causes;            // TItemOutcome::causes: what the log said went wrong, first the cause
  // A dry run's item: CompressPath is the output it would get, cleanup what was done to a copy.
  bool dryRun = false;
  TCleanupReport cleanup;
  QStringList nestedOpened;  // TItemOutcome::nestedOpened
  QStringList nestedKept;    // TItemOutcome::nestedKept

  // The output lies below the plausible size: the row names no output but says it may be damaged.
  bool outputMayBeDamaged() const { return verdict == TItemVerdict::Suspect; }
  // The row record's state: plausible for a success, not processed for a skipped volume or a dry
  // run's preview, failed for every other verdict.
  TItemState rowState() const {
    if (verdict == TItemVerdict::Skipped || verdict == TItemVerdict::Previewed) return isNotProcessed;
    return verdict == TItemVerdict::Success ? isPlausible : isFailed;
  }
};

// The output-name cell: the output's file name (for a dry run's preview: the name it would get),
// TRunText::SuspectOutput when the output may be damaged, empty when there is no output.
QString OutputNameText(const TItemResult& result);

struct TRunSummary {
  int successCount = 0;  // outputs that exist
  int errorCount = 0;    // items counted as failed (an output may count in both)
  bool stopped = false;  // a stop request ended the run early
  // Every checked item of the snapshot ended with a plausible output: none failed, none was left
  // undone by a stop.
  bool allPlausible = false;
  QString statusLine;   // TRunText::Summary
  QString failureText;  // TRunText::Failures, empty when nothing failed
};

class IJobObserver {
 public:
  virtual ~IJobObserver() = default;

  // Progress to 0.
  virtual void ResetProgress() = 0;
  // Every item, checked or not, before it is looked at; statusLine is TRunText::Announce.
  virtual void AnnounceItem(int index, int progress, const QString& path, const QString& statusLine) = 0;
  // Status column of row `index`.
  virtual void ShowLvState(int index, const QString& stateStr) = 0;
  // How far the item's extraction or packing has come, a few times a second at most (already
  // thinned out); only the latest value of a report that could not be handed over at once. It
  // may come from any worker or engine thread, and must not keep that thread waiting. The step
  // that follows the extraction or packing shows the row's next text as usual.
  virtual void ShowItemProgress(int index, const TProgress& progress) {}
  // How far the run has come as a whole and the status line naming the items in progress
  // (TRunProgressTally), at every change. From any worker or engine thread, one at a time; like
  // ShowItemProgress it must not keep that thread waiting.
  virtual void ShowRunProgress(const TRunProgress& progress) {}
  // Type column of row `index` (a self-extracting archive names its real format).
  virtual void SetLvExName(int index, const QString& str) = 0;
  // Output-name and output-size columns emptied as a checked item starts.
  virtual void ClearOutputColumns(int index) = 0;
  // The finished item; the row's record takes CompressPath, pwd and RowState from it.
  virtual void RecordResult(int index, const TItemResult& result) = 0;
  // End of the run. The run stays active until this returns (the window waits for its message).
  virtual void ShowSummary(const TRunSummary& summary) = 0;
  // True: every item's steps come as they happen, from the worker on the item, each item's in
  // their order and several items' at once (from several threads); the steps of the run as a
  // whole still come before and after them. False: one item after another, in input order.
  virtual bool ShowsItemsAtOnce() const { return false; }
  // A warning for the user; the run goes on once it returns (the worker that raised it waits for
  // it, the others do not). An engine's (an outdated unrar library), or a data file that cannot
  // be read (its rules are not used).
  virtual void ShowWarning(const QString& message) {}
};
