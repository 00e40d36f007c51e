// Hostile and damaged archives: names that would leave the destination, symbolic-link entries,
// links already lying in the destination, and archives that are cut, corrupt, not ZIP at all,
// use an unknown method or AES. Each gives a result code, never a crash, a hang, or a file
// outside the destination.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "ZipTestSupport.h"

using namespace ziptest;
using testsupport::ReadFile;
using testsupport::RunTool;
using testsupport::TempDir;
using testsupport::TreeListing;
using testsupport::WriteFile;

namespace {

// Everything in `root` outside its "out" folder, so a test sees whether extraction leaked.
QStringList OutsideOfOut(const QString& root) {
  QStringList all = TreeListing(root);
  all.removeIf([](const QString& p) { return p.startsWith("out/"); });
  return all;
}

void Put16(QByteArray& b, int at, uint16_t v) {
  b[at] = char(v);
  b[at + 1] = char(v >> 8);
}

void Put32(QByteArray& b, int at, uint32_t v) {
  Put16(b, at, uint16_t(v));
  Put16(b, at + 2, uint16_t(v >> 16));
}

// Offsets of the local and the central header of the entry `name`.
struct Headers {
  int local = -1;
  int central = -1;
};
Headers Find(const QByteArray& b, const QByteArray& name) {
  Headers h;
  for (int at = b.indexOf("PK\3\4"); at >= 0; at = b.indexOf("PK\3\4", at + 1))
    if (b.mid(at + 30, name.size()) == name) h.local = at;
  for (int at = b.indexOf("PK\1\2"); at >= 0; at = b.indexOf("PK\1\2", at + 1))
    if (b.mid(at + 46, name.size()) == name) h.central = at;
  return h;
}

QByteArray Text(int size) {
  QByteArray t;
  for (int i = 0; t.size() < size; ++i) t += "text line " + QByteArray::number(i) + "\n";
  return t.left(size);
}

}  // namespace

TEST(ZipBadInput, NamesThatWouldLeaveTheDestinationNeverDo) {
  HM_REQUIRE_TOOL("python3");
  struct Case {
    const char* label;
    PyEntry hostile;
    int result;
    const char* writtenAs;  // where it lands inside "out", or nullptr: skipped
  };
  const Case cases[] = {
      {"parent, UTF-8 flag", {"../evil.txt", "x"}, crFailed, nullptr},
      {"parent, OEM name", {"../evil.txt", "x", "gbk"}, crFailed, nullptr},
      {"parent further in", {"a/../../evil.txt", "x", "gbk"}, crFailed, nullptr},
      {"parent with backslashes", {"..\\evil.txt", "x", "gbk"}, crFailed, nullptr},
      {"absolute", {"/abs/evil.txt", "x"}, crSuccess, "abs/evil.txt"},
      {"drive letter", {"C:\\evil.txt", "x", "gbk"}, crSuccess, "evil.txt"},
      {"the destination itself", {"./", ""}, crSuccess, nullptr},
  };
  for (const Case& c : cases) {
    TempDir dir;
    ASSERT_TRUE(BuildWithPython(dir.file("in.zip"), {{"ok.txt", "fine"}, c.hostile})) << c.label;
    const QStringList before = OutsideOfOut(dir.path());
    Engine e;
    EXPECT_EQ(e.zip.UnZipFile(dir.file("in.zip"), dir.file("out")), c.result) << c.label;
    EXPECT_EQ(OutsideOfOut(dir.path()), before) << c.label;
    EXPECT_EQ(ReadFile(dir.file("out/ok.txt")), "fine") << c.label;  // the rest is still extracted
    QStringList expected{"ok.txt"};
    if (c.writtenAs) {
      expected << QString::fromLatin1(c.writtenAs);
      if (expected.last().contains('/')) expected << expected.last().section('/', 0, 0) + '/';
    }
    expected.sort();
    EXPECT_EQ(TreeListing(dir.file("out")), expected) << c.label;
  }
}

// A NUL inside a name would cut the path short at the file system: "..\0x/" must not become the
// destination's parent, whose time the folder entry would otherwise set.
TEST(ZipBadInput, NamesWithANulCharacterAreRefused) {
  HM_REQUIRE_TOOL("python3");
  for (const QString encoding : {"utf-8", "gbk"}) {
    TempDir dir;
    ASSERT_TRUE(BuildWithPython(dir.file("in.zip"), {{"ok.txt", "fine", encoding}, {"..#x/", "", encoding}}));
    QByteArray bytes = ReadFile(dir.file("in.zip"));
    bytes.replace("..#x/", QByteArray("..\0x/", 5));
    WriteFile(dir.file("in.zip"), bytes);
    testsupport::MakeDir(dir.file("out"));  // so that extracting changes nothing in its parent
    const timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(dir.path()).constData(), times, 0), 0);
    Engine e;
    EXPECT_EQ(e.zip.UnZipFile(dir.file("in.zip"), dir.file("out")), crFailed) << encoding.toStdString();
    EXPECT_EQ(QFileInfo(dir.path()).lastModified().toSecsSinceEpoch(), 1000000000) << encoding.toStdString();
    EXPECT_EQ(ReadFile(dir.file("out/ok.txt")), "fine");
  }
}

