// Testing an archive's data through the facade: what the run packs is read back with the output
// password by the engine of its format, and a byte damaged in the packed data fails the test even
// though the archive's directory still lists every entry.
#include <gtest/gtest.h>

#include <QFile>

#include "compress/FacadeFixture.h"
#include "compress/vxCompress.h"

using pluginfixture::TEngineFolder;
using testsupport::TempDir;
namespace ff = facadefixture;

namespace {

// Flips one byte halfway through the file: with one large incompressible entry that lies in its
// packed data in every format, away from the headers and the directory.
void DamageMiddle(const QString& archive) {
  QFile file(archive);
  ASSERT_TRUE(file.open(QIODevice::ReadWrite));
  const qint64 at = file.size() / 2;
  file.seek(at);
  const char byte = file.read(1).at(0);
  file.seek(at);
  file.write(QByteArray(1, char(~byte)));
}

struct TArchiveCase {
  const char* ext;
  const char* password;
};

class ArchiveTestTest : public testing::TestWithParam<TArchiveCase> {
 protected:
  void SetUp() override {
    HM_REQUIRE_ENGINE("rar");
    HM_REQUIRE_ENGINE("libunrar.so");
    HM_REQUIRE_ENGINE("7z.so");
    testsupport::WriteFile(work.file("src/payload.bin"), testsupport::RandomBytes(200000));
    testsupport::WriteFile(work.file("src/sub/notes.txt"), "notes\r\n");
    ff::LinkBuiltEngines(engine);
  }

  TempDir work;
  TEngineFolder engine;
};

TEST_P(ArchiveTestTest, WholeArchivesPassAndADamagedByteFailsThoughTheDirectoryReads) {
  TvxCompress compress(engine.path());
  compress.SetCompressPwd(QString::fromUtf8(GetParam().password));
  const QString archive = work.file(QStringLiteral("out") + GetParam().ext);
  ASSERT_TRUE(compress.CompressFile(work.file("src"), archive));

  const TTestResult whole = compress.TestArchive(archive);
  EXPECT_EQ(whole.code, crSuccess) << whole.cause.toStdString();
  EXPECT_TRUE(whole.cause.isEmpty());

  DamageMiddle(archive);
  EXPECT_EQ(compress.GetFileList(archive), crSuccess);  // what the directory check alone would pass
  const TTestResult damaged = compress.TestArchive(archive);
  EXPECT_FALSE(damaged.passed());
  EXPECT_FALSE(damaged.cause.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Formats, ArchiveTestTest,
                         testing::Values(TArchiveCase{".zip", ""}, TArchiveCase{".zip", "密码 1"},
                                         TArchiveCase{".7z", ""}, TArchiveCase{".7z", "密码 1"},
                                         TArchiveCase{".rar", ""}, TArchiveCase{".rar", "密码 1"}),
                         [](const auto& info) {
                           return QString(info.param.ext).mid(1).toStdString() +
                                  (*info.param.password ? "_password" : "");
                         });

TEST_F(ArchiveTestTest, AnOutputIsTestedWithTheOutputPassword) {
  TvxCompress compress(engine.path());
  compress.SetCompressPwd("right");
  ASSERT_TRUE(compress.CompressFile(work.file("src"), work.file("out.zip")));
  ASSERT_TRUE(compress.CompressFile(work.file("src"), work.file("out.rar")));
  compress.SetUnCompressPwd("right");  // the decompression password plays no part
  compress.SetCompressPwd("wrong");
  EXPECT_EQ(compress.TestArchive(work.file("out.zip")).code, crWrongPassword);
  EXPECT_FALSE(compress.TestArchive(work.file("out.rar")).passed());
}

TEST_F(ArchiveTestTest, RarWithoutTheLibraryIsTestedByThePacker) {
  TEngineFolder packerOnly;
  packerOnly.LinkProgram("rar", QFileInfo(testsupport::EngineDir() + "/rar").canonicalFilePath());
  TvxCompress compress(packerOnly.path());
  compress.SetCompressPwd("pw");
  const QString archive = work.file("out.rar");
  ASSERT_TRUE(compress.CompressFile(work.file("src"), archive));
  EXPECT_EQ(compress.TestArchive(archive).code, crSuccess);
  compress.SetCompressPwd("other");
  EXPECT_FALSE(compress.TestArchive(archive).passed());
  compress.SetCompressPwd("pw");
  DamageMiddle(archive);
  EXPECT_FALSE(compress.TestArchive(archive).passed());

  TEngineFolder none;
  EXPECT_EQ(TvxCompress(none.path()).TestArchive(archive).code, crEngineLoadFailed);
}

TEST_F(ArchiveTestTest, AZipOurEngineDoesNotReadIsTestedByTheLibrary) {
  HM_REQUIRE_TOOL("7z");
  const QString archive = work.file("aes.zip");
  ASSERT_EQ(testsupport::RunTool("7z", {"a", "-bd", "-tzip", "-mem=AES256", "-ppw", archive, "*"}, work.file("src"))
                .exitCode,
            0);
  TvxCompress compress(engine.path());
  compress.SetCompressPwd("pw");
  EXPECT_EQ(compress.TestArchive(archive).code, crSuccess);
  DamageMiddle(archive);
  EXPECT_FALSE(compress.TestArchive(archive).passed());
}

TEST_F(ArchiveTestTest, WhatIsNoArchiveFailsTheTest) {
  TvxCompress compress(engine.path());
  EXPECT_EQ(compress.TestArchive(work.file("src/payload.bin")).code, crFailed);
  EXPECT_EQ(compress.TestArchive(work.file("missing.zip")).code, crFailed);
  testsupport::WriteFile(work.file("cut.zip"), "PK\x03\x04 cut short");
  EXPECT_EQ(compress.TestArchive(work.file("cut.zip")).code, crFailed);
}

}  // namespace
