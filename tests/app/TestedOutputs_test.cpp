// Outputs tested before they count, through the real engines: a facade that flips a byte of the
// packed data after each packing (as a failing disk or library would) shows what each TestOutput
// setting lets through, and that a damaged output never takes its source's place.
#include <QFile>

#include "IndependentListing.h"
#include "RunnerFixture.h"
#include "app/StatusTexts.h"
#include "compress/vxCompress.h"

using testsupport::RandomBytes;
using testsupport::ReadFile;
using testsupport::RunTool;
using testsupport::WriteFile;

namespace {

// The real facade, with every archive it packs damaged halfway through (in the packed data of
// the one large incompressible file, away from headers and directory) when `damage` is set.
class DamagingFacade : public TvxCompress {
 public:
  DamagingFacade(const QString& engineFolder, bool damage) : TvxCompress(engineFolder), damage_(damage) {}

  bool RarFile(const QStringList& dirs, const QString& archive, bool lock) override {
    return Damaged(TvxCompress::RarFile(dirs, archive, lock), archive);
  }
  bool ZipFile(const QStringList& sources, const QString& archive) override {
    return Damaged(TvxCompress::ZipFile(sources, archive), archive);
  }
  bool c7ZipFile(const QStringList& dirs, const QString& archive) override {
    return Damaged(TvxCompress::c7ZipFile(dirs, archive), archive);
  }

 private:
  bool Damaged(bool packed, const QString& archive) const {
    QFile file(archive);
    if (packed && damage_ && file.open(QIODevice::ReadWrite)) {
      const qint64 at = file.size() / 2;
      file.seek(at);
      const char byte = file.read(1).at(0);
      file.seek(at);
      file.write(QByteArray(1, char(~byte)));
    }
    return packed;
  }

  bool damage_;
};

struct TRow {
  const char* what;
  bool damage;
  int testOutput;
  bool replace;
  QString status;
};

class TestedOutputs : public testing::TestWithParam<const char*> {};

TEST_P(TestedOutputs, ADamagedOutputNeverCountsWhereItIsTested) {
  for (const char* tool : {"zip", "7z", "rar"}) HM_REQUIRE_TOOL(tool);
  const QString ext = GetParam();
  const TRow rows[] = {
      {"damaged, tested", true, toAlways, true, TStatusText::PackFailed},
      {"damaged, tested as it replaces the source", true, toWhenReplacing, true, TStatusText::PackFailed},
      {"damaged, directory check only: the damage goes unseen", true, toDirectoryOnly, false, TStatusText::Packed},
      {"whole, tested", false, toAlways, true, TStatusText::Packed},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.what);
    RunnerHome h;
    h.LinkBuiltEngines();
    h.settings.CompressExt = ext == ".zip" ? ofZIP : ext == ".7z" ? of7z : ofRAR;
    h.settings.TestOutput = row.testOutput;
    h.settings.RARToFrom = row.replace;
    const QString tree = h.home.file("tree");
    WriteFile(tree + "/payload.bin", RandomBytes(100000));
    WriteFile(tree + "/notes.txt", "notes\r\n");
    WriteFile(tree + "/ad.url", "[InternetShortcut]\r\n");  // cleaned away: a replaced source differs
    h.Data("delete.dat", "*.url\r\n");
    const QString source = h.In("game" + ext);
    const int rc = ext == ".zip"  ? RunTool("zip", {"-qr", source, "."}, tree).exitCode
                   : ext == ".7z" ? RunTool("7z", {"a", "-bd", source, "."}, tree).exitCode
                                  : RunTool("rar", {"a", "-r", "-ep1", "-idq", source, tree + "/*"}).exitCode;
    ASSERT_EQ(rc, 0);
    const QByteArray before = ReadFile(source);

    RecordingObserver o;
    const QString engines = h.paths.engineFolder();
    h.Run(o, RunnerHome::Checked({source}),
          [engines, damage = row.damage] { return std::make_unique<DamagingFacade>(engines, damage); });
    EXPECT_EQ(o.results[0].status, row.status);
    if (row.status == TStatusText::PackFailed) {
      EXPECT_EQ(ReadFile(source), before);
      EXPECT_FALSE(o.results[0].outputExists);
      EXPECT_EQ(testsupport::TreeListing(h.Out("")), QStringList());
    } else {
      EXPECT_EQ(o.results[0].rowState(), 1);
      EXPECT_EQ(ReadFile(source) != before, row.replace);
      EXPECT_EQ(listing::FileNames(o.results[0].CompressPath), QStringList({"notes.txt", "payload.bin"}));
    }
    EXPECT_EQ(h.TempLeftovers(), QStringList());
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, TestedOutputs, testing::Values(".zip", ".7z", ".rar"),
                         [](const auto& info) { return std::string(info.param).substr(1); });

}  // namespace
