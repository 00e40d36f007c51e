// Packing folders into 7z: what is queued, what the archive holds as the 7z tool reads it, the
// password, and that a failed write leaves no archive behind.
#include <QDateTime>
#include <QDir>
#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

#include "SevenZipTestHelpers.h"
#include "compress/sevenzip/OutArchive.h"
#include "compress/sevenzip/SevenZipEngine.h"

using testsupport::MakeDir;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

QStringList QueuedPaths(const QStringList& sources) {
  T7zPlugin plugin(sztest::LibraryPath());
  T7zOutArchive archive(plugin);
  for (const QString& source : sources) archive.AddFiles(source, QString(), QStringLiteral("*"), true);
  QStringList paths;
  for (const T7zBatchItem& item : archive.Items()) paths << item.Path;
  return paths;
}

QStringList FilesBelow(const QString& root) {
  QStringList files;
  for (const QString& entry : testsupport::TreeListing(root))
    if (!entry.endsWith('/')) files << entry;
  return files;
}

QStringList LeftoverTemporaries(const QString& folder) {
  return QDir(folder).entryList({"*.tmp"}, QDir::Files | QDir::Hidden);
}

// A work folder as the packing step sees it: nested files, a dot file, a hidden (dot) folder,
// an empty folder, a non-ASCII name, a link to a file inside and one to a file outside.
void MakeWorkTree(const QString& root) {
  WriteFile(root + "/readme.txt", sztest::Content(3000, 1));
  WriteFile(root + "/.config", "dot file in an included folder\n");
  WriteFile(root + "/中文 名.txt", QString("内容 ünïcode\n").toUtf8());
  WriteFile(root + "/sub/b.bin", sztest::Content(70000, 2));
  WriteFile(root + "/sub/deep/c.txt", sztest::Content(1, 3));
  WriteFile(root + "/sub/.keep", "");
  WriteFile(root + "/.hidden/secret.txt", "a dot folder is packed too\n");
  MakeDir(root + "/empty");
  ::symlink("readme.txt", QFile::encodeName(root + "/link-in").constData());
  ::symlink("/etc/hostname", QFile::encodeName(root + "/link-out").constData());
  ::symlink("sub", QFile::encodeName(root + "/folder-link").constData());
}

}  // namespace

class SevenZipPack : public ::testing::Test {
 protected:
  void SetUp() override {
    HM_REQUIRE_ENGINE("7z.so");
    HM_REQUIRE_TOOL("7z");
  }
  TempDir dir_;
};

TEST_F(SevenZipPack, QueuesEveryFileDepthFirstAndLinksToFilesInsideAsTheirContent) {
  MakeWorkTree(dir_.file("work"));
  EXPECT_EQ(QueuedPaths({dir_.file("work")}),
            (QStringList{".hidden/secret.txt", "sub/deep/c.txt", "sub/.keep", "sub/b.bin", ".config",
                         "link-in", "readme.txt", "中文 名.txt"}));

  // Two sources land at the archive root, same names included; a plain file queues nothing.
  WriteFile(dir_.file("must/readme.txt"), "must-have\n");
  WriteFile(dir_.file("must/ad/site.url"), "[InternetShortcut]\n");
  EXPECT_EQ(QueuedPaths({dir_.file("work/sub/"), dir_.file("must/")}),
            (QStringList{"deep/c.txt", ".keep", "b.bin", "ad/site.url", "readme.txt"}));
  EXPECT_EQ(QueuedPaths({dir_.file("work/readme.txt"), dir_.file("missing")}), QStringList{});
}

