// When an arrival counts as complete: tables of what the folder and the kernel told over time,
// and what is ready when.
#include <gtest/gtest.h>

#include <QString>
#include <QStringList>

#include "support/TestSupport.h"
#include "watch/ArrivalTracker.h"

using namespace std::chrono_literals;
using TClock = TArrivalTracker::TClock;
using TKind = TEntrySignature::TKind;

namespace {

TEST(ArrivalName, PartialUploadsAndHiddenNamesNeverArrive) {
  for (const char* name : {"game.zip", "game.part1.rar", "Folder", "x.tmp.zip", "a.partial", "setup.exe"})
    EXPECT_TRUE(IsArrivalName(name)) << name;
  for (const char* name : {"game.zip.part", "game.zip.PART", "upload.tmp", "big.iso.crdownload", ".hidden",
                           ".harrowmint", ".game.zip.Xa12b9", ""})
    EXPECT_FALSE(IsArrivalName(name)) << name;
}

// One step of a table: at a time (ms from the start), what was told about "a".
struct Step {
  enum { Look, Written, Touched, Closed, RenamedIn, Forget } what;
  int atMs;
  qint64 bytes = 0;  // Look: what the look found
  TKind kind = TKind::File;
};

struct Case {
  const char* name;
  std::vector<Step> steps;
  int readyFromMs;  // -1: never, within the case's last step + 10 s
};

TEST(ArrivalTracker, CompleteWhenClosedAndUnchangedForTheSettleTimeOrRenamedIn) {
  const std::vector<Case> cases = {
      {"a file only looked at: the settle time from its last change",
       {{Step::Look, 0, 10}, {Step::Look, 400, 20}, {Step::Look, 600, 20}},
       900},
      {"a file the kernel saw written and closed: the settle time from the close",
       {{Step::Written, 0}, {Step::Look, 100, 50}, {Step::Closed, 2000}, {Step::Look, 2100, 50}},
       2500},
      {"a writer that pauses longer than the settle time holds the file open: never ready",
       {{Step::Written, 0}, {Step::Look, 100, 50}, {Step::Look, 3000, 50}, {Step::Look, 9000, 50}},
       -1},
      {"renamed in: ready as soon as it was looked at", {{Step::RenamedIn, 0}, {Step::Look, 10, 50}}, 10},
      {"renamed in, then written to: the settle time again after the close",
       {{Step::RenamedIn, 0},
        {Step::Look, 10, 50},
        {Step::Written, 20},
        {Step::Closed, 300},
        {Step::Look, 310, 80}},
       810},
      {"renamed in but never looked at: nothing to claim yet", {{Step::RenamedIn, 0}}, -1},
      {"a folder renamed in still waits its settle time",
       {{Step::RenamedIn, 0, 0}, {Step::Look, 10, 100, TKind::Folder}},
       500},
      {"a folder created by a writer is no open file: its quiet time decides",
       {{Step::Written, 0},
        {Step::Look, 10, 0, TKind::Folder},
        {Step::Look, 300, 70, TKind::Folder},
        {Step::Look, 700, 70, TKind::Folder}},
       800},
      {"a link has no writer to wait for", {{Step::Written, 0}, {Step::Look, 10, 5, TKind::Other}}, 500},
      {"a status change (times set at the end of a copy) restarts the settle time",
       {{Step::Look, 0, 10}, {Step::Touched, 450}},
       950},
      {"lost notifications forget the writer: the settle time alone decides",
       {{Step::Written, 0}, {Step::Look, 10, 10}, {Step::Forget, 1000}},
       1000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TArrivalTracker tracker(500ms);
    const TClock::time_point start{};
    const auto at = [&start](int ms) { return start + std::chrono::milliseconds(ms); };
    int lastMs = 0;
    for (const Step& step : c.steps) {
      lastMs = step.atMs;
      switch (step.what) {
        case Step::Look:
          tracker.Seen("a", {step.kind, step.bytes, 1, 0, 7}, at(step.atMs));
          break;
        case Step::Written:
          tracker.Written("a", at(step.atMs));
          break;
        case Step::Touched:
          tracker.Touched("a", at(step.atMs));
          break;
        case Step::Closed:
          tracker.Closed("a", at(step.atMs));
          break;
        case Step::RenamedIn:
          tracker.RenamedIn("a", at(step.atMs));
          break;
        case Step::Forget:
          tracker.ForgetWriters();
          break;
      }
    }
    // The first millisecond, from the last step on, at which "a" is ready.
    int readyFrom = -1;
    for (int ms = lastMs; ms <= lastMs + 10000 && readyFrom < 0; ++ms)
      if (tracker.Ready(at(ms)) == QStringList{"a"}) readyFrom = ms;
    EXPECT_EQ(readyFrom, c.readyFromMs);
    // The wait the watcher sleeps on never overshoots the moment it becomes ready.
    if (c.readyFromMs > lastMs) {
      const auto next = tracker.NextReady(at(lastMs));
      ASSERT_TRUE(next.has_value());
      EXPECT_EQ(*next, at(c.readyFromMs));
    }
  }
}

TEST(ArrivalTracker, ReadyInArrivalOrderAndGoneWhenTheFolderNoLongerHoldsIt) {
  TArrivalTracker tracker(100ms);
  const TClock::time_point t0{};
  for (const char* name : {"c", "a", "b"}) tracker.Seen(name, {TKind::File, 1, 1, 0, 1}, t0);
  EXPECT_EQ(tracker.Ready(t0 + 100ms), QStringList({"c", "a", "b"}));
  tracker.KeepOnly({"a", "b"});
  tracker.Gone("b");
  EXPECT_EQ(tracker.Ready(t0 + 100ms), QStringList({"a"}));
  // A new entry under an old name arrives anew, after the others.
  tracker.Seen("c", {TKind::File, 1, 1, 0, 2}, t0 + 50ms);
  EXPECT_EQ(tracker.Ready(t0 + 150ms), QStringList({"a", "c"}));
  EXPECT_FALSE(tracker.NextReady(t0 + 150ms).has_value());
}

}  // namespace
