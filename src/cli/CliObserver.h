#pragma once
// The command line's view of a run: one line (or JSON object) per finished item on standard
// output, then the summary; progress on standard error when that is a terminal.
#include <QString>
#include <cstdio>

#include "app/JobObserver.h"

class TCliObserver : public IJobObserver {
 public:
  TCliObserver(int itemCount, bool json, std::FILE* out, std::FILE* progress);

  void ResetProgress() override {}
  void AnnounceItem(int index, int progress, const QString& path, const QString& statusLine) override;
  void ShowLvState(int index, const QString& stateStr) override;
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
  static QString ItemLine(int index, const TItemResult& result);
  // The same as one compact JSON object.
  static QString ItemJson(int index, const TItemResult& result);

 private:
  void Print(const QString& text);
  void ShowProgress(const QString& text);
  void ClearProgress();

  int itemCount_;
  bool json_;
  std::FILE* out_;
  std::FILE* progress_;  // null: no progress shown
  bool progressShown_ = false;
  QString currentPath_;
  bool anyFailed_ = true;
};
