// Extracting and listing 7z archives: result codes for bad input, archives made by the 7z
// tools, damaged and hostile archives.
#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>

#include <utility>

#include "SevenZipTestHelpers.h"
#include "compress/sevenzip/FileStreams.h"
#include "compress/sevenzip/SevenZipEngine.h"
#include "compress/sevenzip/UpdateCallback.h"

using testsupport::MakeDir;
using testsupport::ReadFile;
using testsupport::RunTool;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

QStringList FilesBelow(const QString& root) {
  QStringList files;
  for (const QString& entry : testsupport::TreeListing(root))
    if (!entry.endsWith('/')) files << entry;
  return files;
}

// Archives `dir`'s content with the 7z tool (or 7zz) and the given switches.
QString Make7z(const QString& tool, const QString& dir, const QString& archive, const QStringList& switches) {
  const auto run =
      RunTool(tool, QStringList{"a", "-bso0", "-bsp0"} + switches + QStringList{archive, "."}, dir);
  EXPECT_EQ(run.exitCode, 0) << tool.toStdString() << ": " << run.err.toStdString() << run.out.toStdString();
  return archive;
}

// Writes an archive whose item names are exactly `names` (each holding `content`), through the
// library itself: the 7z tools never store such names.
void WriteArchiveWithNames(const QString& archive, const QStringList& names, const QString& contentFile) {
  T7zPlugin plugin(sztest::LibraryPath());
  TComPtr<z7::IOutArchive> out;
  ASSERT_EQ(plugin.CreateObject(out), z7::kOk);
  QVector<T7zBatchItem> items;
  for (const QString& name : names) {
    T7zBatchItem item;
    item.Path = name;
    item.FileName = QFile::encodeName(contentFile);
    item.Size = static_cast<std::uint64_t>(QFileInfo(contentFile).size());
    item.Attributes = 0x20;
    items << item;
  }
  TComPtr<T7zOutFileStream> stream = T7zOutFileStream::Create(archive);
  ASSERT_TRUE(stream);
  TComPtr<T7zUpdateCallback> callback(new T7zUpdateCallback(plugin, items, T7zPassword()));
  ASSERT_EQ(out->UpdateItems(stream.get(), items.size(), callback.get()), z7::kOk);
  ASSERT_TRUE(stream->Close());
}

}  // namespace

class SevenZipExtract : public ::testing::Test {
 protected:
  void SetUp() override {
    HM_REQUIRE_ENGINE("7z.so");
    HM_REQUIRE_TOOL("7z");
    WriteFile(dir_.file("src/readme.txt"), sztest::Content(3000, 1));
    WriteFile(dir_.file("src/数据/Grüße €.bin"), sztest::Content(50000, 2));
    WriteFile(dir_.file("src/数据/deep/c.txt"), sztest::Content(10, 3));
    MakeDir(dir_.file("src/empty"));
  }
  int Extract(const QString& archive, const QString& dest, const QString& password = {}) {
    TEngineContext context = sztest::Context({}, password);
    return TSevenZipEngine(context).Unc7ZipFile(archive, dest);
  }
  void ExpectSameFilesAsSource(const QString& dest) {
    const QStringList expected{"readme.txt", "数据/Grüße €.bin", "数据/deep/c.txt"};
    ASSERT_EQ(FilesBelow(dest), expected);
    for (const QString& file : expected)
      EXPECT_EQ(ReadFile(dest + '/' + file), ReadFile(dir_.file("src/" + file))) << file.toStdString();
  }
  TempDir dir_;
};

TEST_F(SevenZipExtract, ArchivesMadeByThe7zToolsExtractCompletely) {
  struct Row {
    QString tool;
    QStringList switches;
    QString password;
  };
  const Row rows[] = {
      {"7z", {"-m0=LZMA2", "-ms=on"}, ""},
      {"7z", {"-ms=off", "-m0=PPMd"}, ""},
      {"7z", {"-pgeheim"}, "geheim"},
      {"7z", {"-p密码 ü", "-mhe=on"}, "密码 ü"},
      {"7zz", {"-m0=LZMA2", "-ms=on", "-mmt=2"}, ""},
      {"7zz", {"-pgeheim", "-mhe=on"}, "geheim"},
  };
  int n = 0;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.tool.toStdString() + " " + row.switches.join(' ').toStdString());
    if (!testsupport::HaveTool(row.tool)) {
      ASSERT_FALSE(testsupport::MissingIsFailure()) << "required tool missing: " << row.tool.toStdString();
      continue;
    }
    const QString archive =
        Make7z(row.tool, dir_.file("src"), dir_.file(QString("a%1.7z").arg(n)), row.switches);
    const QString dest = dir_.file(QString("out%1").arg(n++));
    EXPECT_EQ(Extract(archive, dest, row.password), crSuccess);
    ExpectSameFilesAsSource(dest);
  }
}

