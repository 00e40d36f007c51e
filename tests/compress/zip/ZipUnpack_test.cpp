// Extraction and listing of archives made by other tools: Info-ZIP zip, 7-Zip, bsdtar and
// python's zipfile, stored, deflated, streamed with data descriptors, ZipCrypto, UTF-8 and GBK
// names; which reader takes which archive; passwords; listing; self-extracting prefixes.
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <functional>

#include <utime.h>

#include "ZipTestSupport.h"
#include "util/CodePage.h"

using namespace ziptest;
using testsupport::ReadFile;
using testsupport::RunTool;
using testsupport::TempDir;
using testsupport::TreeListing;
using testsupport::WriteFile;

namespace {

const QDateTime kSourceTime(QDate(2019, 5, 6), QTime(7, 8, 10));

QMap<QString, QByteArray> SourceTree() {
  QByteArray text;
  for (int i = 0; text.size() < 300000; ++i) text += "row " + QByteArray::number(i) + "\n";
  return {{"a.txt", "alpha"},  {".hidden", "h"},   {"empty.dat", ""},
          {"sub/b.txt", text}, {"sub/empty/", ""}, {"中文/文件.txt", "gbk name"}};
}

void MakeSource(const QString& root) {
  MakeTree(root, SourceTree());
  const utimbuf times{kSourceTime.toSecsSinceEpoch(), kSourceTime.toSecsSinceEpoch()};
  for (const char* f : {"a.txt", "sub/b.txt", "中文/文件.txt"})
    utime((root + '/' + QString::fromUtf8(f)).toUtf8().constData(), &times);
}

// The source tree as python entries (folders included), names in `encoding`.
QList<PyEntry> PythonEntries(const QString& encoding, bool deflate = true) {
  QList<PyEntry> entries;
  const auto tree = SourceTree();
  for (auto it = tree.begin(); it != tree.end(); ++it) {
    if (it.key() == "中文/文件.txt") entries << PyEntry{"中文/", {}, encoding, deflate};
    entries << PyEntry{it.key(), it.value(), encoding, deflate};
  }
  entries.prepend(PyEntry{"sub/", {}, encoding, deflate});
  return entries;
}

struct Maker {
  const char* label;
  const char* tool;
  std::function<bool(const QString& src, const QString& archive)> make;
  QString password = {};
  bool keepsTimes = true;  // python's entries get a fixed time instead
};

bool Ran(const testsupport::ToolRun& run) {
  EXPECT_EQ(run.exitCode, 0) << run.out.toStdString() << run.err.toStdString();
  return run.exitCode == 0;
}

QList<Maker> Makers() {
  return {
      {"zip -r", "zip",
       [](auto src, auto a) {
         return Ran(RunTool("zip", {"-r", "-q", a, "."}, src));
       }},
      {"zip -0 (stored)", "zip",
       [](auto src, auto a) {
         return Ran(RunTool("zip", {"-r", "-q", "-0", a, "."}, src));
       }},
      {"zip to a pipe (data descriptors)", "zip",
       [](auto src, auto a) {
         const auto run = RunTool("zip", {"-r", "-q", "-", "."}, src);
         testsupport::WriteFile(a, run.out);
         return Ran(run);
       }},
      {"zip -P (ZipCrypto)", "zip",
       [](auto src, auto a) {
         return Ran(RunTool("zip", {"-r", "-q", "-P", "secret", a, "."}, src));
       },
       "secret"},
      {"7z -tzip", "7z",
       [](auto src, auto a) {
         return Ran(RunTool("7z", {"a", "-tzip", a, src + "/*"}));
       }},
      {"7z -tzip -mx0", "7z",
       [](auto src, auto a) {
         return Ran(RunTool("7z", {"a", "-tzip", "-mx0", a, src + "/*"}));
       }},
      {"7z -tzip -mcu=on (UTF-8 everywhere)", "7z",
       [](auto src, auto a) {
         return Ran(RunTool("7z", {"a", "-tzip", "-mcu=on", a, src + "/*"}));
       }},
      {"7z -tzip -p (ZipCrypto)", "7z",
       [](auto src, auto a) {
         return Ran(RunTool("7z", {"a", "-tzip", "-psecret", a, src + "/*"}));
       },
       "secret"},
      {"bsdtar --format zip", "bsdtar",
       [](auto src, auto a) {
         return Ran(RunTool("bsdtar", {"--format", "zip", "-cf", a, "-C", src, "."}));
       }},
      {"python, UTF-8 flag everywhere",
       "python3",
       [](auto, auto a) { return BuildWithPython(a, PythonEntries("utf-8")); },
       {},
       false},
      {"python, GBK names without the flag",
       "python3",
       [](auto, auto a) { return BuildWithPython(a, PythonEntries("gbk")); },
       {},
       false},
      {"python, stored, through a pipe",
       "python3",
       [](auto, auto a) { return BuildWithPython(a, PythonEntries("gbk", false), true); },
       {},
       false},
  };
}

}  // namespace

