// A stop request through the facade, with the real engines: packing with the ZIP engine or the 7z
// library and extracting with either or with the unrar library end at their next block once the
// request says yes, fail, and leave no output archive (nor its temporary file) behind.
#include <gtest/gtest.h>

#include <QRandomGenerator>

#include <atomic>
#include <mutex>

#include "compress/FacadeFixture.h"
#include "compress/vxCompress.h"

using pluginfixture::TEngineFolder;
using testsupport::TempDir;
using testsupport::TreeListing;
using testsupport::WriteFile;
namespace ff = facadefixture;

namespace {

// Enough blocks that a stop after the first megabyte ends the work well before its end.
constexpr qsizetype kTreeBytes = 12 << 20;
constexpr quint64 kStopAfter = 1 << 20;

void WriteLargeTree(const QString& root) {
  QByteArray noise(kTreeBytes / 2, '\0');
  QRandomGenerator random(25);
  random.fillRange(reinterpret_cast<quint32*>(noise.data()), noise.size() / 4);
  WriteFile(root + "/noise.bin", noise);
  WriteFile(root + "/sub/text.txt", QByteArray("line of text\n").repeated(kTreeBytes / 2 / 13));
}

class StopRequestTest : public testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    HM_REQUIRE_TOOL("rar");
    HM_REQUIRE_ENGINE("libunrar.so");
    HM_REQUIRE_ENGINE("7z.so");
    HM_REQUIRE_ENGINE("rar");
    ff::LinkBuiltEngines(engine);
    WriteLargeTree(work.file("tree"));
    // The request says yes once a megabyte is done, as a user's click comes while work goes on.
    compress.SetOnProgress([this](const TProgress& progress) {
      std::lock_guard lock(mutex);
      farthest = std::max(farthest, progress.done);
      if (progress.done >= kStopAfter) stop = true;
    });
    compress.SetStopRequest([this] { return stop.load(); });
  }

  quint64 Farthest() {
    std::lock_guard lock(mutex);
    return farthest;
  }

  TempDir work;
  TEngineFolder engine;
  TvxCompress compress{engine.path()};
  std::atomic<bool> stop = false;
  std::mutex mutex;  // the engines report from their own threads
  quint64 farthest = 0;
};

using StopPacking = StopRequestTest;

TEST_P(StopPacking, EndsAtTheNextBlockAndLeavesNoArchive) {
  const QString archive = work.file(QStringLiteral("out/tree") + GetParam());
  testsupport::MakeDir(work.file("out"));
  EXPECT_FALSE(compress.CompressFile(work.file("tree"), archive));
  EXPECT_TRUE(stop);
  EXPECT_LT(Farthest(), quint64(kTreeBytes)) << "the packing went on to its end";
  EXPECT_EQ(TreeListing(work.file("out")), QStringList()) << "neither the archive nor its temporary file";
}

INSTANTIATE_TEST_SUITE_P(Formats, StopPacking, testing::Values(".zip", ".7z"),
                         [](const auto& info) { return QString(info.param).mid(1).toStdString(); });

using StopExtracting = StopRequestTest;

TEST_P(StopExtracting, EndsAtTheNextBlockAndFails) {
  const QString archive = work.file(QStringLiteral("tree") + GetParam());
  if (QString(GetParam()) == ".rar")
    ASSERT_EQ(ff::MakeRar(work.file("tree"), archive), 0);
  else
    ASSERT_EQ(ff::Make7z(work.file("tree"), archive, QString(GetParam()).mid(1)), 0);
  const TExtractResult extracted = compress.UnCompressFile(archive, work.file("unpacked"));
  EXPECT_NE(extracted.code, crSuccess);
  EXPECT_TRUE(extracted.cause.contains("a stop was requested")) << extracted.cause.toStdString();
  EXPECT_LT(Farthest(), quint64(kTreeBytes)) << "the extraction went on to its end";
}

INSTANTIATE_TEST_SUITE_P(Formats, StopExtracting, testing::Values(".zip", ".7z", ".rar"),
                         [](const auto& info) { return QString(info.param).mid(1).toStdString(); });

}  // namespace
