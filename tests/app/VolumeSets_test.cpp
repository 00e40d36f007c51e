// Volume sets through whole runs with the real engines: sets made by rar, 7z and zip themselves
// are packed once and completely, their other volumes skipped, a gap fails the set, and
// replace-source mode leaves every volume as it was.
#include <QCryptographicHash>
#include <QDir>
#include <QFile>

#include "IndependentListing.h"
#include "RunnerFixture.h"
#include "app/StatusTexts.h"

using testsupport::RandomBytes;
using testsupport::ReadFile;
using testsupport::RunTool;
using testsupport::WriteFile;

namespace {

// How each packer cuts a set into three volumes of 64 KiB (zip's smallest), and their names.
struct TSetMaker {
  const char* tool;
  QStringList volumes;  // in the set's order; the one that opens the set is opener
  int opener;
  const char* setName;  // the set as one archive
};

const TSetMaker kMakers[] = {
    {"rar", {"set.part1.rar", "set.part2.rar", "set.part3.rar"}, 0, "set.rar"},
    {"7z", {"set.7z.001", "set.7z.002", "set.7z.003"}, 0, "set.7z"},
    {"zip", {"set.z01", "set.z02", "set.zip"}, 2, "set.zip"},
};

// Files that spread over three volumes: random data does not shrink (cut from one run of it, so
// that no file repeats another).
void FillTree(const QString& folder) {
  const QByteArray data = RandomBytes(3 * 55000);
  for (int i = 0; i < 3; ++i)
    WriteFile(folder + QStringLiteral("/f%1.bin").arg(i + 1), data.mid(i * 55000, 55000));
  WriteFile(folder + "/sub/readme.txt", "inside a sub-folder\r\n");
}

void MakeSet(const RunnerHome& h, const TSetMaker& maker, const QString& tree) {
  const QString tool = QLatin1String(maker.tool);
  testsupport::ToolRun run;
  if (tool == QLatin1String("rar"))
    run = RunTool("rar", {"a", "-v64k", "-r", "-ep1", "-idq", h.In("set.rar"), tree + "/*"});
  else if (tool == QLatin1String("7z"))
    run = RunTool("7z", {"a", "-bd", "-v64k", h.In("set.7z"), "."}, tree);
  else
    run = RunTool("zip", {"-qr", "-s", "64k", h.In("set.zip"), "."}, tree);
  ASSERT_EQ(run.exitCode, 0) << run.err.constData();
  QStringList made = QDir(h.In("")).entryList(QDir::Files, QDir::Name);
  made.sort();
  QStringList expected = maker.volumes;
  expected.sort();
  ASSERT_EQ(made, expected) << "the packer did not make exactly three volumes: " << run.out.constData();
}

// The output holds every file of the tree, byte for byte, as unzip extracts it.
void ExpectWholeTree(const QString& output, const QString& tree, const QString& scratch) {
  ASSERT_EQ(RunTool("unzip", {"-q", output, "-d", scratch}).exitCode, 0);
  for (const QString& file : testsupport::TreeListing(tree)) {
    if (file.endsWith('/')) continue;
    EXPECT_EQ(ReadFile(scratch + '/' + file), ReadFile(tree + '/' + file)) << file.toStdString();
  }
}

QByteArray Digest(const QString& path) {
  return QCryptographicHash::hash(ReadFile(path), QCryptographicHash::Sha256);
}

void PrintTo(const TSetMaker& maker, std::ostream* os) { *os << maker.tool; }

class VolumeSets : public testing::TestWithParam<TSetMaker> {
 protected:
  void SetUp() override {
    for (const char* tool : {GetParam().tool, "unzip"}) HM_REQUIRE_TOOL(tool);
    h.LinkBuiltEngines();
    FillTree(tree);
    MakeSet(h, GetParam(), tree);
  }
  QString Volume(int k) const { return h.In(GetParam().volumes[k]); }
  QString Opener() const { return Volume(GetParam().opener); }

