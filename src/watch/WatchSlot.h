#pragma once
// One of the watcher's places of work: the batch runner over one claimed item at a time, and the
// observer that turns the item's result into its journal line. The end of the item is written
// down (WriteClaimEnd) as the runner records its result, before the run lets go of the output,
// so that a watcher killed at any point leaves either an item to run again or one to finish. A
// run of one item on one worker hands its result over before it goes on (TOrderedObserver), so
// the record is on the disk by then.
#include <QJsonObject>
#include <QMutex>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <optional>

#include "app/JobRunner.h"
#include "watch/ClaimEnd.h"

// An item a watcher has claimed.
struct TClaimedItem {
  int index = 0;        // the order in which the watcher claimed it
  QString inboxPath;    // where it arrived
  QString claimFolder;  // where it lies now, ending with '/'
  QStringList entries;  // its entries there: the item, then the other volumes of its set
  QString path() const { return claimFolder + entries.value(0); }
};

// Where finished items go and how their lines are signed.
struct TFinishPlaces {
  QString done;    // ending with '/'
  QString failed;  // ending with '/'
  QString host;
};

class TWatchSlot : private IJobObserver {
 public:
  // onEnd is called on the run's thread once the item's run has ended.
  TWatchSlot(const TProgramPaths& paths, const TFacadeFactory& factory, TFinishPlaces places,
             std::function<void()> onEnd);

  bool busy() const { return item_.has_value(); }
  // The run has ended: Collect() gives its outcome without waiting.
  bool ended() const { return ended_; }

  // Starts the item's run (one item, one worker); refused as TJobRunner::Start refuses.
  TStartResult Start(const TClaimedItem& item, const TSettings& settings);
  // The packers of the item end at once; it ends as stopped unless it got past them.
  void Stop() { runner_.Stop(); }

  struct TOutcome {
    TClaimedItem item;
    TItemResult result;            // source: where the item arrived
    QJsonObject line;              // its journal line, without "kept"
    QString toFolder;              // done/ or failed/
    std::optional<TClaimEnd> end;  // written down; nothing when the item was stopped or writing failed
    QStringList warnings;
  };
  // Waits for the run's thread and frees the slot.
  TOutcome Collect();

 private:
  void ResetProgress() override {}
  void AnnounceItem(int index, int progress, const QString& path, const QString& statusLine) override {}
  void ShowLvState(int index, const QString& stateStr) override {}
  void SetLvExName(int index, const QString& str) override {}
  void ClearOutputColumns(int index) override {}
  void RecordResult(int index, const TItemResult& result) override;
  void ShowSummary(const TRunSummary& summary) override;
  void ShowWarning(const QString& message) override;

  TFinishPlaces places_;
  std::function<void()> onEnd_;
  TJobRunner runner_;
  std::optional<TClaimedItem> item_;
  std::atomic<bool> ended_{false};
  QMutex mutex_;  // what the run's thread records
  std::optional<TOutcome> outcome_;
  QStringList warnings_;
};
