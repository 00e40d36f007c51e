// How far a run has come as a whole: finished items count whole, running ones by their own way
// (extraction the first half, packing the second), and the status line names what is in progress.
#include <gtest/gtest.h>

#include <QStringList>

#include "app/RunProgress.h"
#include "app/StatusTexts.h"

namespace {

// A script of what workers do, one word each: "start N", "extract N PERCENT", "pack N PERCENT",
// "unknown N" (packing whose total is not known yet), "finish N". The tally's changes are written "percent line", with "-" for no line.
QStringList Play(int items, const QStringList& script) {
  QStringList heard;
  TRunProgressTally tally(items, [&heard](const TRunProgress& p) {
    heard << QString::number(p.percent) + ' ' + (p.statusLine.isEmpty() ? QStringLiteral("-") : p.statusLine);
  });
  for (const QString& line : script) {
    const QStringList words = line.split(' ');
    const int index = words[1].toInt();
    const auto phase = words[0] == "pack" ? TProgress::TPhase::Packing : TProgress::TPhase::Extracting;
    if (words[0] == "start") tally.Start(index, "/in/item" + words[1] + ".zip");
    if (words[0] == "extract" || words[0] == "pack") tally.Report(index, {phase, words[2].toULongLong(), 100});
    if (words[0] == "unknown") tally.Report(index, {TProgress::TPhase::Packing, 5, 0});
    if (words[0] == "finish") tally.Finish(index);
  }
  return heard;
}

const QString kOne = TRunText::Announce(QStringLiteral("/in/item0.zip"));

TEST(RunProgress, FinishedItemsAndTheRunningOnesFractions) {
  struct Case {
    const char* what;
    int items;
    QStringList script;
    QStringList heard;
  };
  const Case cases[] = {
      {"one item after another: the bar moves within an item, and an item's start is where the last ended",
       3,
       {"start 0", "extract 0 50", "pack 0 0", "pack 0 100", "finish 0", "start 1"},
       {"0 " + kOne, "8 " + kOne, "16 " + kOne, "33 " + kOne, "33 -",
        "33 " + TRunText::Announce(QStringLiteral("/in/item1.zip"))}},
      {"two at once: both fractions count, the line names both by their file names",
       2,
       {"start 0", "start 1", "pack 1 50", "extract 0 20", "finish 1"},
       {"0 " + kOne, "0 状态:正在打包【item0.zip】、【item1.zip】...", "37 状态:正在打包【item0.zip】、【item1.zip】...",
        "42 状态:正在打包【item0.zip】、【item1.zip】...", "55 " + kOne}},
      {"a fraction never goes back, and a report without a total or for an item not running moves nothing",
       4,
       {"start 0", "pack 0 80", "extract 0 90", "pack 0 60", "unknown 0", "extract 2 50", "finish 0", "finish 0"},
       {"0 " + kOne, "22 " + kOne, "25 -"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Play(c.items, c.script), c.heard);
  }
}

}  // namespace
