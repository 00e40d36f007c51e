// Which engine the facade hands an archive to, what it reports, and what it leaves behind:
// real engines from the build, plug-in recorders, and engine folders with engines missing.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <functional>

#include "compress/FacadeFixture.h"
#include "compress/vxCompress.h"

using pluginfixture::PluginText;
using pluginfixture::TEngineFolder;
using testsupport::TempDir;
namespace ff = facadefixture;

namespace {

// Archives of one small tree in every built-in format, under names that do and do not match.
class DispatchTest : public testing::Test {
 protected:
  void SetUp() override {
    HM_REQUIRE_TOOL("rar");
    HM_REQUIRE_TOOL("7z");
    HM_REQUIRE_ENGINE("libunrar.so");
    HM_REQUIRE_ENGINE("7z.so");
    ff::WriteTree(work.file("src"));
    ASSERT_EQ(ff::MakeRar(work.file("src"), work.file("real.rar")), 0);
    ASSERT_EQ(ff::Make7z(work.file("src"), work.file("real.7z")), 0);
    ASSERT_EQ(ff::Make7z(work.file("src"), work.file("real.zip"), "zip"), 0);
    ff::LinkBuiltEngines(engine);
    engine.WriteRecorder("rec");
  }

  QString Archive(const QString& name, const QByteArray& content) {
    testsupport::WriteFile(work.file("in/" + name), content);
    return work.file("in/" + name);
  }
  QByteArray Real(const char* name) { return testsupport::ReadFile(work.file(name)); }
  // A fresh destination per extraction.
  QString Destination() { return work.file(QStringLiteral("out%1").arg(++outputs)); }