TEST_F(SevenZipPack, WritesADeflate64ArchiveThat7zVerifiesAndExtractsIdentically) {
  MakeWorkTree(dir_.file("work"));
  const QDateTime mtime(QDate(2021, 3, 4), QTime(5, 6, 7), Qt::UTC);
  {
    QFile f(dir_.file("work/sub/b.bin"));
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(mtime, QFileDevice::FileModificationTime));
  }
  ::chmod(QFile::encodeName(dir_.file("work/readme.txt")).constData(), 0640);
  const QString archive = dir_.file("out/result.7z");
  MakeDir(dir_.file("out"));
  TEngineContext context = sztest::Context();
  ASSERT_TRUE(TSevenZipEngine(context).c7ZipFile(dir_.file("work") + '/', archive));

  EXPECT_EQ(sztest::SevenZip({"t", archive}).exitCode, 0);
  const auto items = sztest::SltItems(archive);
  ASSERT_EQ(items.size(), 8);
  for (const auto& item : items) {
    SCOPED_TRACE(item.value("Path").toStdString());
    EXPECT_TRUE(item.value("Attributes").startsWith("A ")) << "no folder items";
    EXPECT_EQ(item.value("Encrypted"), "-");
    if (item.value("Size") != "0") {
      EXPECT_EQ(item.value("Method"), "Deflate64");
    }
    if (item.value("Path") == "readme.txt") {
      EXPECT_EQ(item.value("Attributes"), "A -rw-r-----");
    }
  }

  const auto run = testsupport::RunTool("7z", {"x", "-p", "-o" + dir_.file("check"), archive});
  ASSERT_EQ(run.exitCode, 0) << run.out.toStdString();
  const QStringList expected{".config",   ".hidden/secret.txt", "link-in",        "readme.txt",
                             "sub/.keep", "sub/b.bin",          "sub/deep/c.txt", "中文 名.txt"};
  EXPECT_EQ(FilesBelow(dir_.file("check")), expected);
  for (const QString& file : expected)
    EXPECT_EQ(ReadFile(dir_.file("check/" + file)), ReadFile(dir_.file("work/" + file)))
        << file.toStdString();
  EXPECT_FALSE(QFileInfo(dir_.file("check/link-in")).isSymLink());
  EXPECT_EQ(QFileInfo(dir_.file("check/sub/b.bin")).lastModified().toUTC(), mtime);
  EXPECT_EQ(LeftoverTemporaries(dir_.file("out")), QStringList{});
}

// Names reach the library as its own command line hands them over (UTF-16, so characters beyond
// U+FFFF are surrogate pairs); names on disk that are not UTF-8 are decoded, not dropped.
TEST_F(SevenZipPack, EveryNameArrivesWholeAndDistinct) {
  const QStringList wide{QString::fromUtf8("a😀b.txt"), QString::fromUtf8("x𠀀1.txt"),
                         QString::fromUtf8("x𠀀2.txt"), QString::fromUtf8("y𡀀.txt")};
  for (int i = 0; i < wide.size(); ++i) WriteFile(dir_.file("work/" + wide[i]), sztest::Content(500, i));
  testsupport::WriteFileAtRawPath(dir_.file("work"), "\xC4\xE3\xBA\xC3.txt", "gbk name");
  testsupport::WriteFileAtRawPath(dir_.file("work"), "\xC4\xE3/bad\xFF\x80.txt", "neither UTF-8 nor GBK");
  const QString archive = dir_.file("names.7z");
  TEngineContext context = sztest::Context();
  ASSERT_TRUE(TSevenZipEngine(context).c7ZipFile(dir_.file("work"), archive));

  const auto test = sztest::SevenZip({"t", archive});
  EXPECT_EQ(test.exitCode, 0) << test.out.toStdString();
  QStringList paths = sztest::SltPaths(archive);
  paths.sort();
  EXPECT_EQ(paths, (QStringList{wide[0], wide[1], wide[2], wide[3], "你/bad%FF%80.txt", "你好.txt"}));
  const auto run = testsupport::RunTool("7z", {"x", "-p", "-o" + dir_.file("check"), archive});
  ASSERT_EQ(run.exitCode, 0) << run.out.toStdString();
  for (int i = 0; i < wide.size(); ++i)
    EXPECT_EQ(ReadFile(dir_.file("check/" + wide[i])), sztest::Content(500, i)) << wide[i].toStdString();
  EXPECT_EQ(ReadFile(dir_.file("check/你好.txt")), "gbk name");
}