TEST(ZipUnpack, ArchivesOfOtherToolsExtractCompletely) {
  for (const Maker& m : Makers()) HM_REQUIRE_TOOL(m.tool);
  for (const Maker& m : Makers()) {
    SCOPED_TRACE(m.label);
    TempDir dir;
    MakeSource(dir.file("src"));
    ASSERT_TRUE(m.make(dir.file("src"), dir.file("in.zip")));
    Engine e({}, m.password);
    ASSERT_EQ(e.zip.UnZipFile(dir.file("in.zip"), dir.file("out")), crSuccess);
    EXPECT_EQ(TreeListing(dir.file("out")), TreeListing(dir.file("src")));
    for (const char* f : {"a.txt", "sub/b.txt", "中文/文件.txt", "empty.dat", ".hidden"})
      EXPECT_EQ(ReadFile(dir.file("out/") + QString::fromUtf8(f)),
                ReadFile(dir.file("src/") + QString::fromUtf8(f)))
          << f;
    const QDateTime expected = m.keepsTimes ? kSourceTime : QDateTime(QDate(2021, 3, 4), QTime(5, 6, 8));
    EXPECT_LE(std::abs(QFileInfo(dir.file("out/sub/b.txt")).lastModified().secsTo(expected)), 1);
  }
}

// m_Error tells the paths apart: only the general reader resets it.
TEST(ZipUnpack, StrictReaderTakesAllUtf8ArchivesAndTheGeneralOneTheRest) {
  HM_REQUIRE_TOOL("python3");
  struct Case {
    const char* label;
    QList<PyEntry> entries;
    int result;
    int error;
  };
  const Case cases[] = {
      {"every name flagged UTF-8", {{"a.txt", "a"}, {"d/", ""}, {"d/中.txt", "z"}}, crSuccess, 99},
      {"one name without the flag", {{"a.txt", "a"}, {"d/", "", "gbk"}, {"d/中.txt", "z"}}, crSuccess, 0},
      {"empty archive", {}, crSuccess, 99},
      {"only folders, all flagged", {{"d/", ""}, {"d/e/", ""}}, crSuccess, 99},
      {"only folders, one without the flag: no file extracted", {{"d/", ""}, {"e/", "", "gbk"}}, crFailed, 0},
  };
  for (const Case& c : cases) {
    TempDir dir;
    ASSERT_TRUE(BuildWithPython(dir.file("in.zip"), c.entries)) << c.label;
    Engine e;
    e.context.m_Error = 99;
    EXPECT_EQ(e.zip.UnZipFile(dir.file("in.zip"), dir.file("out")), c.result) << c.label;
    EXPECT_EQ(e.context.m_Error, c.error) << c.label;
  }
}

TEST(ZipUnpack, PasswordsDecideBetweenSuccessAndWrongPassword) {
  HM_REQUIRE_TOOL("zip");
  TempDir dir;
  MakeSource(dir.file("src"));
  ASSERT_TRUE(Ran(RunTool("zip", {"-r", "-q", "-P", "secret", dir.file("in.zip"), "."}, dir.file("src"))));
  struct Case {
    const char* password;
    int result;
    int error;
  };
  const Case cases[] = {{"secret", crSuccess, 0}, {"wrong", crWrongPassword, 22}, {"", crWrongPassword, 22}};
  for (const Case& c : cases) {
    const QString out = dir.file(QString("out-") + c.password);
    Engine e({}, c.password);
    e.context.m_Error = 5;
    EXPECT_EQ(e.zip.UnZipFile(dir.file("in.zip"), out), c.result) << c.password;
    EXPECT_EQ(e.context.m_Error, c.error) << c.password;
    if (c.result != crSuccess) {
      const QStringList written = TreeListing(out);
      EXPECT_TRUE(
          std::all_of(written.begin(), written.end(), [](const QString& p) { return p.endsWith('/'); }))
          << "files written with a wrong password: " << written.join(' ').toStdString();
    }
  }
  // Our own archives with a password in the ANSI code page.
  Engine packer(QString::fromUtf8("密码"));
  ASSERT_TRUE(packer.zip.ZipFile(dir.file("src"), dir.file("own.zip")));
  Engine right({}, QString::fromUtf8("密码"));
  EXPECT_EQ(right.zip.UnZipFile(dir.file("own.zip"), dir.file("own")), crSuccess);
  Engine wrong({}, QString::fromUtf8("密马"));
  EXPECT_EQ(wrong.zip.UnZipFile(dir.file("own.zip"), dir.file("own-wrong")), crWrongPassword);
  EXPECT_EQ(wrong.context.m_Error, 22);
}