// Symbolic-link entries are written as plain files holding the link text, by both readers.
TEST(ZipBadInput, LinkEntriesBecomePlainFiles) {
  HM_REQUIRE_TOOL("python3");
  for (const QString encoding : {"utf-8", "gbk"}) {
    TempDir dir;
    ASSERT_TRUE(
        BuildWithPython(dir.file("in.zip"), {{"dir/", "", encoding},
                                             {"dir/link", "../../outside.txt", encoding, false, 0120777},
                                             {"dir/abs", "/etc/passwd", encoding, false, 0120777},
                                             {"dir/then.txt", "after the links", encoding}}));
    Engine e;
    EXPECT_EQ(e.zip.UnZipFile(dir.file("in.zip"), dir.file("out")), crSuccess) << encoding.toStdString();
    for (const char* link : {"out/dir/link", "out/dir/abs"}) {
      const QFileInfo info(dir.file(link));
      EXPECT_TRUE(info.isFile() && !info.isSymLink()) << link;
    }
    EXPECT_EQ(ReadFile(dir.file("out/dir/link")), "../../outside.txt");
    EXPECT_EQ(ReadFile(dir.file("out/dir/then.txt")), "after the links");
  }
}

// Links already in the destination (left by an earlier attempt) are not followed out.
TEST(ZipBadInput, LinksAlreadyInTheDestinationAreNotFollowed) {
  HM_REQUIRE_TOOL("python3");
  TempDir dir;
  TempDir outside;
  WriteFile(outside.file("victim.txt"), "untouched");
  testsupport::MakeDir(dir.file("out"));
  ASSERT_EQ(symlink(outside.path().toUtf8().constData(), dir.file("out/escape").toUtf8().constData()), 0);
  ASSERT_EQ(
      symlink(outside.file("victim.txt").toUtf8().constData(), dir.file("out/filelink").toUtf8().constData()),
      0);

  ASSERT_TRUE(BuildWithPython(dir.file("through-folder.zip"), {{"escape/victim.txt", "overwritten"}}));
  Engine e;
  EXPECT_EQ(e.zip.UnZipFile(dir.file("through-folder.zip"), dir.file("out")), crFailed);

  ASSERT_TRUE(BuildWithPython(dir.file("onto-link.zip"), {{"filelink", "replaces the link"}}));
  EXPECT_EQ(e.zip.UnZipFile(dir.file("onto-link.zip"), dir.file("out")), crSuccess);
  EXPECT_FALSE(QFileInfo(dir.file("out/filelink")).isSymLink());
  EXPECT_EQ(ReadFile(dir.file("out/filelink")), "replaces the link");

  EXPECT_EQ(TreeListing(outside.path()), QStringList({"victim.txt"}));
  EXPECT_EQ(ReadFile(outside.file("victim.txt")), "untouched");
}

