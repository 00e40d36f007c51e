// Extraction and listing through the unrar library, on archives made by the independent rar
// tool and on RAR 4.x archives written byte by byte.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <clocale>

#include <unistd.h>

#include "RarFixtures.h"
#include "compress/rar/RAR.h"
#include "compress/rar/UnRarEngine.h"

using namespace rarfixtures;
using testsupport::ReadFile;
using testsupport::TreeListing;
using testsupport::WriteFile;

namespace {

class UnRarEngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    HM_REQUIRE_ENGINE("libunrar.so");
    sourceListing = MakeSourceTree(source);
  }

  // An archive of the source tree made by the rar tool with extra switches.
  QString MakeRar(const QString& name, const QStringList& switches) {
    const QString archive = dir.file(name);
    const auto run = Rar(QStringList{"a", "-r", "-EP1"} + switches + QStringList{archive, source + "/*"});
    EXPECT_EQ(run.exitCode, 0) << run.out.toStdString();
    return archive;
  }

  int Extract(const QString& archive, const QString& password, const QString& destination) {
    context.unCompressPwd = password;
    TUnRarEngine engine(context);
    return engine.UnRarFile(archive, destination);
  }

  int List(const QString& archive, const QString& password, QStringList& names) {
    context.unCompressPwd = password;
    TUnRarEngine engine(context);
    const int result = engine.ListRarFiles(archive, names);
    names.sort();
    return result;
  }

  testsupport::TempDir dir;
  QString source = dir.file("source");
  QStringList sourceListing;
  TEngineContext context = EngineContext();
};

}  // namespace

TEST_F(UnRarEngineTest, ExtractsAndListsWhatRarWrote) {
  HM_REQUIRE_TOOL("rar");
  struct Case {
    const char* label;
    QStringList switches;
    QString password;
  };
  const QString nonAscii = QString::fromUtf8("pässwörd 密码 €");
  const QList<Case> cases = {
      {"plain", {}, {}},
      {"solid, best compression", {"-s", "-m5"}, {}},
      {"file data encrypted", {"-psecret"}, "secret"},
      {"headers encrypted", {"-hpsecret"}, "secret"},
      {"non-ASCII password", {"-p" + nonAscii}, nonAscii},
      {"solid and headers encrypted", {"-s", "-hp" + nonAscii}, nonAscii},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    const QString archive = MakeRar(QString("%1.rar").arg(c.label), c.switches);
    const QString out = dir.file(QString("out-%1").arg(c.label));
    EXPECT_EQ(Extract(archive, c.password, out + '/'), crSuccess);
    ExpectSameTree(source, out);
    QStringList names;
    EXPECT_EQ(List(archive, c.password, names), crSuccess);
    EXPECT_EQ(names, EntryNames(sourceListing));
    EXPECT_EQ(context.m_Error, 0);
  }
}

TEST_F(UnRarEngineTest, WrongOrMissingPasswordIsWrongPasswordAndWritesNothing) {
  HM_REQUIRE_TOOL("rar");
  const QString dataEncrypted = MakeRar("p.rar", {"-pright one"});
  const QString headersEncrypted = MakeRar("hp.rar", {"-hpright one"});
  for (const QString& archive : {dataEncrypted, headersEncrypted}) {
    for (const QString& password : {QString("wrong"), QString(), QString("right on")}) {
      SCOPED_TRACE((QFileInfo(archive).fileName() + " with '" + password + "'").toStdString());
      const QString out = dir.file("out");
      EXPECT_EQ(Extract(archive, password, out), crWrongPassword);
      EXPECT_EQ(context.m_Error, 22);
      for (const QString& entry : TreeListing(out)) EXPECT_TRUE(entry.endsWith('/')) << entry.toStdString();
      QDir(out).removeRecursively();
    }
  }
  // Listing reads only headers: without header encryption no password is needed.
  QStringList names;
  EXPECT_EQ(List(dataEncrypted, "wrong", names), crSuccess);
  EXPECT_EQ(names, EntryNames(sourceListing));
  EXPECT_EQ(List(headersEncrypted, "wrong", names), crWrongPassword);
  EXPECT_TRUE(names.isEmpty());
}