TEST(ZipUnpack, ListingGivesNamesInDirectoryOrder) {
  HM_REQUIRE_TOOL("python3");
  TempDir dir;
  ASSERT_TRUE(BuildWithPython(dir.file("in.zip"), {{"dir/", ""},
                                                   {"dir/a.txt", "a"},
                                                   {"中文.txt", "g", "gbk"},
                                                   {"한국어.txt", "k"},
                                                   {"win\\path.txt", "w", "gbk"},
                                                   {"b.txt", "b", "gbk"}}));
  Engine e;
  QStringList names{"stale"};
  EXPECT_EQ(e.zip.ListZipFiles(dir.file("in.zip"), names), crSuccess);
  EXPECT_EQ(names, QStringList({"dir/", "dir/a.txt", "中文.txt", "한국어.txt", "win/path.txt", "b.txt"}));

  WriteFile(dir.file("not.zip"), "just some text, long enough to be looked at");
  EXPECT_EQ(e.zip.ListZipFiles(dir.file("not.zip"), names), crFailed);
  EXPECT_TRUE(names.isEmpty());
  EXPECT_EQ(e.zip.ListZipFiles(dir.file("missing.zip"), names), crFailed);

  // A damaged third directory record: the first two are listed, and the listing fails.
  QByteArray bytes = ReadFile(dir.file("in.zip"));
  int at = -1;
  for (int k = 0; k < 3; ++k) at = bytes.indexOf("PK\1\2", at + 1);
  bytes[at + 3] = 'X';
  WriteFile(dir.file("damaged.zip"), bytes);
  EXPECT_EQ(e.zip.ListZipFiles(dir.file("damaged.zip"), names), crFailed);
  EXPECT_EQ(names, QStringList({"dir/", "dir/a.txt"}));
}

