// Progress inside an operation, through the facade with the real engines: packing and extracting
// in each format report bytes that rise to the total, and the total is what the tree holds.
#include <gtest/gtest.h>

#include <QRandomGenerator>

#include <mutex>

#include "compress/FacadeFixture.h"
#include "compress/vxCompress.h"

using pluginfixture::TEngineFolder;
using testsupport::TempDir;
using testsupport::WriteFile;
namespace ff = facadefixture;

namespace {

// Several files, some of several ZIP pieces, some that do not compress.
quint64 WriteProgressTree(const QString& root) {
  QByteArray noise(3 << 20, '\0');
  QRandomGenerator random(18);
  random.fillRange(reinterpret_cast<quint32*>(noise.data()), noise.size() / 4);
  const QList<std::pair<QString, QByteArray>> files = {
      {"noise.bin", noise},
      {"sub/text.txt", QByteArray("line of text\n").repeated(200000)},
      {"sub/deeper/small.txt", "small"},
      {"zeros.bin", QByteArray(2 << 20, '\0')},
  };
  quint64 bytes = 0;
  for (const auto& [name, content] : files) {
    WriteFile(root + '/' + name, content);
    bytes += quint64(content.size());
  }
  return bytes;
}

class ProgressTest : public testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    HM_REQUIRE_TOOL("rar");
    HM_REQUIRE_ENGINE("libunrar.so");
    HM_REQUIRE_ENGINE("7z.so");
    HM_REQUIRE_ENGINE("rar");
    ff::LinkBuiltEngines(engine);
    compress.SetOnProgress([this](const TProgress& progress) {
      std::lock_guard lock(mutex);
      heard.push_back(progress);
    });
  }

  // What was heard since the last call.
  std::vector<TProgress> Take() {
    std::lock_guard lock(mutex);
    return std::exchange(heard, {});
  }

  TempDir work;
  TEngineFolder engine;
  TvxCompress compress{engine.path()};
  std::mutex mutex;  // the ZIP engine and the 7z library report from their own threads
  std::vector<TProgress> heard;
};

// Every report of one phase, never going back, the last one at the total.
void ExpectRisesToTotal(const std::vector<TProgress>& reports, TProgress::TPhase phase, quint64 total) {
  ASSERT_FALSE(reports.empty());
  quint64 previous = 0;
  for (const TProgress& p : reports) {
    EXPECT_EQ(p.phase, phase);
    EXPECT_EQ(p.total, total);
    EXPECT_GE(p.done, previous);
    EXPECT_LE(p.done, total);
    previous = p.done;
  }
  EXPECT_EQ(reports.back().done, total);
  EXPECT_EQ(reports.back().percent(), 100);
}

TEST_P(ProgressTest, PackingAndExtractingRiseToTheTreesSize) {
  const QString format = GetParam();
  const quint64 bytes = WriteProgressTree(work.file("tree"));
  const QString archive = work.file("out" + format);
  ASSERT_TRUE(compress.CompressFile(work.file("tree"), archive));
  const std::vector<TProgress> packing = Take();
  ExpectRisesToTotal(packing, TProgress::TPhase::Packing, bytes);
  // Something between the start and the end: a display has something to show.
  EXPECT_TRUE(std::any_of(packing.begin(), packing.end(),
                          [](const TProgress& p) { return p.percent() > 0 && p.percent() < 100; }));

  ASSERT_EQ(compress.UnCompressFile(archive, work.file("unpacked")).code, crSuccess);
  const std::vector<TProgress> extracting = Take();
  ExpectRisesToTotal(extracting, TProgress::TPhase::Extracting, bytes);
  EXPECT_GT(extracting.size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(Formats, ProgressTest, testing::Values(".zip", ".7z", ".rar"),
                         [](const auto& info) { return QString(info.param).mid(1).toStdString(); });

}  // namespace
