// What a password costs to try, read from an archive's headers before any try: the
// key-derivation count of RAR 5 and the AES cycles of 7z, as the packers write them, behind a
// self-extracting stub, and nothing for what asks no password or cannot be read.
#include <gtest/gtest.h>

#include <QFile>

#include "compress/FacadeFixture.h"
#include "compress/rar/Rar5KeyDerivation.h"
#include "compress/sevenzip/SevenZipKeyDerivation.h"
#include "compress/vxCompress.h"

using testsupport::ReadFile;
using testsupport::RunTool;
using testsupport::TempDir;
using testsupport::WriteFile;
namespace ff = facadefixture;

namespace {

class PasswordTryCost : public testing::Test {
 protected:
  void SetUp() override {
    HM_REQUIRE_TOOL("rar");
    HM_REQUIRE_TOOL("7z");
    HM_REQUIRE_TOOL("python3");
    ff::WriteTree(work.file("src"));
  }
  QString Rar(const QString& name, const QStringList& switches) {
    const QString archive = work.file(name);
    EXPECT_EQ(
        RunTool("rar", QStringList{"a", "-r", "-ep1", "-idq"} + switches << archive << work.file("src/*"))
            .exitCode,
        0);
    return archive;
  }
  QString SevenZip(const QString& name, const QStringList& switches) {
    const QString archive = work.file(name);
    EXPECT_EQ(RunTool("7z", QStringList{"a", "-bd"} + switches << archive << "*", work.file("src")).exitCode,
              0);
    return archive;
  }
  QString WithKdfCount(const QString& name, int count) {
    EXPECT_TRUE(testsupport::MakeRar5WithKdfCount(work.file("src"), work.file(name), count));
    return work.file(name);
  }
  // The packer here writes no RAR 4 archive any more: its signature and a header's worth of bytes.
  QString Rar4() {
    WriteFile(work.file("rar4.rar"), QByteArray("Rar!\x1a\x07\x00", 7) + testsupport::RandomBytes(200));
    return work.file("rar4.rar");
  }
  QString SelfExtracting(const QString& name, const QString& archive) {
    WriteFile(work.file(name), ff::SelfExtracting(ReadFile(archive)));
    return work.file(name);
  }

  TempDir work;
};

TEST_F(PasswordTryCost, RarKdfCountFromEitherHeaderAndNothingElse) {
  const QString headers24 = WithKdfCount("headers24.rar", 24);
  QByteArray damaged = ReadFile(headers24);
  damaged[20] = char(damaged[20] ^ 0x01);  // in the encryption header's salt: its checksum fails
  WriteFile(work.file("damaged.rar"), damaged);
  const struct {
    QString archive;
    std::optional<int> count;
  } cases[] = {
      {Rar("headers.rar", {"-hpsecret"}), 15},  // the packer's own count
      {headers24, 24},
      {Rar("files.rar", {"-psecret"}), 15},
      {SelfExtracting("headers24.exe", headers24), 24},
      {Rar("plain.rar", {}), std::nullopt},
      {Rar4(), std::nullopt},
      {work.file("damaged.rar"), std::nullopt},
      {SevenZip("encrypted.7z", {"-psecret", "-mhe=on"}), std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(Rar5KdfCount(c.archive), c.count) << c.archive.toStdString();
}

TEST_F(PasswordTryCost, SevenZipAesCyclesFromReadableHeaders) {
  const QString encryptedHeaders = SevenZip("headers.7z", {"-psecret", "-mhe=on"});
  const struct {
    QString archive;
    std::optional<int> cycles;
  } cases[] = {
      {encryptedHeaders, 19},  // the packer's own power
      {SevenZip("plain-header.7z", {"-psecret", "-mhc=off"}), 19},
      {SelfExtracting("headers.exe", encryptedHeaders), 19},
      // Compressed headers are read by the library; they ask no password.
      {SevenZip("compressed-header.7z", {"-psecret"}), std::nullopt},
      {SevenZip("plain.7z", {}), std::nullopt},
      {Rar("headers.rar", {"-hpsecret"}), std::nullopt},
  };
  for (const auto& c : cases) {
    const std::optional<T7zAesKey> key = SevenZipAesKey(c.archive);
    EXPECT_EQ(key ? std::optional<int>(key->cyclesPower) : std::nullopt, c.cycles) << c.archive.toStdString();
  }
}

// The facade's estimate follows the count, and is nothing without a password to derive from or
// for a format whose try costs no derivation of note.
TEST_F(PasswordTryCost, TheFacadeEstimatesByTheCountForAPasswordOnly) {
  TvxCompress compress(testsupport::EngineDir());
  const QString count15 = WithKdfCount("count15.rar", 15);
  const QString count24 = WithKdfCount("count24.rar", 24);
  EXPECT_EQ(compress.PasswordTrySeconds(count24), 0.0);
  compress.SetUnCompressPwd("try");
  const double seconds15 = compress.PasswordTrySeconds(count15);
  EXPECT_GT(seconds15, 0.0);
  EXPECT_DOUBLE_EQ(compress.PasswordTrySeconds(count24), seconds15 * 512);
  EXPECT_GT(compress.PasswordTrySeconds(SevenZip("headers.7z", {"-psecret", "-mhe=on"})), 0.0);
  EXPECT_EQ(compress.PasswordTrySeconds(SevenZip("zip.zip", {"-tzip", "-psecret"})), 0.0);
  EXPECT_EQ(compress.PasswordTrySeconds(Rar4()), 0.0);
}

}  // namespace
