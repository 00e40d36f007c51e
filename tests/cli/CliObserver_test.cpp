// The exit status the command line takes from its observer: 0 only when every item given made a
// plausible archive.
#include <gtest/gtest.h>

#include <QList>
#include <cstdio>

#include "cli/CliObserver.h"

namespace {

TItemResult Result(int state) {
  TItemResult r;
  r.state = state;
  r.status = QStringLiteral("打包完毕");
  return r;
}

struct Case {
  const char* what;
  QList<int> states;  // the items that ended, in order, of two given
  bool anyFailed;
};

TEST(CliObserver, AnyFailedCountsItemsThatNeverEnded) {
  const Case cases[] = {
      {"both plausible", {1, 1}, false},
      {"second below the plausible size", {1, -1}, true},
      {"stopped after the first", {1}, true},
      {"stopped before any", {}, true},
  };
  for (const Case& c : cases) {
    std::FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    TCliObserver observer(2, false, out, nullptr);
    for (int i = 0; i < c.states.size(); ++i) observer.RecordResult(i, Result(c.states[i]));
    observer.ShowSummary(TRunSummary{});
    EXPECT_EQ(observer.anyFailed(), c.anyFailed) << c.what;
    std::fclose(out);
  }
}

}  // namespace
