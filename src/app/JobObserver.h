#pragma once
// Whoever shows a run's progress. The runner calls these steps from its worker thread, one at a
// time, and waits for each to return: the window marshals them to its own thread with blocking
// queued calls, the command line handles them directly.
#include <QString>

// The outcome of one checked item, as the row shows it and its record keeps it.
struct TItemResult {
  QString source;        // the item's source path
  QString CompressPath;  // output archive (the source itself after a replacement); may not exist
  QString pwd;           // the password the output was made with (empty when none)
  bool outputExists = false;
  QString outputName;  // output-name cell: the file name, TRunText::SuspectOutput, or empty
  QString sizeText;    // output-size cell (FileSizeText), empty when there is no output
  qint64 fileSize = 0;
  int state = 0;      // TItemState: 1 plausible, -1 failed
  int progress = -1;  // new progress in percent, -1 to leave it
  QString status;     // the final status text, shown right after through ShowLvState
};

struct TRunSummary {
  int successCount = 0;  // outputs that exist
  int errorCount = 0;    // items counted as failed (an output may count in both)
  bool stopped = false;  // a stop request ended the run early
  QString stateText;     // TRunText::Summary
  QString failureText;   // TRunText::Failures, empty when nothing failed
};

class IJobObserver {
 public:
  virtual ~IJobObserver() = default;

  // Progress to 0.
  virtual void ResetProgress() = 0;
  // Every item, checked or not, before it is looked at.
  virtual void AnnounceItem(int index, int progress, const QString& path, const QString& stateText) = 0;
  // Status column of row `index`.
  virtual void ShowLvState(int index, const QString& stateStr) = 0;
  // Type column of row `index` (a self-extracting archive names its real format).
  virtual void SetLvExName(int index, const QString& str) = 0;
  // Output-name and output-size columns emptied as a checked item starts.
  virtual void ClearOutputColumns(int index) = 0;
  // The finished item; the row's record takes path, pwd and state from it.
  virtual void RecordResult(int index, const TItemResult& result) = 0;
  // End of the run. The run stays active until this returns (the window waits for its message).
  virtual void ShowSummary(const TRunSummary& summary) = 0;
  // A warning an engine has for the user, such as an outdated unrar library; the run goes on.
  virtual void ShowEngineWarning(const QString& message) {}
};