TEST_F(UnRarEngineTest, MissingOrBrokenLibrary) {
  struct Case {
    const char* label;
    QByteArray libraryContent;  // empty: no library file at all
    int extractResult;
  };
  QFile zlib("/usr/lib/x86_64-linux-gnu/libz.so.1");
  ASSERT_TRUE(zlib.open(QIODevice::ReadOnly));
  const QList<Case> cases = {
      {"missing", {}, crEngineLoadFailed},
      {"not a library", "This is not an ELF file.\n", crFailed},
      {"a library without the exports", zlib.readAll(), crFailed},
  };
  const QString archive = dir.file("a.rar");
  WriteFile(archive, MakeStoredRar4({{"file.txt", "content"}}));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    testsupport::TempDir engines;
    if (!c.libraryContent.isEmpty()) WriteFile(engines.file("libunrar.so"), c.libraryContent);
    context.engineFolder = engines.path() + '/';
    EXPECT_EQ(Extract(archive, {}, dir.file("out")), c.extractResult);
    QStringList names{"stale"};
    EXPECT_EQ(List(archive, {}, names), crFailed);
    EXPECT_EQ(context.m_Error, 99);
    EXPECT_TRUE(names.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(dir.file("out/file.txt")));
  }
}

TEST_F(UnRarEngineTest, OldLibraryVersionIsReportedNotShown) {
  testsupport::TempDir engines;
  ASSERT_TRUE(QFile::copy(HM_FAKE_UNRAR, engines.file("libunrar.so")));
  context.engineFolder = engines.path() + '/';
  const QString archive = dir.file("a.rar");
  WriteFile(archive, MakeStoredRar4({{"file.txt", "content"}}));
  TUnRarEngine engine(context);
  QStringList warnings;
  engine.OnVersionWarning = [&](const QString& message) { warnings << message; };
  EXPECT_EQ(engine.UnRarFile(archive, dir.file("out")), crFailed);
  QStringList names;
  EXPECT_EQ(engine.ListRarFiles(archive, names), crFailed);
  ASSERT_EQ(warnings.size(), 2);  // once per loading, that is once per operation
  EXPECT_TRUE(warnings[0].startsWith("please download the newest \"unrar.dll\" file."));
}

