// Packing: archives the engine writes are read back by independent tools (unzip, 7z, python's
// zipfile) with the right names, comment, encryption, folders and times; sources, roots and
// the output itself are handled as packing expects; a failed packing leaves nothing behind.
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <sys/mount.h>
#include <sys/stat.h>
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

QByteArray RandomBytes(qsizetype size, quint32 seed) {
  QByteArray b(size, Qt::Uninitialized);
  QRandomGenerator gen(seed);
  for (qsizetype i = 0; i < size; i += 4) {
    const quint32 v = gen.generate();
    for (qsizetype k = 0; k < 4 && i + k < size; ++k) b[i + k] = char(v >> (8 * k));
  }
  return b;
}

QByteArray Text(qsizetype size) {
  QByteArray b;
  for (int line = 0; b.size() < size; ++line)
    b += "line " + QByteArray::number(line * 7919 % 100003) + " of the text\n";
  return b.left(size);
}

// Packs source into archive and lists the archive with the engine's own reader.
QStringList PackedNames(const QString& source, const QString& archive) {
  Engine e;
  EXPECT_TRUE(e.zip.ZipFile(source, archive));
  QStringList names;
  EXPECT_EQ(e.zip.ListZipFiles(archive, names), crSuccess);
  return names;
}

// A tree that exercises every kind of entry: nested and empty folders, a hidden file, an empty
// file, files of several deflate pieces (compressible and not), OEM and UTF-8 names.
QMap<QString, QByteArray> MixedTree() {
  return {
      {"readme.txt", "hello\r\n"},
      {".hidden", "dot file"},
      {"empty.dat", ""},
      {"sub/text.log", Text(2600000)},
      {"sub/blob.bin", RandomBytes(2300000, 7)},
      {"sub/small.bin", RandomBytes(1000, 8)},
      {"sub/empty folder/", ""},
      {"中文目录/说明.txt", "GBK name"},
      {"한국어.txt", "not in GBK"},
  };
}

// Checks every entry against the tree with python's zipfile: names (UTF-8 flag, else the OEM
// code page GBK), content, folders. Prints problems, or "OK".
const char* kVerifyScript = R"(
import os, sys, zipfile
root, archive, password = sys.argv[1], sys.argv[2], bytes.fromhex(sys.argv[3])
z = zipfile.ZipFile(archive)
if password: z.setpassword(password)
seen = set()
for i in z.infolist():
    name = i.filename if i.flag_bits & 0x800 else i.filename.encode('cp437').decode('gbk')
    seen.add(name)
    path = os.path.join(root, name)
    if name.endswith('/'):
        if not os.path.isdir(path): print('not a folder', name)
        continue
    if open(path, 'rb').read() != z.read(i): print('content differs', name)
want = set()
for d, dirs, files in os.walk(root):
    rel = os.path.relpath(d, root)
    for x in dirs: want.add(os.path.normpath(os.path.join(rel, x)).replace(os.sep, '/') + '/')
    for x in files: want.add(os.path.normpath(os.path.join(rel, x)).replace(os.sep, '/'))
if seen != want: print('names differ', sorted(seen ^ want))
print('OK')
)";

void ExpectPythonSeesTree(const QString& root, const QString& archive, const QByteArray& password = {}) {
  const auto run =
      Python(QString::fromLatin1(kVerifyScript), {root, archive, QString::fromLatin1(password.toHex())});
  EXPECT_EQ(QString::fromUtf8(run.out).trimmed(), QStringLiteral("OK")) << run.err.toStdString();
}

QMap<QString, QString> SltFields(const QString& archive, const QString& path, const QString& password = "x") {
  const auto run = RunTool("7z", {"l", "-slt", "-p" + password, archive});
  QMap<QString, QString> fields;
  bool inItem = false;
  for (const QString& line : QString::fromUtf8(run.out).split('\n')) {
    if (line.startsWith("Path = ")) inItem = line.mid(7) == path;
    const int eq = line.indexOf(" = ");
    if (inItem && eq > 0) fields.insert(line.left(eq), line.mid(eq + 3));
  }
  return fields;
}

}  // namespace