// The library keeps names as UTF-16: a character beyond U+FFFF comes as a surrogate pair.
TEST_F(SevenZipExtract, NamesBeyondTheBasicPlaneComeOutWhole) {
  const QStringList names{QString::fromUtf8("a😀b.txt"), QString::fromUtf8("x𠀀1.txt"),
                          QString::fromUtf8("x𠀀2.txt"), QString::fromUtf8("y𡀀/z.txt")};
  for (int i = 0; i < names.size(); ++i) WriteFile(dir_.file("wide/" + names[i]), sztest::Content(100, i));
  const QString archive = Make7z("7z", dir_.file("wide"), dir_.file("wide.7z"), {});
  TEngineContext context = sztest::Context();
  QStringList listed;
  ASSERT_EQ(TSevenZipEngine(context).List7zFiles(archive, listed), crSuccess);
  listed.sort();
  EXPECT_EQ(listed, (QStringList{names[0], names[1], names[2], QString::fromUtf8("y𡀀"), names[3]}));
  ASSERT_EQ(Extract(archive, dir_.file("out")), crSuccess);
  EXPECT_EQ(FilesBelow(dir_.file("out")), names);
  for (int i = 0; i < names.size(); ++i)
    EXPECT_EQ(ReadFile(dir_.file("out/" + names[i])), sztest::Content(100, i)) << names[i].toStdString();
}

TEST_F(SevenZipExtract, BadInputGetsItsResultCode) {
  const QString good = Make7z("7z", dir_.file("src"), dir_.file("good.7z"), {});
  const QString encrypted = Make7z("7z", dir_.file("src"), dir_.file("enc.7z"), {"-psecret"});
  const QString headers = Make7z("7z", dir_.file("src"), dir_.file("hdr.7z"), {"-psecret", "-mhe=on"});
  WriteFile(dir_.file("text.7z"), "7z? no, just text that is long enough to be looked at\n");
  QByteArray bytes = ReadFile(good);
  WriteFile(dir_.file("truncated.7z"), bytes.left(bytes.size() / 2));
  WriteFile(dir_.file("blocker"), "a file where the destination folder should go");
  WriteFile(dir_.file("zero/a.txt"), "");
  WriteFile(dir_.file("zero/sub/b.txt"), "");
  const QString emptyFiles = Make7z("7z", dir_.file("zero"), dir_.file("zero.7z"), {});
  MakeDir(dir_.file("folders/x/y"));
  const QString onlyFolders = Make7z("7z", dir_.file("folders"), dir_.file("folders.7z"), {});

  struct Row {
    const char* what;
    QString archive;
    QString password;
    int code;
    QString dest = {};
  };
  const Row rows[] = {
      {"missing archive", dir_.file("nope.7z"), "", crFileNotFound},
      {"not an archive", dir_.file("text.7z"), "", crFailed},
      {"truncated", dir_.file("truncated.7z"), "", crFailed},
      {"destination blocked by a file", good, "", crCreateDirFailed, dir_.file("blocker/sub")},
      {"wrong password", encrypted, "wrong", crFailed},
      {"missing password", encrypted, "", crFailed},
      {"encrypted headers, no password", headers, "", crFailed},
      {"encrypted headers, wrong password", headers, "wrong", crFailed},
      {"only empty files (no packed streams at all)", emptyFiles, "", crSuccess},
      {"only folders", onlyFolders, "", crFailed},
      {"good, with an unneeded password", good, "unneeded", crSuccess},
  };
  int n = 0;
  for (const Row& row : rows) {
    const QString dest = row.dest.isEmpty() ? dir_.file(QString("bad%1").arg(n++)) : row.dest;
    EXPECT_EQ(Extract(row.archive, dest, row.password), row.code) << row.what;
    if (row.archive == emptyFiles) {
      EXPECT_EQ(FilesBelow(dest), QStringList({"a.txt", "sub/b.txt"}));
    }
    if (row.code == crFailed && QString(row.what).contains("password")) {
      // Nothing decrypted with a wrong key may look like content.
      for (const QString& file : FilesBelow(dest))
        EXPECT_EQ(QFileInfo(dest + '/' + file).size(), 0) << row.what << ": " << file.toStdString();
    }
  }
}

