// What the window tells about failures: a missing output engine once a run, naming the engine
// folder, before any item; each failed row's cause in its hover tip and, whole, from the row's
// context menu (查看失败原因); and a stop during a large in-process packing that ends it.
#include <QMessageBox>

#include "WindowFixture.h"
#include "app/StatusTexts.h"
#include "gui/Theme.h"

using testsupport::RunTool;
using testsupport::TreeListing;
using testsupport::WriteFile;

namespace {

constexpr int kWideTip = 100000;  // no line of a tip elided

// A new program folder whose engine folder is empty, as a user meets it after unpacking only the
// program.
TEST(MainWindowFailures, AMissingEngineIsNamedWithItsFolderAndEachRowTellsItsCause) {
  HM_REQUIRE_TOOL("7z");
  WindowHome h(true);
  QFile::remove(h.home + "/Engine");
  testsupport::MakeDir(h.home + "/Engine");
  TSettings settings = h.QuickSettings();
  settings.CompressExt = ofRAR;
  h.Save(settings);
  WriteFile(h.home + "/tree/a.bin", "a");
  ASSERT_EQ(RunTool("7z", {"a", "-bd", h.In("pics.7z"), "."}, h.home + "/tree").exitCode, 0);
  WriteFile(h.In("Folder/b.bin"), "b");
  TMessageRecorder recorder;
  Tfrmmain w(h.paths);
  w.show();
  w.ListView1->AddPath(h.In("pics.7z"));
  w.ListView1->AddPath(h.In("Folder"));

  Click(w.btnStart);
  ASSERT_TRUE(WaitUntil([&] { return !w.isRunning(); }));
  const QString engineFolder = h.paths.engineFolder();
  EXPECT_EQ(recorder.texts(), QStringList({TRunText::PackingEngineMissing("rar", engineFolder),
                                           "2个打包失败，请注意核对。"}))
      << "said once, before any item";
  EXPECT_TRUE(recorder.texts().first().contains(engineFolder));

  const struct {
    QString cause;  // what the row's tip and its causes end with
  } rows[] = {{"no 7z library at " + engineFolder + "7z.so"}, {"the RAR packer is not in the engine folder"}};
  for (int i = 0; i < 2; ++i) {
    SCOPED_TRACE(i);
    const TBatchItem* row = w.ListView1->Row(i);
    EXPECT_EQ(row->text(TBatchList::colState), TStatusText::EngineLoadFailed);
    const QString tip = w.ListView1->InfoTip(*row, kWideTip);
    EXPECT_TRUE(tip.contains("失败原因：")) << tip.toStdString();
    EXPECT_TRUE(tip.contains(rows[i].cause)) << tip.toStdString();
  }

  // The context menu shows the causes whole.
  recorder.clear();
  w.ListView1->setCurrentItem(w.ListView1->Row(0));
  w.N20->trigger();
  ASSERT_EQ(recorder.messages().size(), 1);
  EXPECT_EQ(recorder.messages()[0].title, "失败原因");
  EXPECT_EQ(recorder.messages()[0].text, w.ListView1->Row(0)->causes.join('\n'));
  EXPECT_TRUE(recorder.messages()[0].text.contains(rows[0].cause));

  // A row that did not fail has no cause to show.
  recorder.clear();
  WriteFile(h.In("new.bin"), "c");
  w.ListView1->AddPath(h.In("new.bin"));
  w.ListView1->setCurrentItem(w.ListView1->Row(2));
  w.N20->trigger();
  EXPECT_EQ(recorder.texts(), QStringList({"这一行没有记录失败原因。"}));
  EXPECT_EQ(w.ListView1->InfoTip(*w.ListView1->Row(2), kWideTip), "");
}

// Stopping while the ZIP engine or the 7z library packs a large file ends the packing at its next
// block: the row reads "已停止" and no output is left, as for a killed RAR packer.
TEST(MainWindowFailures, AStopEndsALargeInProcessPacking) {
  for (const int format : {int(ofZIP), int(of7z)}) {
    SCOPED_TRACE(GetOutputExt(format).toStdString());
    WindowHome h(true);
    TSettings settings = h.QuickSettings();
    settings.CompressExt = format;
    settings.CopyFolder = false;  // packed where it is: no copy of the large file first
    h.Save(settings);
    WriteFile(h.In("Large/large.bin"), {});
    ASSERT_TRUE(QFile::resize(h.In("Large/large.bin"), qint64(2) << 30));  // sparse
    TMessageRecorder recorder;
    Tfrmmain w(h.paths);
    w.show();
    w.ListView1->AddPath(h.In("Large"));
    Click(w.btnStart);
    const auto state = [&] { return w.ListView1->Row(0)->text(TBatchList::colState); };
    ASSERT_TRUE(WaitUntil([&] { return state().startsWith(TStatusText::Compressing + ' '); }, 120000))
        << state().toStdString();

    Click(w.btnStart);
    EXPECT_EQ(w.btnStart->text(), "正在停止");
    ASSERT_TRUE(WaitUntil([&] { return !w.isRunning(); }, 120000));
    EXPECT_EQ(state(), TStatusText::Stopped);
    EXPECT_EQ(w.ListView1->Row(0)->foreground(TBatchList::colPath).color(), theme::FailedText());
    EXPECT_EQ(TreeListing(h.home + "/out"), QStringList()) << "no output, no partial file";
    EXPECT_EQ(TreeListing(h.home + "/tmp"), QStringList());
    EXPECT_EQ(recorder.texts(), QStringList({"1个打包失败，请注意核对。"}));
  }
}

}  // namespace