TEST_F(SevenZipPack, APasswordEncryptsEveryFileWithTheNonAsciiPasswordAsGiven) {
  const QString password = QStringLiteral("pä55 密码");
  WriteFile(dir_.file("work/a.txt"), sztest::Content(4000, 4));
  WriteFile(dir_.file("work/sub/b.txt"), sztest::Content(9000, 5));
  const QString archive = dir_.file("secret.7z");
  TEngineContext context = sztest::Context(password);
  ASSERT_TRUE(TSevenZipEngine(context).c7ZipFile(dir_.file("work"), archive));

  const auto items = sztest::SltItems(archive, password);
  ASSERT_EQ(items.size(), 2);
  for (const auto& item : items) {
    EXPECT_EQ(item.value("Encrypted"), "+");
    EXPECT_TRUE(item.value("Method").startsWith("Deflate64 7zAES")) << item.value("Method").toStdString();
  }
  EXPECT_NE(sztest::SevenZip({"t", archive}, "wrong").exitCode, 0);
  const auto run = sztest::SevenZip({"x", "-o" + dir_.file("check"), archive}, password);
  ASSERT_EQ(run.exitCode, 0) << run.out.toStdString();
  EXPECT_EQ(ReadFile(dir_.file("check/sub/b.txt")), sztest::Content(9000, 5));
}

TEST_F(SevenZipPack, APlainFileGivesAValidEmptyArchiveAndAnExistingTargetIsReplaced) {
  WriteFile(dir_.file("plain.txt"), "not a folder\n");
  const QString archive = dir_.file("out.7z");
  WriteFile(archive, "an older file at the target");
  TEngineContext context = sztest::Context();
  EXPECT_TRUE(TSevenZipEngine(context).c7ZipFile(dir_.file("plain.txt"), archive));
  EXPECT_EQ(sztest::SevenZip({"t", archive}).exitCode, 0);
  EXPECT_EQ(sztest::SltItems(archive).size(), 0);
}

TEST_F(SevenZipPack, AFailedWriteLeavesNeitherArchiveNorTemporaryFile) {
  WriteFile(dir_.file("work/a.txt"), sztest::Content(4000, 6));
  WriteFile(dir_.file("work/b.txt"), sztest::Content(4000, 7));
  TEngineContext context = sztest::Context();
  TSevenZipEngine engine(context);

  // The output folder does not exist.
  EXPECT_FALSE(engine.c7ZipFile(dir_.file("work"), dir_.file("no/such/folder/out.7z")));
  EXPECT_FALSE(QFileInfo::exists(dir_.file("no")));

  // A queued file vanishes before it is read: the archive fails rather than leaving it out.
  T7zPlugin plugin(sztest::LibraryPath());
  const QString archive = dir_.file("out.7z");
  {
    T7zOutArchive out(plugin);
    out.AddFiles(dir_.file("work"), QString(), "*", true);
    ASSERT_TRUE(QFile::remove(dir_.file("work/b.txt")));
    EXPECT_NE(out.SaveToFile(archive), z7::kOk);
  }
  EXPECT_FALSE(QFileInfo::exists(archive));

  // The library refuses the method at write time; a file already at the target is left alone.
  WriteFile(archive, "kept");
  {
    T7zOutArchive out(plugin);
    out.AddFiles(dir_.file("work"), QString(), "*", true);
    out.SetProperty("0", QStringLiteral("NO-SUCH-METHOD"));
    EXPECT_EQ(out.SaveToFile(archive), z7::kInvalidArg);
  }
  EXPECT_EQ(ReadFile(archive), "kept");
  EXPECT_EQ(LeftoverTemporaries(dir_.path()), QStringList{});
}

TEST_F(SevenZipPack, ALibraryThatCannotBeLoadedReachesTheCaller) {
  WriteFile(dir_.file("work/a.txt"), "x");
  MakeDir(dir_.file("engine"));
  TEngineContext context = sztest::Context();
  context.engineFolder = dir_.file("engine") + '/';
  TSevenZipEngine engine(context);
  try {
    engine.c7ZipFile(dir_.file("work"), dir_.file("out.7z"));
    FAIL() << "expected E7zLoadError";
  } catch (const E7zLoadError& e) {
    EXPECT_EQ(QString::fromStdString(e.what()), "Error loading library " + dir_.file("engine/7z.so"));
  }
  EXPECT_FALSE(QFileInfo::exists(dir_.file("out.7z")));
}
