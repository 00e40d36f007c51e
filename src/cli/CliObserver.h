#pragma once
// The command line's view of a run: one line (or JSON object) per finished item on standard
// output, then the summary; progress on standard error when that is a terminal.
#include <QElapsedTimer>
#include <QString>
#include <cstdio>
#include <mutex>

#include "app/JobObserver.h"

class TCliObserver : public IJobObserver {
 public:
  TCliObserver(int itemCount, bool json, std::FILE* out, std::FILE* progress);

  void ResetProgress() override {}
  void AnnounceItem(int index, int progress, const QString& path, const QString& statusLine) override;
  void ShowLvState(int index, const QString& stateStr) override;
  // On the progress line: percent (or the bytes so far while the total is unknown), the speed
  // since the phase began, and the item.
  void ShowItemProgress(int index, const TProgress& progress) override;
  void SetLvExName(int index, const QString& str) override {}
  void ClearOutputColumns(int index) override {}
  void RecordResult(int index, const TItemResult& result) override;
  void ShowSummary(const TRunSummary& summary) override;
  // On standard error, as "harrowmint-cli: <message>".
  void ShowWarning(const QString& message) override;

  // What the summary said: not every item made a plausible archive (or no summary came).
  bool anyFailed() const { return anyFailed_; }

  // The item line: index, status, output path (empty when none), size in bytes, tab-separated.
  // A backslash, tab, line feed or carriage return inside a field is written as \\, \t, \n or
  // \r, so every item is one line of four fields whatever its names hold.
  // A dry run's item names the output it would get, and a line per cleanup action follows, its
  // fields escaped the same way:
  // "\tdeleted\tPATH\tPATTERN", "\tdeleted by content\tPATH\tPATTERN",
  // "\trewrote\tPATH:LINE\tFIND -> REPLACEMENT\tLINE AFTER", "\trenamed\tPATH\tNEW NAME".
  static QString ItemLine(int index, const TItemResult& result);
  // The same as one compact JSON object; a dry run's has "dryRun": true and the arrays
  // "deleted" ({path, rule, byContent}), "rewritten" ({path, rule, replacement, line, text}) and
  // "renamed" ({path, newName}).
  static QString ItemJson(int index, const TItemResult& result);
  // "正在压缩中... 42%  12.50MB/s": the phase's text with its percent or bytes so far, then the
  // speed (none before a speed can be told).
  static QString ProgressFigures(const TProgress& progress, qint64 bytesPerSecond);

 private:
  void Print(const QString& text);
  void ShowProgress(const QString& text);
  void ClearProgress();
  QString StepLine(int index, const QString& step) const;

  int itemCount_;
  bool json_;
  std::FILE* out_;
  std::FILE* progress_;  // null: no progress shown
  // A warning may come while another step writes; what follows and the streams are its.
  std::mutex outputMutex_;
  bool progressShown_ = false;
  QString currentPath_;
  // Where the phase under way began, for its speed.
  int phaseIndex_ = -1;
  TProgress::TPhase phase_ = TProgress::TPhase::Extracting;
  quint64 phaseStartBytes_ = 0;
  QElapsedTimer phaseClock_;
  bool anyFailed_ = true;
};