  TempDir work;
  TEngineFolder engine;
  int outputs = 0;
};

TEST_F(DispatchTest, ArchivesGoToTheEngineOfTheirSignature) {
  engine.WritePlugin("RAR.pk", PluginText("upper", "rec", "{file}"));
  engine.WritePlugin("cab.pk", PluginText("cab", "rec", "{file}"));
  struct Case {
    const char* name;
    QByteArray content;
    int result;
    const char* ext;  // CompressFileExt afterwards
    bool extracted;   // the tree was extracted by a built-in engine
    bool pluginRan;
  };
  const Case cases[] = {
      {"a.rar", Real("real.rar"), crSuccess, ".rar", true, false},
      {"a.7z", Real("real.7z"), crSuccess, ".7z", true, false},
      {"a.zip", Real("real.zip"), crSuccess, ".zip", true, false},
      {"rar inside.zip", Real("real.rar"), crSuccess, ".rar", true, false},
      {"zip inside.7z", Real("real.zip"), crSuccess, ".zip", true, false},
      // No signature: the written extension, case kept, chooses the plug-in file.
      {"plain.RAR", "no archive here", crSuccess, "", false, true},
      {"setup.cab", "MSCF-like", crSuccess, "", false, true},
      {"a.tar", "no plug-in file", crEngineLoadFailed, "", false, false},
      // Self-extracting: found by trying the engines in turn.
      {"sfx rar.exe", ff::SelfExtracting(Real("real.rar")), crSuccess, ".rar", true, false},
      {"sfx 7z.exe", ff::SelfExtracting(Real("real.7z")), crSuccess, ".7z", true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QFile::remove(engine.file("rec.args"));
    TvxCompress compress(engine.path());
    const QString out = Destination();
    QDir().mkpath(out);
    const TExtractResult extracted = compress.UnCompressFile(Archive(c.name, c.content), out);
    EXPECT_EQ(extracted.code, c.result);
    EXPECT_EQ(extracted.format, c.ext);
    EXPECT_EQ(testsupport::TreeListing(out) == ff::kTree, c.extracted)
        << testsupport::TreeListing(out).join(' ').toStdString();
    EXPECT_EQ(engine.RecorderRan("rec"), c.pluginRan);
  }
}

TEST_F(DispatchTest, SelfExtractingNoEngineOpensReturnsTheSevenZipAttempt) {
  const QString junk = Archive("junk.exe", "MZ" + QByteArray(8192, 'x'));
  TvxCompress compress(engine.path());
  const int sevenZip = compress.Unc7ZipFile(junk, Destination()).code;
  const TExtractResult extracted = compress.UnCompressFile(junk, Destination());
  EXPECT_EQ(extracted.code, sevenZip);
  EXPECT_EQ(sevenZip, crFailed);
  EXPECT_EQ(extracted.format, ".exe");
}

// The RAR engine's wrong password is behind the 7z attempt's code; that the content is encrypted
// is still said, so a caller can try another password.
TEST_F(DispatchTest, SelfExtractingEncryptedArchiveSaysSoWhateverTheLastAttemptSays) {
  ASSERT_EQ(ff::MakeRar(work.file("src"), work.file("locked.rar"), "right"), 0);
  const QString sfx = Archive("locked.exe", ff::SelfExtracting(Real("locked.rar")));
  TvxCompress compress(engine.path());
  compress.SetUnCompressPwd("wrong");
  const TExtractResult wrong = compress.UnCompressFile(sfx, Destination());
  EXPECT_EQ(wrong.code, crFailed);
  EXPECT_TRUE(wrong.encrypted);
  compress.SetUnCompressPwd("right");
  const QString out = Destination();
  const TExtractResult right = compress.UnCompressFile(sfx, out);
  EXPECT_EQ(right.code, crSuccess);
  EXPECT_EQ(right.format, ".rar");
  EXPECT_EQ(testsupport::TreeListing(out), ff::kTree);
  const TExtractResult plain =
      compress.UnCompressFile(Archive("plain.exe", ff::SelfExtracting(Real("real.rar"))), Destination());
  EXPECT_EQ(plain.code, crSuccess);
  EXPECT_FALSE(plain.encrypted);
}

TEST_F(DispatchTest, PluginTakingOverABuiltInFormatUsesTheArchivesOwnExtension) {
  engine.WritePlugin("rar.pk", PluginText("RAR", "rec", "own {file}", "", "1"));
  TvxCompress compress(engine.path());

  const QString named = Archive("a.rar", Real("real.rar"));
  const TExtractResult extracted = compress.UnCompressFile(named, Destination());
  EXPECT_EQ(extracted.code, crSuccess);
  EXPECT_EQ(engine.RecordedArguments("rec"), QStringList({"own", named}));
  EXPECT_EQ(extracted.format, ".rar");

  // Detected as RAR, so rar.pk decides; but the plug-in file used is the archive's own, zip.pk.
  EXPECT_EQ(compress.UnCompressFile(Archive("b.zip", Real("real.rar")), Destination()).code,
            crEngineLoadFailed);
  // A switch other than exactly "1" leaves the built-in engines in charge.
  engine.WritePlugin("rar.pk", PluginText("RAR", "rec", "own {file}", "", "true"));
  const QString out = Destination();
  EXPECT_EQ(compress.UnCompressFile(named, out).code, crSuccess);
  EXPECT_EQ(testsupport::TreeListing(out), ff::kTree);
}

TEST_F(DispatchTest, WrongPasswordIsReportedWithTheEnginesErrorNumber) {
  ASSERT_EQ(ff::MakeRar(work.file("src"), work.file("locked.rar"), "right"), 0);
  TvxCompress compress(engine.path());
  compress.SetUnCompressPwd("wrong");
  const TExtractResult wrong = compress.UnCompressFile(work.file("locked.rar"), Destination());
  EXPECT_EQ(wrong.code, crWrongPassword);
  EXPECT_NE(wrong.m_Error, 0);

  compress.SetUnCompressPwd("right");
  const QString out = Destination();
  EXPECT_EQ(compress.UnCompressFile(work.file("locked.rar"), out).code, crSuccess);
  EXPECT_EQ(testsupport::TreeListing(out), ff::kTree);
}

TEST_F(DispatchTest, ListingByDetectedFormatOnly) {
  TvxCompress compress(engine.path());
  const std::pair<QString, QStringList> listed[] = {
      {work.file("real.rar"), {"readme.txt", "sub", "sub/data.bin"}},
      {work.file("real.7z"), {"readme.txt", "sub", "sub/data.bin"}},
      {Archive("rar named.zip", Real("real.rar")), {"readme.txt", "sub", "sub/data.bin"}},
  };
  // Each listing follows another, so a list left over from it would show.
  for (const auto& [archive, names] : listed) {
    ASSERT_EQ(compress.GetFileList(work.file("real.zip")), crSuccess);
    EXPECT_EQ(compress.GetFileList(archive), crSuccess) << archive.toStdString();
    QStringList sorted = compress.FileList();
    sorted.sort();
    EXPECT_EQ(sorted, names) << archive.toStdString();
  }
  EXPECT_EQ(compress.GetFileList(work.file("real.zip")), crSuccess);
  EXPECT_EQ(compress.FileList().size(), 3);

  // Self-extracting programs and unknown formats are not listed, plug-ins or not.
  engine.WritePlugin("cab.pk", PluginText("cab", "rec", "{file}"));
  for (const QString& archive : {Archive("sfx.exe", ff::SelfExtracting(Real("real.rar"))),
                                 Archive("a.cab", "cabinet"), work.file("missing.rar")}) {
    ASSERT_EQ(compress.GetFileList(work.file("real.zip")), crSuccess);
    EXPECT_EQ(compress.GetFileList(archive), 0) << archive.toStdString();
    EXPECT_TRUE(compress.FileList().isEmpty());
  }
  EXPECT_FALSE(engine.RecorderRan("rec"));
}

TEST_F(DispatchTest, PackingFollowsTheOutputExtensionInAnyCase) {
  HM_REQUIRE_ENGINE("rar");
  TvxCompress compress(engine.path());
  const std::pair<const char*, const char*> formats[] = {
      {"out.RAR", "Rar"}, {"out.Zip", "PK"}, {"out.7z", "7z"}};
  for (const auto& [name, signature] : formats) {
    EXPECT_TRUE(compress.CompressFile(work.file("src"), work.file(name))) << name;
    EXPECT_TRUE(testsupport::ReadFile(work.file(name)).startsWith(signature)) << name;
    const testsupport::ToolRun listing = testsupport::RunTool("7z", {"l", "-ba", work.file(name)});
    EXPECT_EQ(listing.exitCode, 0) << name;
    EXPECT_TRUE(listing.out.contains("data.bin")) << name << listing.out.data();
  }
  for (const char* name : {"out.tar", "out", "out.rar.bak"}) {
    EXPECT_FALSE(compress.CompressFile(work.file("src"), work.file(name))) << name;
    EXPECT_FALSE(QFileInfo::exists(work.file(name))) << name;
  }
}

// Working names beside the output are short whatever the output's name: a name of the most bytes
// a folder takes packs in every format, and nothing is left beside it.
TEST_F(DispatchTest, AnOutputNameAsLongAsTheFileSystemTakesPacksInEveryFormat) {
  HM_REQUIRE_ENGINE("rar");
  TvxCompress compress(engine.path());
  for (const QString ext : {".rar", ".zip", ".7z"}) {
    // 3-byte characters up to the 255 bytes of the name, the extension included.
    const int bytes = 255 - int(ext.size());
    const QString name = QString(bytes / 3, QChar(0x540D)) + QString(bytes % 3, 'n') + ext;
    ASSERT_EQ(name.toUtf8().size(), 255);
    const QString output = work.file("long/" + name);
    testsupport::MakeDir(work.file("long"));
    EXPECT_TRUE(compress.CompressFile(work.file("src"), output)) << ext.toStdString();
    const testsupport::ToolRun listing = testsupport::RunTool("7z", {"l", "-ba", output});
    EXPECT_TRUE(listing.out.contains("data.bin")) << ext.toStdString() << listing.out.data();
    EXPECT_EQ(QDir(work.file("long")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList(name));
    QFile::remove(output);
  }
}

// Whatever engine or program extracted them, no link survives: each is a file holding its
// target's text before the caller gets the folder back, so nothing later follows one out.
TEST_F(DispatchTest, NoLinkOutOfTheDestinationSurvivesExtraction) {
  HM_REQUIRE_TOOL("bsdtar");
  engine.CopyShippedPlugin("tar.pk");
  engine.LinkProgram("bsdtar", "bsdtar");
  testsupport::MakeDir(work.file("evil"));
  testsupport::WriteFile(work.file("evil/inside.txt"), "x");
  ASSERT_TRUE(QFile::link("/etc", work.file("evil/etc")));
  ASSERT_TRUE(QFile::link("../../../../../../../etc/passwd", work.file("evil/passwd")));
  ASSERT_TRUE(QFile::link("inside.txt", work.file("evil/kept")));
  ASSERT_EQ(
      testsupport::RunTool("bsdtar", {"-cf", work.file("evil.tar"), "-C", work.file("evil"), "."}).exitCode,
      0);

  TvxCompress compress(engine.path());
  const QString out = Destination();
  QDir().mkpath(out);
  const TExtractResult extracted = compress.UnCompressFile(work.file("evil.tar"), out);
  EXPECT_EQ(extracted.code, crSuccess);
  EXPECT_EQ(testsupport::TreeListing(out), QStringList({"etc", "inside.txt", "kept", "passwd"}));
  for (const char* name : {"etc", "passwd", "kept"})
    EXPECT_FALSE(QFileInfo(out + '/' + name).isSymLink()) << name;
  EXPECT_EQ(testsupport::ReadFile(out + "/etc"), "/etc");
  EXPECT_FALSE(extracted.complete);
}

// Every engine that writes the files itself writes them through the one extraction target: a link
// already in the destination (left by an earlier attempt) is never followed out, whether it stands
// for a folder of an entry or for the entry itself.
TEST_F(DispatchTest, NoEngineWritesThroughALinkAlreadyInTheDestination) {
  TempDir outside;
  testsupport::WriteFile(outside.file("victim.txt"), "untouched");
  testsupport::WriteFile(work.file("through/escape/victim.txt"), "overwritten");
  testsupport::WriteFile(work.file("onto/filelink"), "replaces the link");
  const struct {
    const char* format;
    std::function<int(const QString& tree, const QString& archive)> make;
  } formats[] = {
      {"rar", [](const QString& tree, const QString& archive) { return ff::MakeRar(tree, archive); }},
      {"7z", [](const QString& tree, const QString& archive) { return ff::Make7z(tree, archive); }},
      {"zip", [](const QString& tree, const QString& archive) { return ff::Make7z(tree, archive, "zip"); }},
  };
  for (const auto& f : formats) {
    SCOPED_TRACE(f.format);
    const QString through = work.file(QStringLiteral("through.") + f.format);
    const QString onto = work.file(QStringLiteral("onto.") + f.format);
    ASSERT_EQ(f.make(work.file("through"), through), 0);
    ASSERT_EQ(f.make(work.file("onto"), onto), 0);
    const QString out = Destination();
    QDir().mkpath(out);
    ASSERT_TRUE(QFile::link(outside.path(), out + "/escape"));
    ASSERT_TRUE(QFile::link(outside.file("victim.txt"), out + "/filelink"));

    TvxCompress compress(engine.path());
    EXPECT_EQ(compress.UnCompressFile(through, out).code, crFailed);
    EXPECT_EQ(compress.UnCompressFile(onto, out).code, crSuccess);
    EXPECT_FALSE(QFileInfo(out + "/filelink").isSymLink());
    EXPECT_EQ(testsupport::ReadFile(out + "/filelink"), "replaces the link");
    EXPECT_EQ(testsupport::TreeListing(outside.path()), QStringList({"victim.txt"}));
    EXPECT_EQ(testsupport::ReadFile(outside.file("victim.txt")), "untouched");
  }
}

// The facade's own dispatch takes the last extension's plug-in; a caller that found a longer one
// names it, and the facade uses that plug-in file, whatever the last extension has.
TEST(PluginExtensions, FoundByTheLongestExtensionAndUsedWhenNamed) {
  TEngineFolder engine;
  engine.WriteRecorder("rec");
  engine.WritePlugin("targz.pk", PluginText("TAR.GZ", "rec", "targz {file}"));
  engine.WritePlugin("gz.pk", PluginText("GZ", "rec", "gz {file}"));
  TempDir work;
  const QString archive = work.file("a.tar.gz");
  testsupport::WriteFile(archive, "gzip bytes, no known signature");
  TvxCompress compress(engine.path());

  EXPECT_EQ(compress.UnCompressFile(archive, work.file("out1")).code, crSuccess);
  EXPECT_EQ(engine.RecordedArguments("rec"), QStringList({"gz", archive}));

  const QString found = compress.FindPluginExt(archive);
  EXPECT_EQ(found, ".tar.gz");
  const TExtractResult byPlugin = compress.UnCompressByPlugin(archive, work.file("out2"), found);
  EXPECT_EQ(byPlugin.code, crSuccess);
  EXPECT_EQ(engine.RecordedArguments("rec"), QStringList({"targz", archive}));
  EXPECT_EQ(byPlugin.format, "") << "no signature claims it";

  // A named plug-in without its program is a missing engine, as by the facade's own dispatch.
  engine.WritePlugin("targz.pk", PluginText("TAR.GZ", "gone", "targz {file}"));
  EXPECT_EQ(compress.UnCompressByPlugin(archive, work.file("out3"), found).code, crEngineLoadFailed);
  EXPECT_EQ(compress.FindPluginExt(work.file("a.txt")), "");
}

TEST(MissingEngines, EachOperationGivesItsCode) {
  HM_REQUIRE_TOOL("rar");
  HM_REQUIRE_TOOL("7z");
  TempDir work;
  TempDir emptyEngineFolder;
  ff::WriteTree(work.file("src"));
  ASSERT_EQ(ff::MakeRar(work.file("src"), work.file("a.rar")), 0);
  ASSERT_EQ(ff::Make7z(work.file("src"), work.file("a.7z")), 0);
  ASSERT_EQ(ff::Make7z(work.file("src"), work.file("a.zip"), "zip"), 0);
  testsupport::WriteFile(work.file("junk.exe"), "MZ" + QByteArray(100, 'x'));
  TvxCompress compress(emptyEngineFolder.path());
  const QString out = work.file("out");

  EXPECT_EQ(compress.UnCompressFile(work.file("a.rar"), out).code, crEngineLoadFailed);
  EXPECT_EQ(compress.UnCompressFile(work.file("a.7z"), out).code, crEngineLoadFailed);
  EXPECT_EQ(compress.UnCompressFile(work.file("junk.exe"), out).code,
            crEngineLoadFailed);  // the 7z attempt's
  EXPECT_EQ(compress.UnCompressFile(work.file("src/readme.txt"), out).code, crEngineLoadFailed);  // no txt.pk
  EXPECT_EQ(compress.Unc7ZipFile(work.file("missing.7z"), out).code, crFileNotFound);
  EXPECT_EQ(compress.GetFileList(work.file("a.rar")), crFailed);  // RAR listing does not check first
  EXPECT_EQ(compress.GetFileList(work.file("a.7z")), crEngineLoadFailed);
  EXPECT_FALSE(compress.RarExeExists());
  EXPECT_FALSE(compress.RarFile(work.file("src"), work.file("new.rar")));
  EXPECT_FALSE(compress.AddComment(work.file("a.rar")));
  EXPECT_FALSE(compress.SetLock(work.file("a.rar")));
  EXPECT_FALSE(compress.RarFile(QStringList{work.file("src")}, work.file("new.rar"), true));
  EXPECT_FALSE(compress.CompressFile(work.file("src"), work.file("new.rar")));
  EXPECT_FALSE(QFileInfo::exists(work.file("new.rar")));
  EXPECT_THROW(compress.CompressFile(work.file("src"), work.file("new.7z")), E7zLoadError);

  // ZIP is written in house and needs no engine file.
  EXPECT_EQ(compress.UnCompressFile(work.file("a.zip"), out).code, crSuccess);
  EXPECT_EQ(testsupport::TreeListing(out), ff::kTree);
  EXPECT_EQ(compress.GetFileList(work.file("a.zip")), crSuccess);
}

TEST(BrokenEngines, UnloadableSevenZipLibraryReachesTheCaller) {
  HM_REQUIRE_TOOL("7z");
  TempDir work;
  TEngineFolder engine;
  testsupport::WriteFile(engine.file("7z.so"), "not a library");
  testsupport::WriteFile(engine.file("libunrar.so"), "not a library");
  ff::WriteTree(work.file("src"));
  ASSERT_EQ(ff::Make7z(work.file("src"), work.file("a.7z")), 0);
  testsupport::WriteFile(work.file("b.rar"), "Rar!\x1a\x07\x01\x00 and nothing more");
  TvxCompress compress(engine.path());

  EXPECT_THROW(compress.UnCompressFile(work.file("a.7z"), work.file("out")), E7zLoadError);
  EXPECT_THROW(compress.GetFileList(work.file("a.7z")), E7zLoadError);
  EXPECT_EQ(compress.UnCompressFile(work.file("b.rar"), work.file("out")).code, crFailed);
}

}  // namespace