TEST(ZipBadInput, DamagedArchivesFailCleanly) {
  HM_REQUIRE_TOOL("python3");
  TempDir dir;
  const QByteArray stored = "stored content of the entry";
  ASSERT_TRUE(BuildWithPython(dir.file("base.zip"),
                              {{"s.txt", stored, "gbk", false}, {"d.txt", Text(50000), "gbk"}}));
  const QByteArray base = ReadFile(dir.file("base.zip"));
  const Headers s = Find(base, "s.txt");
  const Headers d = Find(base, "d.txt");
  ASSERT_TRUE(s.local >= 0 && s.central >= 0 && d.local >= 0 && d.central >= 0);

  struct Case {
    const char* label;
    std::function<QByteArray(QByteArray)> damage;
  };
  const Case cases[] = {
      {"empty file", [](QByteArray) { return QByteArray(); }},
      {"signature only", [](QByteArray) { return QByteArray("PK\3\4"); }},
      {"plain text", [](QByteArray) { return QByteArray(5000, 't'); }},
      {"cut in half", [](QByteArray b) { return b.left(b.size() / 2); }},
      {"end record cut", [](QByteArray b) { return b.left(b.size() - 10); }},
      {"CRC mismatch in a stored entry",
       [&](QByteArray b) {
         b[b.indexOf(stored) + 3] = '#';
         return b;
       }},
      {"corrupt deflate data",
       [&](QByteArray b) {
         for (int k = 0; k < 64; ++k) b[d.local + 60 + k] = char(0xff - k);
         return b;
       }},
      {"deflate data cut short",
       [&](QByteArray b) {
         const uint32_t size = qFromLittleEndian<quint32>(b.constData() + d.central + 20);
         Put32(b, d.central + 20, size / 2);
         return b;
       }},
      {"unknown method",
       [&](QByteArray b) {
         Put16(b, d.local + 8, 12);
         Put16(b, d.central + 10, 12);
         return b;
       }},
      {"entry larger than declared",
       [&](QByteArray b) {
         Put32(b, d.central + 24, 100);
         return b;
       }},
      {"local header beyond the file",
       [&](QByteArray b) {
         Put32(b, d.central + 42, uint32_t(b.size() + 1000));
         return b;
       }},
      {"local header signature broken",
       [&](QByteArray b) {
         b[d.local + 1] = 'X';
         return b;
       }},
      {"directory larger than the file",
       [&](QByteArray b) {
         Put32(b, b.size() - 22 + 12, 0x7fffffff);
         return b;
       }},
      {"entry count wrong",
       [&](QByteArray b) {
         Put16(b, b.size() - 22 + 10, 7);
         Put16(b, b.size() - 22 + 8, 7);
         return b;
       }},
  };
  for (const Case& c : cases) {
    const QString archive = dir.file("damaged.zip");
    WriteFile(archive, c.damage(base));
    const QString out = dir.file(QString("out-%1").arg(&c - cases));
    Engine e;
    EXPECT_EQ(e.zip.UnZipFile(archive, out), crFailed) << c.label;
    EXPECT_EQ(e.context.m_Error, 0) << c.label;
    // A file whose data failed its checks is not left behind half-written.
    const QFileInfo sInfo(out + "/s.txt"), dInfo(out + "/d.txt");
    if (sInfo.exists()) {
      EXPECT_EQ(ReadFile(sInfo.filePath()), stored) << c.label;
    }
    if (dInfo.exists()) {
      EXPECT_EQ(ReadFile(dInfo.filePath()), Text(50000)) << c.label;
    }
    QStringList names;
    e.zip.ListZipFiles(archive, names);  // must simply not crash
  }
  Engine e;
  EXPECT_EQ(e.zip.UnZipFile(dir.file("no such file.zip"), dir.file("out-missing")), crFailed);
}

// ZIP64 offsets near the 64-bit limit: a local-header offset behind a prefix the offsets do not
// count, and a directory offset far beyond the file. Working out the prefix must not overflow
// (the sanitizer build reports it); either archive is damage.
TEST(ZipBadInput, HugeZip64OffsetsFail) {
  HM_REQUIRE_TOOL("python3");
  const char* script = R"(
import struct, sys, zlib
name, data = b'a.txt', b'hello'
crc = zlib.crc32(data)
local = struct.pack('<IHHHHHIIIHH', 0x04034b50, 20, 0, 0, 0, 0, crc, 5, 5, 5, 0) + name + data
def central(extra, offset):
    return struct.pack('<IHHHHHHIIIHHHHHII', 0x02014b50, 20, 20, 0, 0, 0, 0, crc, 5, 5, 5, len(extra),
                       0, 0, 0, 0, offset) + name + extra
if sys.argv[2] == 'local':
    c = central(struct.pack('<HHQ', 1, 8, 0x7FFFFFFFFFFFFFFF), 0xFFFFFFFF)
    end = struct.pack('<IHHHHIIH', 0x06054b50, 0, 0, 1, 1, len(c), len(local), 0)
    out = b'P' * 100 + local + c + end
else:
    c = central(b'', 0)
    zip64 = struct.pack('<IQHHIIQQQQ', 0x06064b50, 44, 45, 45, 0, 0, 1, 1, len(c), 0x8000000000000000)
    locator = struct.pack('<IIQI', 0x07064b50, 0, len(local) + len(c), 1)
    end = struct.pack('<IHHHHIIH', 0x06054b50, 0, 0, 0xFFFF, 0xFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0)
    out = local + c + zip64 + locator + end
open(sys.argv[1], 'wb').write(out)
)";
  for (const QString kind : {"local", "directory"}) {
    TempDir dir;
    ASSERT_EQ(RunTool("python3", {"-c", QString::fromLatin1(script), dir.file("in.zip"), kind}).exitCode, 0);
    Engine e;
    EXPECT_EQ(e.zip.UnZipFile(dir.file("in.zip"), dir.file("out")), crFailed) << kind.toStdString();
    QStringList names;
    EXPECT_EQ(e.zip.ListZipFiles(dir.file("in.zip"), names), crFailed) << kind.toStdString();
  }
}