TEST(ZipPack, IndependentReadersAcceptTheArchive) {
  HM_REQUIRE_TOOL("unzip");
  HM_REQUIRE_TOOL("7z");
  HM_REQUIRE_TOOL("python3");
  TempDir dir;
  MakeTree(dir.file("src"), MixedTree());
  Engine e;
  ASSERT_TRUE(e.zip.ZipFile(dir.file("src"), dir.file("out.zip")));

  const auto unzip = RunTool("unzip", {"-t", dir.file("out.zip")});
  EXPECT_EQ(unzip.exitCode, 0) << unzip.out.toStdString();
  const auto sevenZip = RunTool("7z", {"t", dir.file("out.zip")});
  EXPECT_EQ(sevenZip.exitCode, 0) << sevenZip.out.toStdString();
  ExpectPythonSeesTree(dir.file("src"), dir.file("out.zip"));

  // And our own reader gives the tree back.
  ASSERT_EQ(e.zip.UnZipFile(dir.file("out.zip"), dir.file("back")), crSuccess);
  EXPECT_EQ(TreeListing(dir.file("back")), TreeListing(dir.file("src")));
  EXPECT_EQ(ReadFile(dir.file("back/sub/blob.bin")), ReadFile(dir.file("src/sub/blob.bin")));
  EXPECT_EQ(ReadFile(dir.file("back/sub/text.log")), ReadFile(dir.file("src/sub/text.log")));
}

TEST(ZipPack, NamesAreOemUnlessTheyWouldNotSurvive) {
  HM_REQUIRE_TOOL("python3");
  struct Case {
    const char* name;
    bool utf8;
  };
  const Case cases[] = {
      {"plain.txt", false}, {"中文.txt", false},   {"€ sign.txt", false},
      {"한국어.txt", true}, {"emoji 😀.txt", true}, {"mixed 中文 한.txt", true},
  };
  TempDir dir;
  for (const Case& c : cases) WriteFile(dir.file("src/") + QString::fromUtf8(c.name), "x");
  Engine e;
  ASSERT_TRUE(e.zip.ZipFile(dir.file("src/"), dir.file("out.zip")));

  // Raw name bytes and flag of each entry.
  const auto run = Python(R"(
import sys, zipfile
for i in zipfile.ZipFile(sys.argv[1]).infolist():
    raw = i.filename.encode('utf-8' if i.flag_bits & 0x800 else 'cp437')
    print(raw.hex(), i.flag_bits & 0x800)
)",
                          {dir.file("out.zip")});
  const QStringList lines = QString::fromUtf8(run.out).split('\n', Qt::SkipEmptyParts);
  QMap<QString, QString> got;
  for (const QString& l : lines) got.insert(l.section(' ', 0, 0), l.section(' ', 1, 1));
  ASSERT_EQ(got.size(), int(std::size(cases))) << run.err.toStdString();
  for (const Case& c : cases) {
    const QString name = QString::fromUtf8(c.name);
    const QByteArray raw = c.utf8 ? name.toUtf8() : ToOem(name);
    EXPECT_EQ(got.value(QString::fromLatin1(raw.toHex())), c.utf8 ? "2048" : "0") << c.name;
  }
}

// Files of one deflate piece and of several, compressible or not in any of their pieces: each is
// deflated where that makes it smaller and stored otherwise, and reads back whole.
TEST(ZipPack, FilesAreDeflatedWhereThatShrinksThem) {
  HM_REQUIRE_TOOL("python3");
  HM_REQUIRE_TOOL("unzip");
  constexpr qsizetype kMiB = 1 << 20;
  struct Case {
    const char* name;
    QByteArray data;
    int method;
  };
  const Case cases[] = {
      {"text.txt", Text(300000), 8},
      {"random.bin", RandomBytes(300000, 1), 0},
      {"text of one whole piece.txt", Text(kMiB), 8},
      {"text one byte into a second piece.txt", Text(kMiB + 1), 8},
      {"random of three pieces.bin", RandomBytes(3 * kMiB - 1, 2), 0},
      {"random then text.bin", RandomBytes(kMiB, 3) + Text(kMiB + 5000), 8},
      {"text then random.bin", Text(kMiB) + RandomBytes(2 * kMiB, 4), 8},
      {"zeros.bin", QByteArray(5 * kMiB, '\0'), 8},
  };
  TempDir dir;
  for (const Case& c : cases) WriteFile(dir.file("src/") + c.name, c.data);
  Engine e;
  ASSERT_TRUE(e.zip.ZipFile(dir.file("src"), dir.file("out.zip")));

  const auto unzip = RunTool("unzip", {"-tqq", dir.file("out.zip")});
  EXPECT_EQ(unzip.exitCode, 0) << unzip.out.toStdString();
  const auto run = Python(R"(
import os, sys, zipfile
for i in zipfile.ZipFile(sys.argv[1]).infolist():
    same = zipfile.ZipFile(sys.argv[1]).read(i) == open(os.path.join(sys.argv[2], i.filename), 'rb').read()
    print('%s|%d|%d|%s' % (i.filename, i.compress_type, i.compress_size < i.file_size, same))
)",
                          {dir.file("out.zip"), dir.file("src")});
  const QStringList lines = QString::fromUtf8(run.out).split('\n', Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), int(std::size(cases))) << run.err.toStdString();
  for (const Case& c : cases) {
    const QString smaller = c.method == 8 ? "1" : "0";
    EXPECT_TRUE(lines.contains(QString("%1|%2|%3|True").arg(c.name).arg(c.method).arg(smaller)))
        << c.name << ": " << lines.join(' ').toStdString();
  }
}

