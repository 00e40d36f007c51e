// The installed-engines dialog shows the engine folder's listing: engines, then the named
// plug-ins, each with its program's version; missing programs are shown as such.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTreeWidget>

#include "SettingDialogFixture.h"
#include "compress/FacadeFixture.h"
#include "compress/plugin/PluginFixture.h"
#include "gui/EngineInfoDialog.h"

using dialogtest::Child;
using pluginfixture::PluginText;

namespace {

struct TRow {
  QString caption;
  QString version;
  bool greyed;
};

QList<TRow> Rows(const TfrmEngineInfo& dialog) {
  const QTreeWidget* list = Child<QTreeWidget>(dialog, "ListView1");
  const QBrush greyed = list->palette().brush(QPalette::Disabled, QPalette::Text);
  QList<TRow> rows;
  for (int i = 0; i < list->topLevelItemCount(); ++i) {
    const QTreeWidgetItem* item = list->topLevelItem(i);
    rows.append({item->text(0), item->text(1), item->foreground(0) == greyed});
  }
  return rows;
}

TEST(EngineInfoDialog, PluginsWithTheirVersionsAndMissingProgramsAsSuch) {
  pluginfixture::TEngineFolder engine;
  engine.WriteRecorder("tool");
  engine.WritePlugin("cab.pk", PluginText("CAB", "tool", "x {file}"));
  engine.WritePlugin("arj.pk", PluginText("ARJ", "nothere", "x {file}"));
  engine.WritePlugin("lzh.pk", PluginText("", "tool", "x {file}"));  // works, but has no name
  const TProgramPaths paths(QFileInfo(engine.path() + "..").absoluteFilePath());
  ASSERT_EQ(paths.engineFolder(), engine.path());

  TfrmEngineInfo dialog(paths);
  const QList<TRow> rows = Rows(dialog);
  ASSERT_EQ(rows.size(), 5);
  const TRow expected[] = {
      {"rar", "", true},        {"libunrar.so", "", true},        {"7z.so", "", true},
      {"ARJ(*.arj)", "", true}, {"CAB(*.cab)", "0.0.0.0", false},
  };
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(expected[i].caption.toStdString());
    EXPECT_EQ(rows[i].caption, expected[i].caption);
    EXPECT_EQ(rows[i].version, expected[i].version);
    EXPECT_EQ(rows[i].greyed, expected[i].greyed);
  }
  const QTreeWidgetItem* missing = Child<QTreeWidget>(dialog, "ListView1")->topLevelItem(3);
  EXPECT_EQ(missing->toolTip(0), QStringLiteral("找不到程序：") + engine.file("nothere"));
}

TEST(EngineInfoDialog, TheBuildsEnginesAndShippedPlugins) {
  HM_REQUIRE_ENGINE("rar");
  HM_REQUIRE_ENGINE("7z.so");
  HM_REQUIRE_ENGINE("libunrar.so");
  TfrmEngineInfo dialog(TProgramPaths(testsupport::BinDir()));
  const QList<TRow> rows = Rows(dialog);
  QStringList captions;
  for (const TRow& row : rows) {
    captions << row.caption;
    // The unrar library tells its interface's version only.
    const QString version = row.caption == "libunrar.so" ? R"(^API \d+$)" : R"(^\d+\.\d+\.\d+\.\d+$)";
    EXPECT_TRUE(QRegularExpression(version).match(row.version).hasMatch())
        << row.caption.toStdString() << ": " << row.version.toStdString();
    EXPECT_NE(row.version, "0.0.0.0") << row.caption.toStdString();
    EXPECT_FALSE(row.greyed) << row.caption.toStdString();
  }
  for (const char* caption : {"rar", "libunrar.so", "7z.so", "TAR(*.tar)", "ISO(*.iso)"})
    EXPECT_TRUE(captions.contains(caption)) << caption;
}

TEST(EngineInfoDialog, CaptionsColumnsAndSize) {
  pluginfixture::TEngineFolder engine;
  TfrmEngineInfo dialog(TProgramPaths(QFileInfo(engine.path() + "..").absoluteFilePath()));
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("已安装引擎"));
  EXPECT_EQ(dialog.size(), QSize(559, 397));
  EXPECT_EQ(Child<QLabel>(dialog, "Label1")->text(), QStringLiteral("当前已安装以下解压引擎(只负责解压)"));
  const QTreeWidget* list = Child<QTreeWidget>(dialog, "ListView1");
  EXPECT_EQ(list->headerItem()->text(0), QStringLiteral("引擎名"));
  EXPECT_EQ(list->headerItem()->text(1), QStringLiteral("版本号"));
  EXPECT_EQ(list->columnWidth(0), 150);
  EXPECT_EQ(list->editTriggers(), QAbstractItemView::NoEditTriggers);
  auto* ok = Child<QPushButton>(dialog, "btnOK");
  EXPECT_EQ(ok->text(), QStringLiteral("确定"));
  dialog.show();
  dialogtest::Click(ok);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

}  // namespace
