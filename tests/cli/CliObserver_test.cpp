// The exit status the command line takes from its observer: 0 only when the run's summary says
// every item given made a plausible archive (the runner counts items a stop left undone), and the
// lines it prints for the flags of a result.
#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

#include "cli/CliObserver.h"

namespace {

TEST(CliObserver, AnyFailedIsWhatTheSummarySays) {
  for (const bool allPlausible : {true, false}) {
    std::FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    TCliObserver observer(2, false, out, nullptr);
    EXPECT_TRUE(observer.anyFailed()) << "no summary yet";
    TRunSummary summary;
    summary.allPlausible = allPlausible;
    observer.ShowSummary(summary);
    EXPECT_EQ(observer.anyFailed(), !allPlausible);
    std::fclose(out);
  }
}

// The flag "the output may be damaged" becomes the cell text in JSON, as it does in the window;
// the tab line names the output all the same.
TEST(CliObserver, AnOutputThatMayBeDamagedIsNamedAsTheWindowNamesIt) {
  TItemResult r;
  r.CompressPath = QStringLiteral("/out/tiny.zip");
  r.status = QStringLiteral("打包完毕");
  r.verdict = TItemVerdict::Suspect;
  r.outputExists = true;
  r.fileSize = 120;
  const QJsonObject item = QJsonDocument::fromJson(TCliObserver::ItemJson(1, r).toUtf8()).object();
  EXPECT_EQ(item["outputName"].toString(), QStringLiteral("文件可能出错"));
  EXPECT_EQ(item["state"].toInt(), -1);
  EXPECT_EQ(item["output"].toString(), r.CompressPath);
  EXPECT_EQ(TCliObserver::ItemLine(1, r), QStringLiteral("1\t打包完毕\t/out/tiny.zip\t120"));
}

// A name may hold any byte but '/' and NUL: a tab or line break in it must not add a field or a
// line, so those and the backslash that escapes them are written as C escapes.
TEST(CliObserver, TabsAndLineBreaksInAPathCannotForgeFieldsOrLines) {
  struct Case {
    QString path;
    QString shown;
  };
  const Case cases[] = {
      {"/out/a\tb.zip", R"(/out/a\tb.zip)"},
      {"/out/1\n0\t打包完毕\t/fake.zip\t9.zip", R"(/out/1\n0\t打包完毕\t/fake.zip\t9.zip)"},
      {"/out/r\r.zip", R"(/out/r\r.zip)"},
      {R"(/out/back\slash\t.zip)", R"(/out/back\\slash\\t.zip)"},
  };
  for (const Case& c : cases) {
    TItemResult r;
    r.CompressPath = c.path;
    r.status = QStringLiteral("打包完毕");
    r.outputExists = true;
    r.fileSize = 7000;
    const QString line = TCliObserver::ItemLine(3, r);
    SCOPED_TRACE(line.toStdString());
    EXPECT_FALSE(line.contains('\n') || line.contains('\r'));
    EXPECT_EQ(line, "3\t打包完毕\t" + c.shown + "\t7000");
  }
}

}  // namespace

namespace {

TEST(CliObserver, ProgressFiguresGivePercentOrBytesAndTheSpeed) {
  using TPhase = TProgress::TPhase;
  EXPECT_EQ(TCliObserver::ProgressFigures({TPhase::Packing, 42, 100}, 1 << 20),
            "正在压缩中... 42%  1.00MB/s");
  // No total yet (a plug-in): the bytes so far instead of a percent.
  EXPECT_EQ(TCliObserver::ProgressFigures({TPhase::Extracting, 5 << 20, 0}, 2048),
            "正在解压中... 5.00MB  2.00KB/s");
  // No speed before one can be told.
  EXPECT_EQ(TCliObserver::ProgressFigures({TPhase::Extracting, 0, 100}, 0), "正在解压中... 0%");
}

}  // namespace
