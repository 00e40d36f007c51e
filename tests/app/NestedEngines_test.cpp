// Archives inside archives through the real engines: a ZIP holding a RAR holding a 7z is cleaned
// at every level when asked, packed as it always was when not, and a bomb spread over the levels
// is refused as a whole.
#include <QDir>

#include "IndependentListing.h"
#include "RunnerFixture.h"
#include "app/StatusTexts.h"

using testsupport::RandomBytes;
using testsupport::ReadFile;
using testsupport::RunTool;
using testsupport::WriteFile;

namespace {

class NestedEngines : public testing::Test {
 protected:
  void SetUp() override {
    for (const char* tool : {"zip", "unzip", "7z", "rar"}) HM_REQUIRE_TOOL(tool);
    h.LinkBuiltEngines();
    h.Data("delete.dat", "*.url\r\n");
  }
  // Packs the files of `folder` (relative names) into archive with the tool of its extension.
  void Pack(const QString& folder, const QString& archive) {
    const QString ext = QFileInfo(archive).suffix();
    const QStringList files = QDir(folder).entryList(QDir::Files);
    testsupport::MakeDir(QFileInfo(archive).path());
    int rc;
    if (ext == QLatin1String("zip"))
      rc = RunTool("zip", QStringList{"-q", archive} + files, folder).exitCode;
    else if (ext == QLatin1String("7z"))
      rc = RunTool("7z", QStringList{"a", "-bd", archive} + files, folder).exitCode;
    else
      rc = RunTool("rar", QStringList{"a", "-idq", archive} + files, folder).exitCode;
    ASSERT_EQ(rc, 0) << archive.toStdString();
  }

  RunnerHome h;
};

TEST_F(NestedEngines, AZipHoldingARarHoldingA7zIsCleanedAtEveryLevel) {
  const QByteArray game = "MZ" + RandomBytes(20000);  // a program: it stays a file at any depth
  WriteFile(h.home.file("l3/game.exe"), game);
  WriteFile(h.home.file("l3/ad.url"), "[InternetShortcut]\r\n");
  Pack(h.home.file("l3"), h.home.file("l2/deep.7z"));
  WriteFile(h.home.file("l2/ad.url"), "[InternetShortcut]\r\n");
  Pack(h.home.file("l2"), h.home.file("l1/inner.rar"));
  Pack(h.home.file("l1"), h.In("upload.zip"));

  h.settings.NestedDepth = 3;
  RecordingObserver deep;
  h.Run(deep, RunnerHome::Checked({h.In("upload.zip")}));
  const TItemResult& r = deep.results[0];
  ASSERT_EQ(r.status, TStatusText::Packed);
  EXPECT_EQ(listing::FileNames(r.CompressPath), QStringList({"inner/deep/game.exe"}));
  EXPECT_EQ(RunTool("unzip", {"-p", r.CompressPath, "inner/deep/game.exe"}).out, game);
  EXPECT_EQ(r.nestedOpened, QStringList({"inner.rar", "inner/deep.7z"}));
  EXPECT_EQ(h.TempLeftovers(), QStringList());

  // Off, the inner archive is packed as it came, byte for byte.
  h.settings.NestedDepth = 0;
  RecordingObserver flat;
  h.Run(flat, RunnerHome::Checked({h.In("upload.zip")}));
  ASSERT_EQ(flat.results[0].status, TStatusText::Packed);
  EXPECT_EQ(listing::FileNames(flat.results[0].CompressPath), QStringList({"inner.rar"}));
  EXPECT_EQ(RunTool("unzip", {"-p", flat.results[0].CompressPath, "inner.rar"}).out,
            ReadFile(h.home.file("l1/inner.rar")));
  EXPECT_TRUE(flat.results[0].nestedOpened.isEmpty());
}

// Each level writes less than MaxUnpackMB, all of them together more: the item cannot be
// extracted and leaves nothing, as a flat bomb does; the levels that fit are opened.
TEST_F(NestedEngines, ABombSpreadOverTheLevelsIsRefusedAsAWhole) {
  WriteFile(h.home.file("l2/filler.bin"), QByteArray(700 * 1024, '\0'));
  Pack(h.home.file("l2"), h.home.file("l1/level2.zip"));
  WriteFile(h.home.file("l1/filler.bin"), QByteArray(700 * 1024, '\0'));
  Pack(h.home.file("l1"), h.home.file("l0/level1.zip"));
  Pack(h.home.file("l0"), h.In("bomb.zip"));
  h.settings.extractLimits.maxBytes = TExtractLimits::kMiB;

  struct Row {
    int depth;
    QString status;
  };
  for (const Row& row : {Row{1, TStatusText::Packed}, Row{2, TStatusText::CannotExtract}}) {
    SCOPED_TRACE(row.depth);
    h.settings.NestedDepth = row.depth;
    RecordingObserver o;
    h.Run(o, RunnerHome::Checked({h.In("bomb.zip")}));
    EXPECT_EQ(o.results[0].status, row.status);
    if (row.status == TStatusText::CannotExtract) {
      EXPECT_FALSE(o.results[0].outputExists);
      EXPECT_EQ(testsupport::TreeListing(h.Out("")), QStringList());
    } else {
      EXPECT_EQ(listing::FileNames(o.results[0].CompressPath),
                QStringList({"level1/filler.bin", "level1/level2.zip"}));
      QFile::remove(o.results[0].CompressPath);
    }
    EXPECT_EQ(h.TempLeftovers(), QStringList());
  }
}

}  // namespace