TEST(ZipPack, CommentComesFromTheCommentFile) {
  HM_REQUIRE_TOOL("python3");
  struct Case {
    const char* label;
    QByteArray fileContent;  // null: no comment file
    QByteArray comment;
  };
  const QByteArray gbkLine = ToAnsi(QString::fromUtf8("欢迎访问 site"));
  const Case cases[] = {
      {"missing file", QByteArray(), ""},
      {"one line without break", "visit us", "visit us\r\n"},
      {"LF lines", "a\nb\n", "a\r\nb\r\n"},
      {"UTF-8 with mark, Chinese", "\xEF\xBB\xBF" + QString::fromUtf8("欢迎访问 site").toUtf8(),
       gbkLine + "\r\n"},
      {"ANSI without mark", gbkLine, gbkLine + "\r\n"},
      {"longer than the field", QByteArray(70000, 'c'), QByteArray(65535, 'c')},
  };
  for (const Case& c : cases) {
    TempDir dir;
    WriteFile(dir.file("src/a.txt"), "a");
    Engine e;
    e.context.commentFile = dir.file("Comment.txt");
    if (!c.fileContent.isNull()) WriteFile(e.context.commentFile, c.fileContent);
    ASSERT_TRUE(e.zip.ZipFile(dir.file("src"), dir.file("out.zip"))) << c.label;
    const QStringList listing = PythonListing(dir.file("out.zip"));
    ASSERT_FALSE(listing.isEmpty()) << c.label;
    EXPECT_EQ(listing.last(), "comment:" + QString::fromLatin1(c.comment.toHex())) << c.label;
  }
}

TEST(ZipPack, PasswordEncryptsEveryFileWithZipCrypto) {
  HM_REQUIRE_TOOL("unzip");
  HM_REQUIRE_TOOL("7z");
  HM_REQUIRE_TOOL("python3");
  TempDir dir;
  // Small and large (streamed, with a data descriptor) files; python decrypts slowly.
  MakeTree(dir.file("src"), {{"readme.txt", "hello"},
                             {"empty.dat", ""},
                             {"sub/text.log", Text(1200000)},
                             {"sub/blob.bin", RandomBytes(1100000, 9)},
                             {"sub/empty folder/", ""},
                             {"中文目录/说明.txt", "GBK name"}});
  for (const QString& password : {QStringLiteral("secret"), QString::fromUtf8("密码pw")}) {
    Engine e(password);
    const QString archive = dir.file("out.zip");
    QFile::remove(archive);
    ASSERT_TRUE(e.zip.ZipFile(dir.file("src"), archive));

    ExpectPythonSeesTree(dir.file("src"), archive, ToAnsi(password));
    for (const char* file : {"readme.txt", "sub/text.log", "sub/blob.bin", "empty.dat"}) {
      const auto fields = SltFields(archive, file, "x");
      EXPECT_TRUE(fields.value("Method").startsWith("ZipCrypto")) << file;
      EXPECT_EQ(fields.value("Encrypted"), "+") << file;
    }
    EXPECT_EQ(SltFields(archive, "sub").value("Encrypted"), "-");
    EXPECT_EQ(SltFields(archive, "sub/empty folder").value("Encrypted"), "-");

    Engine reader({}, password);
    EXPECT_EQ(reader.zip.UnZipFile(archive, dir.file("back")), crSuccess);
    EXPECT_EQ(TreeListing(dir.file("back")), TreeListing(dir.file("src")));
    QDir(dir.file("back")).removeRecursively();
  }
  // Info-ZIP's unzip takes the ASCII password on its command line.
  Engine e("secret");
  ASSERT_TRUE(e.zip.ZipFile(dir.file("src"), dir.file("ascii.zip")));
  const auto unzip = RunTool("unzip", {"-P", "secret", "-t", dir.file("ascii.zip")});
  EXPECT_EQ(unzip.exitCode, 0) << unzip.out.toStdString();
  const auto sevenZip = RunTool("7z", {"t", "-psecret", dir.file("ascii.zip")});
  EXPECT_EQ(sevenZip.exitCode, 0) << sevenZip.out.toStdString();
  const auto wrong = RunTool("unzip", {"-P", "wrong", "-t", dir.file("ascii.zip")});
  EXPECT_NE(wrong.exitCode, 0);
}