  // A run over every volume of the set, on `workers` items at once: one whole output, named after
  // the set, and the other volumes skipped.
  void ExpectOneOutputFromAllVolumes(int workers) {
    RecordingObserver o;
    h.Run(o, RunnerHome::Checked({Volume(0), Volume(1), Volume(2)}), {}, {}, workers);

    const int opener = GetParam().opener;
    for (int k = 0; k < 3; ++k) {
      const TItemResult& r = o.results[k];
      SCOPED_TRACE(r.source.toStdString());
      if (k == opener) {
        EXPECT_EQ(r.status, TStatusText::Packed);
        EXPECT_EQ(r.CompressPath, h.Out("set.zip"));  // named after the set, not after a volume
        ExpectWholeTree(r.CompressPath, tree, h.home.file("check"));
      } else {
        EXPECT_EQ(r.status, TStatusText::OtherVolume);
        EXPECT_FALSE(r.outputExists);
        EXPECT_EQ(r.rowState(), isNotProcessed);
      }
    }
    ASSERT_TRUE(o.summary);
    EXPECT_EQ(o.summary->successCount, 1);
    EXPECT_EQ(o.summary->errorCount, 0);
    EXPECT_TRUE(o.summary->allPlausible);
    EXPECT_EQ(QDir(h.Out("")).entryList(QDir::Files), QStringList{"set.zip"});
    EXPECT_EQ(h.TempLeftovers(), QStringList());
  }

  RunnerHome h;
  QString tree = h.home.file("tree");
};

TEST_P(VolumeSets, AllVolumesGivenMakeOneCompleteOutputAndTwoSkippedRows) {
  ExpectOneOutputFromAllVolumes(1);
}

// Workers share the run's plan of its sets: whichever worker takes a volume, the set is packed once.
TEST_P(VolumeSets, SeveralWorkersStillPackTheSetOnce) { ExpectOneOutputFromAllVolumes(3); }

TEST_P(VolumeSets, TheOpeningVolumeAloneOrAnotherVolumeAloneBringsTheWholeSet) {
  const int other = GetParam().opener == 0 ? 1 : 0;
  for (const QString& given : {Opener(), Volume(other)}) {
    SCOPED_TRACE(given.toStdString());
    RecordingObserver o;
    h.Run(o, RunnerHome::Checked({given}));
    ASSERT_EQ(o.results[0].status, TStatusText::Packed);
    ExpectWholeTree(o.results[0].CompressPath, tree, h.home.file("check-" + QFileInfo(given).fileName()));
  }
}

TEST_P(VolumeSets, AMissingMiddleVolumeFailsTheSetWithoutOutput) {
  ASSERT_TRUE(QFile::remove(Volume(1)));
  RecordingObserver o;
  h.Run(o, RunnerHome::Checked({Opener()}));
  EXPECT_EQ(o.results[0].status, TStatusText::CannotExtract);
  EXPECT_FALSE(o.results[0].outputExists);
  EXPECT_EQ(o.summary->errorCount, 1);
  EXPECT_EQ(QDir(h.Out("")).entryList(QDir::Files), QStringList());
}

TEST_P(VolumeSets, AMissingLastVolumeFailsTheSet) {
  // Its name cannot be known; the engine finds the set cut short. For ZIP the last volume is
  // the .zip itself, which the names show missing.
  ASSERT_TRUE(QFile::remove(Volume(2)));
  RecordingObserver o;
  h.Run(o, RunnerHome::Checked({Volume(GetParam().opener == 2 ? 0 : GetParam().opener)}));
  EXPECT_EQ(o.results[0].status, TStatusText::CannotExtract);
  EXPECT_FALSE(o.results[0].outputExists);
}

TEST_P(VolumeSets, ReplaceSourceLeavesEveryVolumeUntouchedAndSaysSo) {
  h.settings.RARToFrom = true;
  QList<QByteArray> before;
  for (int k = 0; k < 3; ++k) before << Digest(Volume(k));
  RecordingObserver o;
  h.Run(o, RunnerHome::Checked({Volume(0), Volume(1), Volume(2)}));

  const TItemResult& r = o.results[GetParam().opener];
  EXPECT_EQ(r.status, TStatusText::VolumesKept);
  EXPECT_EQ(r.rowState(), isPlausible);
  // The output stays in the output folder, in the set's own format.
  EXPECT_EQ(r.CompressPath, h.Out(GetParam().setName));
  EXPECT_TRUE(QFileInfo::exists(r.CompressPath));
  for (int k = 0; k < 3; ++k) EXPECT_EQ(Digest(Volume(k)), before[k]) << k;
  EXPECT_EQ(QDir(h.In("")).entryList(QDir::Files).size(), 3);
  EXPECT_EQ(o.summary->errorCount, 0);
}

INSTANTIATE_TEST_SUITE_P(Packers, VolumeSets, testing::ValuesIn(kMakers),
                         [](const testing::TestParamInfo<TSetMaker>& info) {
                           return std::string(info.param.tool == std::string("7z") ? "SevenZip"
                                                                                   : info.param.tool);
                         });

}  // namespace