TEST_F(SevenZipExtract, ADamagedItemFailsTheArchiveEvenWhenOthersExtract) {
  // Stored, not solid: each file's bytes lie in the archive as they are, so one can be damaged
  // alone and the others still extract.
  WriteFile(dir_.file("three/a.txt"), sztest::Content(4000, 10));
  WriteFile(dir_.file("three/b.txt"), sztest::Content(4000, 11));
  WriteFile(dir_.file("three/c.txt"), sztest::Content(4000, 12));
  const QString archive = Make7z("7z", dir_.file("three"), dir_.file("three.7z"), {"-m0=Copy", "-ms=off"});
  QByteArray bytes = ReadFile(archive);
  const int at = bytes.indexOf(sztest::Content(4000, 11));
  ASSERT_GT(at, 0);
  bytes[at + 2000] = bytes[at + 2000] == 'a' ? 'b' : 'a';
  WriteFile(archive, bytes);

  EXPECT_EQ(Extract(archive, dir_.file("out")), crFailed);
  EXPECT_EQ(ReadFile(dir_.file("out/a.txt")), sztest::Content(4000, 10));
}

TEST_F(SevenZipExtract, ASelfExtractingArchiveIsFoundBehindItsStub) {
  HM_REQUIRE_PRESENT(QFileInfo::exists("/usr/lib/p7zip/7zCon.sfx"), "7z's console SFX module");
  const QString archive = Make7z("7z", dir_.file("src"), dir_.file("setup.exe"), {"-sfx7zCon.sfx"});
  ASSERT_TRUE(
      ReadFile(archive).startsWith("\x7f"
                                   "ELF"));
  EXPECT_EQ(Extract(archive, dir_.file("out")), crSuccess);
  ExpectSameFilesAsSource(dir_.file("out"));
}

TEST_F(SevenZipExtract, NamesThatWouldLeaveTheDestinationNeverWriteOutsideIt) {
  WriteFile(dir_.file("payload"), "payload\n");
  const QString archive = dir_.file("hostile.7z");
  WriteArchiveWithNames(archive, {"ok.txt", "../escape.txt", "a/../../escape2.txt", "/abs/rooted.txt"},
                        dir_.file("payload"));
  const QStringList listed = sztest::SltPaths(archive);
  ASSERT_TRUE(listed.contains("../escape.txt")) << listed.join(", ").toStdString();

  const QString dest = dir_.file("jail/dest");
  // An item skipped for its name fails the archive, so it is never repacked without it.
  EXPECT_EQ(Extract(archive, dest), crFailed);
  EXPECT_EQ(FilesBelow(dir_.file("jail")), (QStringList{"dest/abs/rooted.txt", "dest/ok.txt"}));
  EXPECT_FALSE(QFileInfo::exists(dir_.file("escape.txt")));
  EXPECT_FALSE(QFileInfo::exists(dir_.file("jail/escape.txt")));
  EXPECT_FALSE(QFileInfo::exists("/abs/rooted.txt"));
}

TEST_F(SevenZipExtract, ASymbolicLinkItemBecomesAPlainFile) {
  MakeDir(dir_.file("links"));
  WriteFile(dir_.file("links/real.txt"), "real\n");
  ASSERT_TRUE(QFile::link("/etc/hostname", dir_.file("links/out-link")));
  const QString archive = Make7z("7z", dir_.file("links"), dir_.file("links.7z"), {"-snl"});
  ASSERT_TRUE(sztest::SltPaths(archive).contains("out-link"));

  EXPECT_EQ(Extract(archive, dir_.file("out")), crSuccess);
  const QFileInfo link(dir_.file("out/out-link"));
  EXPECT_FALSE(link.isSymLink());
  EXPECT_EQ(ReadFile(dir_.file("out/out-link")), "/etc/hostname");
}