TEST(ZipPack, FoldersGetEntriesAndTimesAndAttributesAreKept) {
  HM_REQUIRE_TOOL("python3");
  TempDir dir;
  MakeTree(dir.file("src"), {{"a/b/c/deep.txt", "d"}, {"a/empty/", ""}, {"ro.txt", "r"}});
  const QDateTime when(QDate(2015, 6, 7), QTime(8, 9, 10));
  const utimbuf times{when.toSecsSinceEpoch(), when.toSecsSinceEpoch()};
  ASSERT_EQ(utime(dir.file("src/a/b/c/deep.txt").toUtf8().constData(), &times), 0);
  ASSERT_EQ(chmod(dir.file("src/ro.txt").toUtf8().constData(), 0444), 0);
  Engine e;
  ASSERT_TRUE(e.zip.ZipFile(dir.file("src"), dir.file("out.zip")));

  const auto run = Python(R"(
import sys, zipfile
for i in zipfile.ZipFile(sys.argv[1]).infolist():
    print(i.filename, "%04d-%02d-%02d %02d:%02d:%02d" % i.date_time, i.external_attr & 0xff)
)",
                          {dir.file("out.zip")});
  const QStringList lines = QString::fromUtf8(run.out).split('\n', Qt::SkipEmptyParts);
  QMap<QString, QString> byName;
  for (const QString& l : lines) byName.insert(l.section(' ', 0, 0), l.section(' ', 1));
  EXPECT_EQ(QStringList(byName.keys()),
            QStringList({"a/", "a/b/", "a/b/c/", "a/b/c/deep.txt", "a/empty/", "ro.txt"}));
  // DOS time is local time, as python reads it.
  EXPECT_EQ(byName.value("a/b/c/deep.txt"), "2015-06-07 08:09:10 32");
  EXPECT_TRUE(byName.value("a/empty/").endsWith(" 16"));
  EXPECT_TRUE(byName.value("ro.txt").endsWith(" 33"));  // archive + read-only

  // The extended timestamp gives the exact second back.
  ASSERT_EQ(e.zip.UnZipFile(dir.file("out.zip"), dir.file("back")), crSuccess);
  EXPECT_EQ(QFileInfo(dir.file("back/a/b/c/deep.txt")).lastModified(), when);
}

TEST(ZipPack, SourcePatternsAndRelativeRoots) {
  TempDir dir;
  MakeTree(dir.file("work"), {{"game/run.exe", "exe"}, {"readme.txt", "work readme"}});
  MakeTree(dir.file("Data/MustFiles"), {{"ad.url", "url"}, {"readme.txt", "must-have readme"}});
  struct Case {
    const char* label;
    QStringList patterns;  // relative to the test folder
    QStringList names;
  };
  const Case cases[] = {
      {"work folder", {"work/*"}, {"readme.txt", "game/", "game/run.exe"}},
      {"work and must-have files at the root",
       {"work/*", "Data/MustFiles/*"},
       {"readme.txt", "game/", "game/run.exe", "ad.url"}},
      {"missing must-have folder adds nothing",
       {"work/*", "Data/Missing/*"},
       {"readme.txt", "game/", "game/run.exe"}},
      {"mask", {"work/*.exe"}, {"game/", "game/run.exe"}},
      {"a folder path keeps the folder's name", {"work/game"}, {"game/", "game/run.exe"}},
      {"a file path", {"work/readme.txt"}, {"readme.txt"}},
  };
  for (const Case& c : cases) {
    QStringList patterns;
    for (const QString& p : c.patterns) patterns << dir.file(p);
    Engine e;
    QFile::remove(dir.file("out.zip"));
    ASSERT_TRUE(e.zip.ZipFile(patterns, dir.file("out.zip"))) << c.label;
    QStringList names;
    ASSERT_EQ(e.zip.ListZipFiles(dir.file("out.zip"), names), crSuccess) << c.label;
    EXPECT_EQ(names, c.names) << c.label;
  }
  // The later of two equal names wins, as a second add replaces an entry.
  Engine e;
  ASSERT_TRUE(
      e.zip.ZipFile(QStringList{dir.file("work/*"), dir.file("Data/MustFiles/*")}, dir.file("both.zip")));
  ASSERT_EQ(e.zip.UnZipFile(dir.file("both.zip"), dir.file("both")), crSuccess);
  EXPECT_EQ(ReadFile(dir.file("both/readme.txt")), "must-have readme");

  // The first root, in list order, that is a prefix of a file's folder decides its name.
  ASSERT_TRUE(
      e.zip.ZipFile(QStringList{dir.file("work/game/*"), dir.file("work/*")}, dir.file("nested.zip")));
  QStringList names;
  ASSERT_EQ(e.zip.ListZipFiles(dir.file("nested.zip"), names), crSuccess);
  EXPECT_EQ(names, QStringList({"run.exe", "readme.txt", "game/"}));
}