// AES (WinZip) entries are not supported: failed, not a wrong password, even with the right one.
TEST(ZipBadInput, AesEntriesFail) {
  HM_REQUIRE_TOOL("7z");
  TempDir dir;
  WriteFile(dir.file("src/a.txt"), "aes protected");
  const auto run =
      RunTool("7z", {"a", "-tzip", "-mem=AES256", "-psecret", dir.file("aes.zip"), dir.file("src/a.txt")});
  ASSERT_EQ(run.exitCode, 0) << run.out.toStdString();
  for (const QString password : {"secret", "wrong"}) {
    Engine e({}, password);
    EXPECT_EQ(e.zip.UnZipFile(dir.file("aes.zip"), dir.file("out")), crFailed) << password.toStdString();
    EXPECT_EQ(e.context.m_Error, 0);
    EXPECT_FALSE(QFileInfo::exists(dir.file("out/a.txt")));
  }
  QStringList names;
  Engine e;
  EXPECT_EQ(e.zip.ListZipFiles(dir.file("aes.zip"), names), crSuccess);
  EXPECT_EQ(names, QStringList({"a.txt"}));
}

// The last volume of a split set (zip -s) holds the directory of the whole set; read alone, the
// entries of the other volumes are not there. It is refused before a file is written, even the
// one entry that lies in it.
TEST(ZipBadInput, TheLastVolumeOfASplitSetAloneIsRefused) {
  HM_REQUIRE_TOOL("zip");
  TempDir dir;
  WriteFile(dir.file("src/big.bin"), testsupport::RandomBytes(150000));
  WriteFile(dir.file("src/small.txt"), "in the last volume");
  const auto run =
      RunTool("zip", {"-q", "-s", "64k", dir.file("set.zip"), "big.bin", "small.txt"}, dir.file("src"));
  ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
  ASSERT_TRUE(QFile::remove(dir.file("set.z01")));
  ASSERT_TRUE(QFile::remove(dir.file("set.z02")));
  Engine e;
  EXPECT_EQ(e.zip.UnZipFile(dir.file("set.zip"), dir.file("out")), crFailed);
  EXPECT_EQ(TreeListing(dir.file("out")), QStringList());
}

// Entries that share their data let a small archive expand far beyond its size (a zip bomb: 2 KB
// that declare 4 MB here, 112 KB that declare 4.2 GB in the wild). Each entry's local header and
// data must lie between its own offset and the next entry's (the last: the directory's), as
// python's zipfile and unzip demand. The directory alone shows most such archives, and then both
// readers refuse them before a file is written; a local header that reaches into the next entry
// fails its entry.
TEST(ZipBadInput, EntriesThatShareTheirDataAreRefused) {
  HM_REQUIRE_TOOL("python3");
  struct Case {
    const char* name;
    bool bomb;            // declares more than a thousand times its size
    bool nothingWritten;  // refused from the directory alone
  };
  const Case cases[] = {
      {"overlap-full", true, true},           // sixteen directory entries, one local header
      {"overlap-quoted", true, true},         // each entry's data holds the next one's header
      {"data-into-directory", false, true},   // the last entry's data runs into the directory
      {"overlap-local-extra", false, false},  // a local extra field reaching over the next entry
  };
  TempDir dir;
  ASSERT_TRUE(Craft(dir, cases));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const QString archive = Crafted(dir, c.name);
    if (c.bomb) {
      const auto declared = Python(
          "import sys, zipfile; print(sum(i.file_size for i in zipfile.ZipFile(sys.argv[1]).infolist()))",
          {archive});
      EXPECT_GT(declared.out.trimmed().toLongLong(), 1000 * QFileInfo(archive).size());
    }
    const QString out = dir.file(QString("%1.out").arg(c.name));
    Engine e;
    EXPECT_EQ(e.zip.UnZipFile(archive, out), crFailed);
    EXPECT_EQ(e.context.m_Error, 0);
    EXPECT_FALSE(e.context.cause.isEmpty()) << "the log says why";
    if (c.nothingWritten) {
      EXPECT_EQ(TreeListing(out), QStringList());
    } else {
      EXPECT_FALSE(QFileInfo::exists(out + "/a"));
    }
    QStringList listed;
    EXPECT_EQ(e.zip.ListZipFiles(archive, listed), crSuccess);  // listing one is harmless
    EXPECT_FALSE(listed.isEmpty());
  }
}
