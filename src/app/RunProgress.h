#pragma once
// How far a run has come as a whole, as its items are worked on (one after another or several at
// once): every finished item counts whole and every running one by its own fraction, so the bar
// moves while a large item works instead of once per item. An item's extraction is the first half
// of its way and its packing the second; an item that packs without extracting starts at the
// half, and a fraction never goes back (a password tried again starts its extraction over). The
// status line names the items in progress in input order.
#include <QString>

#include <functional>
#include <map>
#include <mutex>

#include "compress/common/Progress.h"

struct TRunProgress {
  int percent = 0;     // 0..100
  QString statusLine;  // TRunText::Announce of the items in progress; empty while none is

  friend bool operator==(const TRunProgress&, const TRunProgress&) = default;
};

class TRunProgressTally {
 public:
  using TSink = std::function<void(const TRunProgress&)>;

  // sink hears every change, one at a time, under the tally's lock: it must not wait.
  TRunProgressTally(int itemCount, TSink sink);

  // Any thread.
  void Start(int index, const QString& path);
  void Report(int index, const TProgress& progress);
  void Finish(int index);

 private:
  struct TRunning {
    QString path;
    int permille = 0;  // of the item's way
  };
  // The item's way so far for a report, in permille; -1 while its total is unknown.
  static int Permille(const TProgress& progress);
  void Changed();

  std::mutex mutex_;
  TSink sink_;
  int itemCount_;
  int finished_ = 0;
  std::map<int, TRunning> running_;
  TRunProgress passed_;
};