TEST(ZipPack, FolderFormTakesAFolderWithOrWithoutSlashOrAFile) {
  TempDir dir;
  MakeTree(dir.file("src"), {{"a.txt", "a"}, {"sub/b.txt", "b"}});
  const struct {
    QString source;
    QStringList names;
  } cases[] = {
      {dir.file("src"), {"a.txt", "sub/", "sub/b.txt"}},
      {dir.file("src/"), {"a.txt", "sub/", "sub/b.txt"}},
      {dir.file("src/sub/b.txt"), {"b.txt"}},
      {dir.file("nothing here"), {}},
  };
  for (const auto& c : cases) {
    Engine e;
    QFile::remove(dir.file("out.zip"));
    ASSERT_TRUE(e.zip.ZipFile(c.source, dir.file("out.zip"))) << c.source.toStdString();
    QStringList names;
    ASSERT_EQ(e.zip.ListZipFiles(dir.file("out.zip"), names), crSuccess);
    EXPECT_EQ(names, c.names) << c.source.toStdString();
  }
}

TEST(ZipPack, TheArchiveNeverContainsItselfAndLinksAreNotFollowedOut) {
  TempDir dir;
  TempDir outside;
  MakeTree(dir.file("src"), {{"a.txt", "a"}, {"sub/b.txt", "b"}});
  WriteFile(outside.file("secret.txt"), "outside");
  ASSERT_EQ(symlink(outside.path().toUtf8().constData(), dir.file("src/linked folder").toUtf8().constData()),
            0);
  ASSERT_EQ(symlink("a.txt", dir.file("src/link to a").toUtf8().constData()), 0);
  ASSERT_EQ(symlink("missing", dir.file("src/dangling").toUtf8().constData()), 0);
  // A folder whose last (here only) entry is a dangling link once failed the whole packing.
  testsupport::MakeDir(dir.file("src/only a dangling link"));
  ASSERT_EQ(symlink("missing", dir.file("src/only a dangling link/gone").toUtf8().constData()), 0);
  ASSERT_EQ(mkfifo(dir.file("src/fifo").toUtf8().constData(), 0600), 0);  // would block a reader
  WriteFile(dir.file("src/out.zip"), "an older archive of the same name");

  EXPECT_EQ(PackedNames(dir.file("src"), dir.file("src/out.zip")),
            QStringList({"a.txt", "link to a", "only a dangling link/", "sub/", "sub/b.txt"}));
  EXPECT_EQ(TreeListing(dir.file("src")).filter(".hm-"), QStringList());
}