TEST_F(UnRarEngineTest, DamagedArchivesFailWithoutBlamingThePassword) {
  HM_REQUIRE_TOOL("rar");
  WriteFile(dir.file("big/payload.bin"), RandomBytes(300000));
  const QString good = dir.file("good.rar");
  ASSERT_EQ(Rar({"a", "-r", "-EP1", "-m0", good, dir.file("big") + "/*"}).exitCode, 0);
  const QByteArray bytes = ReadFile(good);
  QByteArray flipped = bytes;
  flipped[flipped.size() / 2] = char(flipped[flipped.size() / 2] ^ 0x55);
  const struct {
    const char* label;
    QByteArray content;  // null: no file
    bool listingFails;
  } cases[] = {
      {"not an archive", "Rar! but not really, only a text file\n", true},
      {"empty file", QByteArray(""), true},
      {"truncated in the data", bytes.left(bytes.size() / 2), false},
      {"truncated in the main header", bytes.left(12), false},
      {"truncated after the main header", bytes.left(40), false},
      {"a flipped byte", flipped, false},
      {"missing", QByteArray(), true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    const QString archive = dir.file("damaged.rar");
    QFile::remove(archive);
    if (!c.content.isNull()) WriteFile(archive, c.content);
    EXPECT_EQ(Extract(archive, {}, dir.file("out")), crFailed);
    QStringList names;
    const int listed = List(archive, {}, names);
    // A listing reads headers only: damage further in shows as fewer names, if at all.
    if (c.listingFails) {
      EXPECT_EQ(listed, crFailed);
    }
  }
}

TEST_F(UnRarEngineTest, MultiVolumeArchivesAndAMissingVolume) {
  HM_REQUIRE_TOOL("rar");
  WriteFile(dir.file("big/payload.bin"), RandomBytes(70000));
  WriteFile(dir.file("big/small.txt"), "small");
  ASSERT_EQ(Rar({"a", "-r", "-EP1", "-m0", "-v20k", dir.file("vol.rar"), dir.file("big") + "/*"}).exitCode,
            0);
  ASSERT_TRUE(QFileInfo::exists(dir.file("vol.part3.rar")));

  EXPECT_EQ(Extract(dir.file("vol.part1.rar"), {}, dir.file("whole")), crSuccess);
  ExpectSameTree(dir.file("big"), dir.file("whole"));

  ASSERT_TRUE(QFile::remove(dir.file("vol.part2.rar")));
  EXPECT_EQ(Extract(dir.file("vol.part1.rar"), {}, dir.file("broken")), crFailed);
  EXPECT_TRUE(TreeListing(dir.file("broken")).isEmpty());
  QStringList names;
  EXPECT_EQ(List(dir.file("vol.part1.rar"), {}, names), crFailed);
}

TEST_F(UnRarEngineTest, VolumeMissingOnlyAtExtractionEndsInsteadOfAskingForever) {
  HM_REQUIRE_TOOL("rar");
  WriteFile(dir.file("big/payload.bin"), RandomBytes(70000));
  ASSERT_EQ(Rar({"a", "-r", "-EP1", "-m0", "-v20k", dir.file("vol.rar"), dir.file("big") + "/*"}).exitCode,
            0);
  TRAR rar;
  rar.DllName = context.engineFolder + "libunrar.so";
  ASSERT_TRUE(rar.OpenFile(dir.file("vol.part1.rar")));
  ASSERT_TRUE(QFile::remove(dir.file("vol.part2.rar")));
  EXPECT_FALSE(rar.Extract(dir.file("out"), true));
}

TEST_F(UnRarEngineTest, SelfExtractingArchiveWithAnMZStub) {
  HM_REQUIRE_TOOL("rar");
  const QString archive = MakeRar("inner.rar", {"-psecret"});
  QByteArray stub("MZ");
  stub += QByteArray(4094, '\x90');
  const QString sfx = dir.file("setup.exe");
  WriteFile(sfx, stub + ReadFile(archive));
  EXPECT_EQ(Extract(sfx, "secret", dir.file("out")), crSuccess);
  ExpectSameTree(source, dir.file("out"));
}

TEST_F(UnRarEngineTest, StoredRar4ArchiveWrittenByHand) {
  const QList<Rar4Entry> entries = {
      {"docs", {}, true},
      {"docs\\readme.txt", "hello from RAR 4\r\n"},
      {"docs\\nested\\deep.txt", "deeper"},
      {QString::fromUtf8("Grüße 中文.txt").toUtf8(), "UTF-8 name", false, true},
      {"empty", {}, true},
  };
  const QString archive = dir.file("old.rar");
  WriteFile(archive, MakeStoredRar4(entries));
  if (testsupport::HaveTool("unrar")) {
    const auto check = UnRar({"t", archive});
    ASSERT_EQ(check.exitCode, 0) << "fixture rejected by unrar: " << check.out.toStdString();
  }
  EXPECT_EQ(Extract(archive, {}, dir.file("out")), crSuccess);
  QStringList expected = {"docs/",           "docs/nested/", "docs/nested/deep.txt",
                          "docs/readme.txt", "empty/",       QString::fromUtf8("Grüße 中文.txt")};
  expected.sort();
  EXPECT_EQ(TreeListing(dir.file("out")), expected);
  EXPECT_EQ(ReadFile(dir.file("out/docs/readme.txt")), "hello from RAR 4\r\n");
  QStringList names;
  EXPECT_EQ(List(archive, {}, names), crSuccess);
  // Stored entries only: "docs/nested" exists on disk but not in the archive.
  expected.removeAll("docs/nested/");
  EXPECT_EQ(names, EntryNames(expected));
}

TEST_F(UnRarEngineTest, EntriesThatWouldLeaveTheFolderAreNotWritten) {
  const QString out = dir.file("work/out");
  const QString archive = dir.file("evil.rar");
  WriteFile(archive, MakeStoredRar4({
                         {"..\\escaped.txt", "up one"},
                         {"a\\..\\..\\escaped2.txt", "up one, hidden"},
                         {"\\rooted.txt", "rooted"},
                         {"safe.txt", "safe"},
                     }));
  // The rest is extracted, but the archive is not whole: it must not be repacked as if it were.
  EXPECT_EQ(Extract(archive, {}, out), crFailed);
  EXPECT_FALSE(QFileInfo::exists(dir.file("work/escaped.txt")));
  EXPECT_FALSE(QFileInfo::exists(dir.file("work/escaped2.txt")));
  EXPECT_FALSE(QFileInfo::exists("/rooted.txt"));
  EXPECT_EQ(TreeListing(dir.file("work")), QStringList({"out/", "out/rooted.txt", "out/safe.txt"}));
}

TEST_F(UnRarEngineTest, LinksInTheArchiveAreNeverCreatedButWrittenAsTheirTarget) {
  HM_REQUIRE_TOOL("rar");
  const QString tree = dir.file("links");
  WriteFile(tree + "/real.txt", "real");
  ASSERT_TRUE(QFile::link("/etc", tree + "/etc-link"));
  ASSERT_TRUE(QFile::link("../../outside", tree + "/up-link"));
  ASSERT_TRUE(QFile::link("real.txt", tree + "/inner-link"));
  const QString archive = dir.file("links.rar");
  ASSERT_EQ(Rar({"a", "-r", "-EP1", "-ol", archive, tree + "/*"}).exitCode, 0);
  ASSERT_TRUE(UnRar({"lt", archive}).out.contains("symbolic link")) << "rar did not store links";
  // Each comes out as a file holding its target, as the ZIP and 7z engines write one.
  const auto holdsTarget = [](const QString& path, const QByteArray& target) {
    EXPECT_FALSE(QFileInfo(path).isSymLink()) << path.toStdString();
    EXPECT_EQ(ReadFile(path), target) << path.toStdString();
  };
  EXPECT_EQ(Extract(archive, {}, dir.file("out")), crSuccess);
  EXPECT_EQ(TreeListing(dir.file("out")), QStringList({"etc-link", "inner-link", "real.txt", "up-link"}));
  holdsTarget(dir.file("out/etc-link"), "/etc");
  holdsTarget(dir.file("out/up-link"), "../../outside");
  holdsTarget(dir.file("out/inner-link"), "real.txt");

  // RAR 4.x kept a Unix link as an entry whose data is the target.
  const QString old = dir.file("links4.rar");
  WriteFile(old, MakeStoredRar4({{"real.txt", "real", false, false, 0100644},
                                 {"inner-link", "real.txt", false, false, 0120777},
                                 {"up-link", "../../outside", false, false, 0120777}}));
  // The library reads its target and makes no link leading out, so that one is refused.
  EXPECT_EQ(Extract(old, {}, dir.file("out4")), crFailed);
  EXPECT_EQ(TreeListing(dir.file("out4")), QStringList({"inner-link", "real.txt"}));
  holdsTarget(dir.file("out4/inner-link"), "real.txt");
}

TEST_F(UnRarEngineTest, HardLinksAndFileReferencesComeOutAsCopies) {
  HM_REQUIRE_TOOL("rar");
  const QString tree = dir.file("same");
  WriteFile(tree + "/a.bin", RandomBytes(20000));
  WriteFile(tree + "/sub/copy.bin", ReadFile(tree + "/a.bin"));
  ASSERT_EQ(::link(QFile::encodeName(tree + "/a.bin").constData(),
                   QFile::encodeName(tree + "/hard.bin").constData()),
            0);
  const QString archive = dir.file("references.rar");
  ASSERT_EQ(Rar({"a", "-r", "-EP1", "-oi:1", "-oh", archive, tree + "/*"}).exitCode, 0);
  const QByteArray details = UnRar({"lt", archive}).out;
  ASSERT_TRUE(details.contains("Hard link") && details.contains("File reference")) << details.toStdString();
  EXPECT_EQ(Extract(archive, {}, dir.file("out")), crSuccess);
  ExpectSameTree(tree, dir.file("out"));
  EXPECT_FALSE(QFileInfo(dir.file("out/hard.bin")).isSymLink());
}

TEST_F(UnRarEngineTest, NonAsciiNamesAndPasswordsWorkInTheCLocale) {
  HM_REQUIRE_TOOL("rar");
  const QString folder = dir.file(QString::fromUtf8("档案 Ärger"));
  testsupport::MakeDir(folder);
  const QString archive = folder + QString::fromUtf8("/压缩包.rar");
  const QString password = QString::fromUtf8("密码 pässwörd");
  ASSERT_EQ(Rar({"a", "-r", "-EP1", "-hp" + password, archive, source + "/*"}).exitCode, 0);
  // The library's narrow names follow the process locale; "C" cuts them at the first non-ASCII
  // character. Test programs run single-threaded here, so switching the locale is safe.
  const std::string previous = std::setlocale(LC_ALL, nullptr);
  std::setlocale(LC_ALL, "C");
  const int result = Extract(archive, password, dir.file("out"));
  QStringList names;
  const int listed = List(archive, password, names);
  std::setlocale(LC_ALL, previous.c_str());
  EXPECT_EQ(result, crSuccess);
  ExpectSameTree(source, dir.file("out"));
  EXPECT_EQ(listed, crSuccess);
  EXPECT_EQ(names, EntryNames(sourceListing));
}

TEST_F(UnRarEngineTest, LongArchiveCommentDoesNotFailTheArchive) {
  HM_REQUIRE_TOOL("rar");
  const QString archive = MakeRar("commented.rar", {});
  WriteFile(dir.file("comment.txt"), QByteArray(150000, 'c'));
  ASSERT_EQ(Rar({"c", "-z" + dir.file("comment.txt"), archive}).exitCode, 0);
  EXPECT_EQ(Extract(archive, {}, dir.file("out")), crSuccess);
  ExpectSameTree(source, dir.file("out"));
}

// `rar a -ver` keeps the older versions of a file as "name;N": only the current one comes out,
// as with `unrar x`. A file whose own name merely looks like a version still comes out.
TEST_F(UnRarEngineTest, OnlyTheCurrentVersionOfAFileComesOut) {
  HM_REQUIRE_TOOL("rar");
  const QString tree = dir.file("versions");
  const QString archive = dir.file("versions.rar");
  for (const char* content : {"first", "second, longer", "third and current"}) {
    WriteFile(tree + "/a.txt", content);
    ASSERT_EQ(Rar({"a", "-ver", "-ep1", archive, tree + "/a.txt"}).exitCode, 0);
  }
  WriteFile(tree + "/b.txt;1", "a name with a semicolon");
  ASSERT_EQ(Rar({"a", "-ep1", archive, tree + "/b.txt;1"}).exitCode, 0);
  ASSERT_TRUE(UnRar({"lb", archive}).out.contains("a.txt;2")) << "rar kept no versions";

  EXPECT_EQ(Extract(archive, {}, dir.file("out")), crSuccess);
  EXPECT_EQ(TreeListing(dir.file("out")), QStringList({"a.txt", "b.txt;1"}));
  EXPECT_EQ(ReadFile(dir.file("out/a.txt")), "third and current");
}

// Names that were not UTF-8 on the disk rar read come back as unrar maps them (a U+FFFE mark,
// then U+E000 plus each byte it could not decode): they are read as the bytes they were, the
// way every name from a Windows disk is read, in listing and extraction alike.
TEST_F(UnRarEngineTest, NamesThatWereNotUtf8OnDiskAreReadAsTheirBytes) {
  HM_REQUIRE_TOOL("rar");
  const QString tree = dir.file("raw");
  testsupport::WriteFileAtRawPath(tree, "\xC4\xE3\xBA\xC3.txt", "gbk");
  testsupport::WriteFileAtRawPath(tree, "sub/bad\xFF\x80.txt", "neither");
  const QString archive = dir.file("raw.rar");
  ASSERT_EQ(Rar({"a", "-r", "-ep1", archive, tree + "/*"}).exitCode, 0);

  QStringList names;
  ASSERT_EQ(List(archive, {}, names), crSuccess);
  EXPECT_EQ(names, QStringList({"sub", "sub/bad%FF%80.txt", "你好.txt"}));
  ASSERT_EQ(Extract(archive, {}, dir.file("out")), crSuccess);
  EXPECT_EQ(TreeListing(dir.file("out")), QStringList({"sub/", "sub/bad%FF%80.txt", "你好.txt"}));
  EXPECT_EQ(ReadFile(dir.file("out/你好.txt")), "gbk");
}