// MS-DOS and old Windows zippers mark a folder by its attributes alone: "def" holds "def/foo".
// Such archives extract as 7z extracts them, whichever reader takes them (UTF-8 names or not),
// and list the folder as one. An entry with data stays a file whatever its attributes say, and
// only the hosts whose attributes 7-Zip reads mark folders this way.
TEST(ZipUnpack, FoldersMarkedOnlyByTheirAttributes) {
  HM_REQUIRE_TOOL("python3");
  HM_REQUIRE_TOOL("7z");
  constexpr quint32 kDosFolder = 0x10, kDosArchive = 0x20;
  const auto folderDef = [](int host, quint32 attributes, const QString& encoding) {
    return QList<PyEntry>{{"def", {}, encoding, false, 0, host, attributes},
                          {"def/foo", "foo content", encoding, true, 0, host, kDosArchive}};
  };
  const struct {
    const char* label;
    QList<PyEntry> entries;
    QStringList listed;
    QStringList extracted;  // TreeListing; empty: as 7z extracts it
  } cases[] = {
      {"MS-DOS", folderDef(0, kDosFolder, "cp437"), {"def/", "def/foo"}},
      {"MS-DOS, UTF-8 names", folderDef(0, kDosFolder, "utf-8"), {"def/", "def/foo"}},
      {"Windows NTFS", folderDef(11, kDosFolder, "cp437"), {"def/", "def/foo"}},
      {"Windows VFAT", folderDef(14, kDosFolder, "cp437"), {"def/", "def/foo"}},
      {"OS/2 HPFS", folderDef(6, kDosFolder, "cp437"), {"def/", "def/foo"}},
      {"Unix folder mode", folderDef(3, 0040755u << 16, "utf-8"), {"def/", "def/foo"}},
      {"an empty folder", {{"empty", {}, "cp437", false, 0, 0, kDosFolder}, {"a.txt", "a", "cp437", true, 0, 0, 0}},
       {"empty/", "a.txt"}},
      {"the bit on a Macintosh entry is no folder",
       {{"mac", {}, "cp437", false, 0, 7, kDosFolder}},
       {"mac"},
       {"mac"}},
      {"the bit on an entry with data is no folder",
       {{"data", "kept", "cp437", false, 0, 0, kDosFolder}},
       {"data"},
       {"data"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    TempDir dir;
    const QString archive = dir.file("in.zip");
    ASSERT_TRUE(BuildWithPython(archive, c.entries));
    Engine e;
    QStringList names;
    EXPECT_EQ(e.zip.ListZipFiles(archive, names), crSuccess);
    EXPECT_EQ(names, c.listed);
    ASSERT_EQ(e.zip.UnZipFile(archive, dir.file("out")), crSuccess);
    QStringList expected = c.extracted;
    if (expected.isEmpty()) {
      ASSERT_TRUE(Ran(RunTool("7z", {"x", "-y", "-o" + dir.file("7z"), archive})));
      expected = TreeListing(dir.file("7z"));
    }
    EXPECT_EQ(TreeListing(dir.file("out")), expected);
    if (expected.contains("def/foo")) EXPECT_EQ(ReadFile(dir.file("out/def/foo")), "foo content");
    if (expected.contains("data")) EXPECT_EQ(ReadFile(dir.file("out/data")), "kept");
  }
}

TEST(ZipUnpack, ArchivesBehindAProgramPrefixExtract) {
  HM_REQUIRE_TOOL("zip");
  TempDir dir;
  MakeSource(dir.file("src"));
  ASSERT_TRUE(Ran(RunTool("zip", {"-r", "-q", dir.file("plain.zip"), "."}, dir.file("src"))));
  const QByteArray stub = "MZ" + QByteArray(5000, '\x90');
  WriteFile(dir.file("raw.exe"), stub + ReadFile(dir.file("plain.zip")));
  WriteFile(dir.file("adjusted.exe"), stub + ReadFile(dir.file("plain.zip")));
  ASSERT_TRUE(Ran(RunTool("zip", {"-A", "-q", dir.file("adjusted.exe")})));  // offsets count the prefix
  for (const QString sfx : {"raw.exe", "adjusted.exe"}) {
    Engine e;
    EXPECT_EQ(e.zip.UnZipFile(dir.file(sfx), dir.file(sfx + ".out")), crSuccess) << sfx.toStdString();
    EXPECT_EQ(TreeListing(dir.file(sfx + ".out")), TreeListing(dir.file("src"))) << sfx.toStdString();
  }
}

// Files are written on several threads. The result is the same for any number of them: entries
// that name one path land in archive order (the last one wins), and one damaged entry fails the
// extraction on either reader (UTF-8 names: the strict one first) without harming the others.
TEST(ZipUnpack, ThreadCountDoesNotChangeTheExtraction) {
  HM_REQUIRE_TOOL("python3");
  for (const QString encoding : {"utf-8", "gbk"}) {
    SCOPED_TRACE(encoding.toStdString());
    QList<PyEntry> entries{{"empty/", {}, encoding}};
    for (int i = 0; i < 240; ++i) {
      entries << PyEntry{QString("d%1/f%2.txt").arg(i % 7).arg(i), "content " + QByteArray::number(i),
                         encoding};
      if (i % 60 == 0) entries << PyEntry{"same.txt", "version " + QByteArray::number(i), encoding};
    }
    entries << PyEntry{"damaged.txt", "DAMAGED DATA", encoding, false};
    TempDir dir;
    ASSERT_TRUE(BuildWithPython(dir.file("in.zip"), entries));
    QByteArray bytes = ReadFile(dir.file("in.zip"));
    WriteFile(dir.file("damaged.zip"), bytes.replace("DAMAGED DATA", "DAMAGED DATE"));

    QStringList reference;
    for (const int threads : {1, 2, 5}) {
      SCOPED_TRACE(threads);
      Engine e;
      e.zip.SetThreadCount(threads);
      const QString out = dir.file(QString("out%1").arg(threads));
      ASSERT_EQ(e.zip.UnZipFile(dir.file("in.zip"), out), crSuccess);
      const QStringList listing = TreeListing(out);
      if (reference.isEmpty()) reference = listing;
      EXPECT_EQ(listing, reference);
      EXPECT_EQ(ReadFile(out + "/same.txt"), "version 180");
      EXPECT_EQ(ReadFile(out + "/d4/f137.txt"), "content 137");

      const QString damaged = dir.file(QString("damaged%1").arg(threads));
      EXPECT_EQ(e.zip.UnZipFile(dir.file("damaged.zip"), damaged), crFailed);
      EXPECT_FALSE(QFileInfo::exists(damaged + "/damaged.txt"));
      EXPECT_EQ(ReadFile(damaged + "/d1/f239.txt"), "content 239");
    }
  }
}