// Names on disk that are not UTF-8 were written by a Windows system: they are decoded with the
// ANSI code page (and then stored in the OEM page, giving back the same bytes), and what even
// that page cannot read stays readable bytes; never U+FFFD. Files in such folders are found.
TEST(ZipPack, NamesThatAreNotUtf8AreDecodedNotReplaced) {
  HM_REQUIRE_TOOL("unzip");
  HM_REQUIRE_TOOL("python3");
  TempDir dir;
  testsupport::WriteFileAtRawPath(dir.file("src"), "\xC4\xE3\xBA\xC3.txt", "gbk name");
  testsupport::WriteFileAtRawPath(dir.file("src"), "\xC4\xE3/bad\xFF\x80.txt", "neither");
  WriteFile(dir.file("src/a😀b.txt"), "beyond the basic plane");
  EXPECT_EQ(PackedNames(dir.file("src"), dir.file("out.zip")),
            QStringList({"a😀b.txt", "你好.txt", "你/", "你/bad%FF%80.txt"}));
  const auto test = RunTool("unzip", {"-t", dir.file("out.zip")});
  EXPECT_EQ(test.exitCode, 0) << test.out.constData();
  // The bytes as stored: the GBK names are the bytes they had on disk, without the UTF-8 flag.
  const auto raw = Python(R"(
import sys, zipfile
for i in zipfile.ZipFile(sys.argv[1]).infolist():
    print(i.flag_bits & 0x800 and 'utf8' or 'oem', (i.filename.encode('utf-8') if i.flag_bits & 0x800 else i.filename.encode('cp437')).hex()))",
                          {dir.file("out.zip")});
  const QByteArray emoji = QByteArray("a😀b.txt").toHex();
  const QByteArray gbk = QByteArray("\xC4\xE3\xBA\xC3.txt").toHex();
  const QByteArray gbkFolder = QByteArray("\xC4\xE3/").toHex();
  const QByteArray escaped = QByteArray("\xC4\xE3/bad%FF%80.txt").toHex();
  EXPECT_EQ(raw.out, "utf8 " + emoji + "\noem " + gbk + "\noem " + gbkFolder + "\noem " + escaped + "\n");
}

TEST(ZipPack, ThreadCountDoesNotChangeTheArchive) {
  TempDir dir;
  MakeTree(dir.file("src"), MixedTree());
  WriteFile(dir.file("src/big/mixed.bin"), Text(1500000) + RandomBytes(1500000, 3) + Text(1200000));
  QByteArray reference;
  for (int threads : {1, 2, 3}) {
    Engine e;
    e.zip.SetThreadCount(threads);
    const QString archive = dir.file(QString("t%1.zip").arg(threads));
    ASSERT_TRUE(e.zip.ZipFile(dir.file("src"), archive));
    const QByteArray bytes = ReadFile(archive);
    if (reference.isNull())
      reference = bytes;
    else
      EXPECT_TRUE(bytes == reference) << threads << " threads";
  }
}

TEST(ZipPack, AFailedPackingLeavesNothingBehind) {
  TempDir dir;
  WriteFile(dir.file("src/a.txt"), "a");
  WriteFile(dir.file("a file"), "not a folder");
  Engine e;
  EXPECT_FALSE(e.zip.ZipFile(dir.file("src"), dir.file("missing folder/out.zip")));
  EXPECT_FALSE(e.zip.ZipFile(dir.file("src"), dir.file("a file/out.zip")));
  EXPECT_EQ(TreeListing(dir.path()), QStringList({"a file", "src/", "src/a.txt"}));
}

// A full disk: a small tmpfs as the destination.
TEST(ZipPack, AFullDiskFailsWithoutAPartialArchive) {
  TempDir dir;
  TempDir mountPoint;
  if (mount("tmpfs", mountPoint.path().toUtf8().constData(), "tmpfs", 0, "size=512k") != 0)
    GTEST_SKIP() << "cannot mount a small tmpfs here (needs root): " << strerror(errno);
  struct Unmount {
    QString path;
    ~Unmount() { umount(path.toUtf8().constData()); }
  } unmount{mountPoint.path()};
  WriteFile(dir.file("src/blob.bin"), RandomBytes(3 << 20, 5));
  WriteFile(dir.file("src/small.txt"), "small");
  Engine e;
  EXPECT_FALSE(e.zip.ZipFile(dir.file("src"), mountPoint.file("out.zip")));
  EXPECT_EQ(TreeListing(mountPoint.path()), QStringList());
  // With room enough the same destination works.
  QFile::remove(dir.file("src/blob.bin"));
  EXPECT_TRUE(e.zip.ZipFile(dir.file("src"), mountPoint.file("out.zip")));
  EXPECT_EQ(TreeListing(mountPoint.path()), QStringList({"out.zip"}));
}

TEST(ZipPack, AnEmptySourceGivesAValidEmptyArchive) {
  HM_REQUIRE_TOOL("python3");
  TempDir dir;
  testsupport::MakeDir(dir.file("src"));
  Engine e;
  ASSERT_TRUE(e.zip.ZipFile(dir.file("src"), dir.file("out.zip")));
  EXPECT_EQ(QFileInfo(dir.file("out.zip")).size(), 22);
  EXPECT_EQ(PythonListing(dir.file("out.zip")), QStringList({"comment:"}));
  EXPECT_EQ(e.zip.UnZipFile(dir.file("out.zip"), dir.file("back")), crSuccess);
}
