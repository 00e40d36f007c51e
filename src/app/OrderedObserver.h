#pragma once
// The run's observer as the workers of a run see it: items worked on at once still reach the
// real observer one step at a time and one item after another, in input order. The steps of the
// first item that has not finished pass at once; those of later items are held until every item
// before them has finished, and then passed in the order they came. With one worker nothing is
// ever held, so the observer sees exactly what a run of one item after another shows.
#include <functional>
#include <map>
#include <mutex>
#include <vector>

#include "app/JobObserver.h"

class TOrderedObserver : public IJobObserver {
 public:
  TOrderedObserver(IJobObserver& observer, int itemCount);

  // Steps of the run as a whole: passed at once.
  void ResetProgress() override;
  void ShowSummary(const TRunSummary& summary) override;
  void ShowWarning(const QString& message) override;

  // Steps of item `index`: passed at once while every item before it has finished, else held.
  void AnnounceItem(int index, int progress, const QString& path, const QString& statusLine) override;
  void ShowLvState(int index, const QString& stateStr) override;
  void SetLvExName(int index, const QString& str) override;
  void ClearOutputColumns(int index) override;
  void RecordResult(int index, const TItemResult& result) override;

  // Item `index` has had its last step; the held steps of the items after it that may now pass
  // are passed.
  void Finish(int index);
  // Passes every step still held, in input order: the end of a run in which an item began did
  // not finish (an unexpected error ended its worker).
  void FinishAll();

 private:
  using TStep = std::function<void(IJobObserver&)>;
  void Pass(int index, TStep step);

  std::mutex mutex_;  // one step at a time, whichever worker it comes from
  IJobObserver& observer_;
  std::vector<bool> finished_;
  int first_ = 0;  // the first item that has not finished: its steps pass at once
  std::map<int, std::vector<TStep>> held_;
};
