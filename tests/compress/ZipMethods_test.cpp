// ZIP archives whose entries the in-house engine does not read (AES, Deflate64, BZip2, LZMA) go
// through the 7z library's ZIP reader: same results, same password rules, same guard on names.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include "compress/FacadeFixture.h"
#include "compress/vxCompress.h"
#include "compress/zip/ZipEngine.h"

using pluginfixture::TEngineFolder;
using testsupport::TempDir;
namespace ff = facadefixture;

namespace {

class ZipMethodsTest : public testing::Test {
 protected:
  void SetUp() override {
    HM_REQUIRE_TOOL("7z");
    HM_REQUIRE_ENGINE("7z.so");
    ff::WriteTree(work.file("src"));
    ff::LinkBuiltEngines(engine);
  }

  // A ZIP of the tree made by 7z with these switches ("-mm=BZip2", "-mem=AES256", "-pSecret").
  QString MakeZip(const QString& name, const QStringList& switches) {
    const QString archive = work.file(name);
    const auto run = testsupport::RunTool(
        "7z", QStringList{"a", "-bd", "-tzip"} + switches + QStringList{archive, "*"}, work.file("src"));
    EXPECT_EQ(run.exitCode, 0) << run.err.constData();
    return archive;
  }
  QString Destination() { return work.file(QStringLiteral("out%1").arg(++outputs)); }
  int Extract(const QString& archive, const QString& dir, const QString& password = {}) {
    TvxCompress compress(engine.path());
    compress.SetUnCompressPwd(password);
    const TExtractResult result = compress.UnCompressFile(archive, dir);
    encrypted = result.encrypted;
    error = result.m_Error;
    return result.code;
  }

  TempDir work;
  TEngineFolder engine;
  int outputs = 0;
  bool encrypted = false;
  int error = 0;
};

TEST_F(ZipMethodsTest, EveryMethodAndEncryptionExtractsTheWholeTree) {
  struct Case {
    const char* name;
    QStringList switches;
    const char* password;
  };
  const Case cases[] = {
      {"aes256.zip", {"-mem=AES256", "-pSecret"}, "Secret"},
      {"aes128-store.zip", {"-mem=AES128", "-mm=Copy", "-pSecret"}, "Secret"},
      {"deflate64.zip", {"-mm=Deflate64"}, ""},
      {"bzip2.zip", {"-mm=BZip2"}, ""},
      {"lzma.zip", {"-mm=LZMA"}, ""},
      {"deflate64-zipcrypto.zip", {"-mm=Deflate64", "-pSecret"}, "Secret"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const QString archive = MakeZip(c.name, c.switches);
    EXPECT_FALSE(TZipEngine::ReadsEveryEntry(archive));
    const QString dir = Destination();
    EXPECT_EQ(Extract(archive, dir, c.password), crSuccess);
    EXPECT_EQ(testsupport::TreeListing(dir), ff::kTree);
    EXPECT_EQ(testsupport::ReadFile(dir + "/sub/data.bin"), QByteArray(3000, 'd'));
    EXPECT_EQ(testsupport::ReadFile(dir + "/readme.txt"), "read me\r\n");
  }
}

TEST_F(ZipMethodsTest, WrongOrMissingPasswordOnAnAesZipIsAWrongPassword) {
  const QString archive = MakeZip("aes.zip", {"-mem=AES256", "-pSecret"});
  for (const QString& password : {QStringLiteral("wrong"), QString()}) {
    SCOPED_TRACE(password.toStdString());
    const QString dir = Destination();
    EXPECT_EQ(Extract(archive, dir, password), crWrongPassword);
    EXPECT_TRUE(encrypted);
    EXPECT_EQ(error, kErrorMissingPassword);
  }
}

TEST_F(ZipMethodsTest, DamagedDataOfAnUnencryptedEntryIsNoWrongPassword) {
  const QString archive = MakeZip("bzip2.zip", {"-mm=BZip2"});
  QByteArray bytes = testsupport::ReadFile(archive);
  // Inside the first entry's compressed data, past its local header.
  for (int i = 60; i < 90; ++i) bytes[i] = char(bytes[i] ^ 0x5a);
  testsupport::WriteFile(archive, bytes);
  EXPECT_EQ(Extract(archive, Destination()), crFailed);
  EXPECT_FALSE(encrypted);
}

TEST_F(ZipMethodsTest, NamesThatLeaveTheDestinationFailTheArchiveAndWriteNothingOutside) {
  HM_REQUIRE_TOOL("python3");
  const QString archive = work.file("escape.zip");
  const auto run =
      testsupport::RunTool("python3", {"-c",
                                       "import sys, zipfile\n"
                                       "with zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_BZIP2) as z:\n"
                                       "    z.writestr('fine.txt', 'fine')\n"
                                       "    z.writestr('../escaped.txt', 'outside')\n",
                                       archive});
  ASSERT_EQ(run.exitCode, 0) << run.err.constData();
  const QString dir = work.file("deep/dest");
  EXPECT_EQ(Extract(archive, dir), crFailed);
  EXPECT_FALSE(QFileInfo::exists(work.file("deep/escaped.txt")));
  EXPECT_FALSE(QFileInfo::exists(work.file("escaped.txt")));
}

TEST_F(ZipMethodsTest, WithoutTheLibraryAnAesZipIsAnEngineLoadFailure) {
  const QString archive = MakeZip("aes.zip", {"-mem=AES256", "-pSecret"});
  TEngineFolder empty;
  TvxCompress compress(empty.path());
  compress.SetUnCompressPwd("Secret");
  EXPECT_EQ(compress.UnCompressFile(archive, Destination()).code, crEngineLoadFailed);
}

TEST_F(ZipMethodsTest, ZipsOfStoreAndDeflateStayWithTheInHouseEngine) {
  EXPECT_TRUE(TZipEngine::ReadsEveryEntry(MakeZip("deflate.zip", {"-mm=Deflate", "-pSecret"})));
  EXPECT_TRUE(TZipEngine::ReadsEveryEntry(MakeZip("store.zip", {"-mm=Copy"})));
}

}  // namespace