// Every file, and every folder that comes to exist, gets its stored time, to the 100 ns a 7z or
// a ZIP of 7-Zip keeps; through the 7z reader and through the library's ZIP reader alike.
TEST_F(SevenZipExtract, StoredTimesAreKept) {
  const timespec fileTime{1462330921, 123456700};  // 2016-05-04 03:02:01.1234567 UTC
  const timespec folderTime{1420167845, 0};
  const auto setTime = [](const QString& path, const timespec& t) {
    const timespec times[2] = {t, t};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0) << path.toStdString();
  };
  for (const char* file : {"readme.txt", "数据/Grüße €.bin", "数据/deep/c.txt"})
    setTime(dir_.file("src/") + QString::fromUtf8(file), fileTime);
  for (const char* folder : {"数据/deep", "数据"})
    setTime(dir_.file("src/") + QString::fromUtf8(folder), folderTime);
  const auto modified = [](const QString& path) {
    struct stat st {};
    EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0) << path.toStdString();
    return std::pair(st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
  };
  const struct {
    const char* label;
    QStringList switches;
    bool zip;
  } cases[] = {
      {"7z", {}, false},
      {"ZIP with AES, the library's ZIP reader", {"-tzip", "-mem=AES256", "-psecret"}, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    const QString archive = Make7z("7z", dir_.file("src"), dir_.file(c.zip ? "t.zip" : "t.7z"), c.switches);
    const QString dest = dir_.file(QStringLiteral("out-%1").arg(c.label));
    TEngineContext context = sztest::Context({}, "secret");
    TSevenZipEngine engine(context);
    ASSERT_EQ(c.zip ? engine.UnZipFile(archive, dest) : engine.Unc7ZipFile(archive, dest), crSuccess);
    for (const char* file : {"readme.txt", "数据/Grüße €.bin", "数据/deep/c.txt"})
      EXPECT_EQ(modified(dest + '/' + QString::fromUtf8(file)), std::pair(fileTime.tv_sec, fileTime.tv_nsec))
          << file;
    for (const char* folder : {"数据/deep", "数据"})
      EXPECT_EQ(modified(dest + '/' + QString::fromUtf8(folder)),
                std::pair(folderTime.tv_sec, folderTime.tv_nsec))
          << folder;
  }
}

TEST_F(SevenZipExtract, ListingGivesEveryItemInArchiveOrder) {
  const QString archive = Make7z("7z", dir_.file("src"), dir_.file("list.7z"), {});
  const QString headers = Make7z("7z", dir_.file("src"), dir_.file("hdr.7z"), {"-psecret", "-mhe=on"});
  const QStringList expected = sztest::SltPaths(archive);
  ASSERT_TRUE(expected.contains("empty"));

  TEngineContext context = sztest::Context();
  TSevenZipEngine engine(context);
  QStringList list{"stale"};
  EXPECT_EQ(engine.List7zFiles(archive, list), crSuccess);
  EXPECT_EQ(list, expected);

  EXPECT_EQ(engine.List7zFiles(headers, list), crFailed);
  EXPECT_EQ(list, QStringList{});
  EXPECT_EQ(engine.List7zFiles(dir_.file("nope.7z"), list), crFileNotFound);
  context.unCompressPwd = "secret";
  EXPECT_EQ(engine.List7zFiles(headers, list), crSuccess);
  EXPECT_EQ(list.size(), expected.size());
}

TEST_F(SevenZipExtract, AMissingOrBrokenLibraryIsReportedNotCrashedOn) {
  const QString archive = Make7z("7z", dir_.file("src"), dir_.file("a.7z"), {});
  MakeDir(dir_.file("engine"));
  TEngineContext context = sztest::Context();
  context.engineFolder = dir_.file("engine") + '/';
  TSevenZipEngine engine(context);
  QStringList list;

  EXPECT_EQ(engine.Unc7ZipFile(archive, dir_.file("out")), crEngineLoadFailed);
  EXPECT_EQ(engine.List7zFiles(archive, list), crEngineLoadFailed);
  // The archive is looked for before the library.
  EXPECT_EQ(engine.Unc7ZipFile(dir_.file("nope.7z"), dir_.file("out")), crFileNotFound);

  WriteFile(dir_.file("engine/7z.so"), "not a library");
  const std::string message = ("Error loading library " + dir_.file("engine/7z.so")).toStdString();
  try {
    engine.Unc7ZipFile(archive, dir_.file("out"));
    ADD_FAILURE() << "expected E7zLoadError";
  } catch (const E7zLoadError& e) {
    EXPECT_EQ(e.what(), message);
  }
  EXPECT_THROW(engine.List7zFiles(archive, list), E7zLoadError);
}
