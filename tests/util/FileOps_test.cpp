// Copy, delete and rename of trees without questions; sizes, names and the shell stand-ins.
#include <sys/stat.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <QUrl>

#include "support/FakeDesktop.h"
#include "support/TestSupport.h"
#include "util/FileOps.h"

using testsupport::MakeDir;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::TreeListing;
using testsupport::WriteFile;

namespace {

QByteArray Enc(const QString& path) { return QFile::encodeName(path); }

void Symlink(const QString& target, const QString& link) {
  ASSERT_EQ(symlink(Enc(target).constData(), Enc(link).constData()), 0) << link.toStdString();
}

void Chmod(const QString& path, mode_t mode) { ASSERT_EQ(chmod(Enc(path).constData(), mode), 0); }

// A small tree with what the Windows design never met: a hidden file, an empty folder,
// a read-only file and folder, and links pointing inside and outside the tree.
struct SourceTree {
  TempDir dir;
  QString src = dir.file("src");
  QString outside = dir.file("outside");

  SourceTree() {
    WriteFile(dir.file("outside/secret.txt"), "outside");
    WriteFile(src + "/a.txt", "A");
    WriteFile(src + "/.hidden", "H");
    WriteFile(src + "/sub/b.txt", "B");
    WriteFile(src + "/sub/deeper/c.dat", "C");
    WriteFile(src + "/locked/ro.txt", "RO");
    MakeDir(src + "/empty");
    Symlink("a.txt", src + "/link-inside");
    Symlink(outside, src + "/link-outside-dir");
    Symlink(outside + "/secret.txt", src + "/link-outside-file");
    Chmod(src + "/locked/ro.txt", 0444);
    Chmod(src + "/locked", 0555);
  }
  ~SourceTree() { chmod(Enc(src + "/locked").constData(), 0755); }
};

const QStringList kSourceListing = {
    ".hidden", "a.txt",         "empty/", "link-inside", "link-outside-dir", "link-outside-file",
    "locked/", "locked/ro.txt", "sub/",   "sub/b.txt",   "sub/deeper/",      "sub/deeper/c.dat"};

TEST(CopyPath, FolderContentIntoAMissingTargetCopiesLinksAsLinks) {
  SourceTree tree;
  const QDateTime old(QDate(2001, 2, 3), QTime(4, 5, 6));
  {
    QFile file(tree.src + "/a.txt");
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(old, QFileDevice::FileModificationTime));
  }

  const QString target = tree.dir.file("work/x1");
  ASSERT_TRUE(CopyPath(tree.src + "/*", target + "/"));
  EXPECT_EQ(TreeListing(target), kSourceListing);
  EXPECT_EQ(ReadFile(target + "/sub/deeper/c.dat"), "C");
  EXPECT_EQ(QFileInfo(target + "/link-outside-dir").symLinkTarget(), tree.outside);
  EXPECT_EQ(QFileInfo(target + "/link-inside").symLinkTarget(), target + "/a.txt")
      << "relative links stay relative";
  EXPECT_EQ(QFileInfo(target + "/a.txt").lastModified(), old) << "file times are kept";
  EXPECT_EQ(QFileInfo(target + "/locked/ro.txt").permissions() & QFileDevice::WriteOwner, 0)
      << "a read-only file stays read-only";
  EXPECT_NE(QFileInfo(target + "/locked").permissions() & QFileDevice::WriteOwner, 0)
      << "the copy's folders stay changeable";
  EXPECT_EQ(TreeListing(tree.outside), QStringList{"secret.txt"});

  // The folder the caller names may itself be a link; its content is copied.
  Symlink(tree.src, tree.dir.file("src-link"));
  ASSERT_TRUE(CopyPath(tree.dir.file("src-link/*"), tree.dir.file("work/x2/")));
  EXPECT_EQ(TreeListing(tree.dir.file("work/x2")), kSourceListing);
}

TEST(CopyPath, OverwritesWithoutAskingAndNeverWritesThroughALink) {
  SourceTree tree;
  const QString target = tree.dir.file("work");
  WriteFile(target + "/a.txt", "old content");
  WriteFile(target + "/sub/b.txt", "old");
  Chmod(target + "/sub/b.txt", 0444);
  // A link in the target where a file is copied must be replaced, not followed.
  Symlink(tree.outside + "/secret.txt", target + "/.hidden");
  ASSERT_TRUE(CopyPath(tree.src + "/*", target + "/"));
  EXPECT_EQ(ReadFile(target + "/a.txt"), "A");
  EXPECT_EQ(ReadFile(target + "/sub/b.txt"), "B");
  EXPECT_FALSE(QFileInfo(target + "/.hidden").isSymLink());
  EXPECT_EQ(ReadFile(target + "/.hidden"), "H");
  EXPECT_EQ(ReadFile(tree.outside + "/secret.txt"), "outside");
}

TEST(CopyPath, FileAndFolderForms) {
  SourceTree tree;
  // A file onto another path, replacing it; missing folders are created.
  WriteFile(tree.dir.file("dst/new.rar"), "previous");
  EXPECT_TRUE(CopyPath(tree.src + "/a.txt", tree.dir.file("dst/new.rar")));
  EXPECT_EQ(ReadFile(tree.dir.file("dst/new.rar")), "A");
  EXPECT_TRUE(CopyPath(tree.src + "/a.txt", tree.dir.file("dst/more/deep/x.txt")));
  EXPECT_EQ(ReadFile(tree.dir.file("dst/more/deep/x.txt")), "A");
  // A file onto an existing folder lands inside it.
  EXPECT_TRUE(CopyPath(tree.src + "/a.txt", tree.dir.file("dst")));
  EXPECT_EQ(ReadFile(tree.dir.file("dst/a.txt")), "A");
  // A folder becomes the new path, or goes inside an existing folder.
  EXPECT_TRUE(CopyPath(tree.src + "/sub", tree.dir.file("copy")));
  EXPECT_EQ(TreeListing(tree.dir.file("copy")), QStringList({"b.txt", "deeper/", "deeper/c.dat"}));
  EXPECT_TRUE(CopyPath(tree.src + "/sub", tree.dir.file("copy")));
  EXPECT_TRUE(QFileInfo::exists(tree.dir.file("copy/sub/deeper/c.dat")));
  // A wildcard takes folders as well as files.
  MakeDir(tree.src + "/folder.txt");
  EXPECT_TRUE(CopyPath(tree.src + "/*.txt", tree.dir.file("txt/")));
  EXPECT_EQ(TreeListing(tree.dir.file("txt")), QStringList({"a.txt", "folder.txt/"}));
}

TEST(CopyPath, FailuresAndEmptySources) {
  SourceTree tree;
  EXPECT_TRUE(CopyPath(tree.src + "/empty/*", tree.dir.file("fromEmpty/")));
  EXPECT_TRUE(QFileInfo(tree.dir.file("fromEmpty")).isDir()) << "an empty folder still gives its target";
  EXPECT_FALSE(CopyPath(tree.dir.file("missing/*"), tree.dir.file("t/")));
  EXPECT_FALSE(CopyPath(tree.dir.file("missing.txt"), tree.dir.file("t.txt")));
  EXPECT_FALSE(CopyPath("", tree.dir.file("t")));
  // Into itself: refused instead of recursing without end; the rest is still copied.
  EXPECT_FALSE(CopyPath(tree.src + "/*", tree.src + "/sub/"));
  EXPECT_FALSE(QFileInfo::exists(tree.src + "/sub/sub"));
  EXPECT_TRUE(QFileInfo::exists(tree.src + "/sub/a.txt"));
  // A pipe is not content and is never opened (reading it would block); the rest is copied.
  ASSERT_EQ(mkfifo(Enc(tree.src + "/empty/pipe").constData(), 0600), 0);
  WriteFile(tree.src + "/empty/file", "f");
  EXPECT_FALSE(CopyPath(tree.src + "/empty/*", tree.dir.file("withPipe/")));
  EXPECT_EQ(TreeListing(tree.dir.file("withPipe")), QStringList{"file"});
}

TEST(DeletePath, RemovesTreesWithReadOnlyContentButNeverALinksTarget) {
  SourceTree tree;
  Chmod(tree.src + "/sub/deeper", 0555);
  EXPECT_TRUE(DeletePath(tree.src));
  EXPECT_FALSE(QFileInfo::exists(tree.src));
  EXPECT_EQ(TreeListing(tree.outside), QStringList{"secret.txt"});
}

TEST(DeletePath, LinksFilesAndWildcards) {
  TempDir dir;
  WriteFile(dir.file("target/keep.txt"), "k");
  Symlink(dir.file("target"), dir.file("link"));
  // With or without a trailing slash, the link goes and its target stays.
  EXPECT_TRUE(DeletePath(dir.file("link/")));
  EXPECT_FALSE(QFileInfo(dir.file("link")).isSymLink());
  EXPECT_EQ(ReadFile(dir.file("target/keep.txt")), "k");

  WriteFile(dir.file("w/a.tmp"), "");
  WriteFile(dir.file("w/b.tmp/inner"), "");
  WriteFile(dir.file("w/c.txt"), "");
  EXPECT_TRUE(DeletePath(dir.file("w/*.tmp")));
  EXPECT_EQ(TreeListing(dir.file("w")), QStringList{"c.txt"});
  EXPECT_TRUE(DeletePath(dir.file("w/c.txt")));
  EXPECT_FALSE(DeletePath(dir.file("w/c.txt"))) << "nothing there";
  EXPECT_FALSE(DeletePath(""));
  EXPECT_FALSE(DeletePath("/"));
}

TEST(RenamePath, InPlaceNeverOverAnExistingEntry) {
  TempDir dir;
  WriteFile(dir.file("readme[ad].txt"), "1");
  EXPECT_FALSE(RenamePath(dir.file("readme[ad].txt"), dir.file("readme[ad].txt")));
  EXPECT_EQ(ReadFile(dir.file("readme[ad].txt")), "1");
  EXPECT_TRUE(RenamePath(dir.file("readme[ad].txt"), dir.file("readme.txt")));
  EXPECT_EQ(ReadFile(dir.file("readme.txt")), "1");
  EXPECT_TRUE(RenamePath(dir.file("readme.txt"), dir.file("README.txt"))) << "a change of case alone";
  EXPECT_EQ(ReadFile(dir.file("README.txt")), "1");

  WriteFile(dir.file("other.txt"), "2");
  EXPECT_FALSE(RenamePath(dir.file("other.txt"), dir.file("README.txt")));
  EXPECT_EQ(ReadFile(dir.file("README.txt")), "1");
  EXPECT_EQ(ReadFile(dir.file("other.txt")), "2");

  WriteFile(dir.file("folder[ad]/x"), "3");
  EXPECT_TRUE(RenamePath(dir.file("folder[ad]"), dir.file("folder")));
  EXPECT_EQ(ReadFile(dir.file("folder/x")), "3");
  EXPECT_FALSE(RenamePath(dir.file("missing"), dir.file("m2")));
}

TEST(FileSize, SizesAndTheirText) {
  TempDir dir;
  WriteFile(dir.file("f"), QByteArray(1536, 'x'));
  EXPECT_EQ(GetFileSize64(dir.file("f")), 1536);
  EXPECT_EQ(GetFileSize64(dir.path()), 0);
  EXPECT_EQ(GetFileSize64(dir.file("missing")), 0);
  QFile big(dir.file("big"));
  ASSERT_TRUE(big.open(QIODevice::WriteOnly));
  ASSERT_TRUE(big.resize(5LL << 30));  // sparse: takes no disk space
  big.close();
  EXPECT_EQ(GetFileSize64(dir.file("big")), 5LL << 30);

  const QLocale c = QLocale::c();
  const std::pair<qint64, const char*> cases[] = {
      {0, "0.00KB"},           {512, "0.50KB"},     {1023, "1.00KB"},      {1536, "1.50KB"},
      {1048575, "1024.00KB"},  {1048576, "1.00MB"}, {5LL << 30, "5.00GB"}, {(1LL << 40) * 3, "3072.00GB"},
      {-1, "17179869184.00GB"}};
  for (const auto& [size, text] : cases) EXPECT_EQ(SizeText(size, c), text) << size;
  EXPECT_EQ(SizeText(1048575, QLocale(QLocale::German)), "1024,00KB") << "locale separator, no grouping";

  QLocale::setDefault(c);
  EXPECT_EQ(FileSizeText(dir.file("f")), "1.50KB");
  EXPECT_EQ(FileSizeText(dir.file("missing")), "0.00KB");
  EXPECT_EQ(FileSizeText(dir.path()), "0.00KB");
}

TEST(FileNames, ValidityAndExtensions) {
  const std::pair<const char*, bool> names[] = {
      {"", false},    {"aux", false},  {"Con.TXT", false},  {"NUL.rar", false}, {"con.tar.gz", true},
      {"com3", true}, {"lpt1", true},  {"a?b", false},      {"name.", false},   {"中文名称", true},
      {"a|b", false}, {"a/b", false},  {"a\\b", false},     {"a:b", false},     {"a\"b", false},
      {"<x>", false}, {"a*", false},   {".htaccess", true}, {"COM1", false},    {"aux.", false},
      {"a\tb", true}, {"a.b.c", true}, {"prn.x.y", true},   {"x", true}};
  for (const auto& [name, valid] : names) EXPECT_EQ(IsValidFileName(QString::fromUtf8(name)), valid) << name;

  const std::pair<const char*, const char*> stems[] = {{"/x/archive.tar.gz", "archive.tar"},
                                                       {"readme", "readme"},
                                                       {".htaccess", ""},
                                                       {"/a.b/readme", "readme"},
                                                       {"/x/y.", "y"},
                                                       {"", ""}};
  for (const auto& [path, stem] : stems) EXPECT_EQ(FileNameWithoutExt(path), stem) << path;

  // Extension as written, dot included, case kept, from the name part only.
  const std::pair<const char*, const char*> extensions[] = {
      {"/a/b.c/file", ""},  {"/a/file.tar.gz", ".gz"}, {"/a/.htaccess", ".htaccess"}, {"name.", "."},
      {"/a.b/c.tar.GZ", ".GZ"}, {"/a.b/c", ""},         {"/a/.hidden", ".hidden"}};
  for (const auto& [path, ext] : extensions) EXPECT_EQ(FileExtension(path), ext) << path;
  EXPECT_EQ(FileNamePart("/a/b.c/file"), "file");
  EXPECT_EQ(FileNamePart("file"), "file");
}

TEST(ShowInExplorer, CollapsesDoubledSeparators) {
  EXPECT_EQ(CollapseDoubledSeparators("/a//b/c.rar"), "/a/b/c.rar");
  EXPECT_EQ(CollapseDoubledSeparators("//srv/x"), "/srv/x");
  EXPECT_EQ(CollapseDoubledSeparators("/a///b"), "/a//b") << "one left-to-right pass";
  EXPECT_EQ(CollapseDoubledSeparators("/a////b"), "/a//b");
  EXPECT_EQ(FolderPart("/a/b/c.rar"), "/a/b/");
  EXPECT_EQ(FolderPart("c.rar"), "");
}

// The shell routines with the desktop's openers replaced by recording stand-ins.
class FakeDesktop : public ::testing::Test {
 protected:
  void Tool(const QString& name, int exitCode) { desktop_.Tool(name, exitCode); }
  QList<QByteArray> Calls(int lines) { return desktop_.Calls(lines); }

  TempDir dir_;
  testsupport::FakeDesktop desktop_;
};

TEST_F(FakeDesktop, OpenersGetThePathAsOneArgument) {
  Tool("xdg-open", 0);
  WriteFile(dir_.file("Must Files/it's.txt"), "");
  const QString file = dir_.file("Must Files/it's.txt");
  EXPECT_EQ(OpenWithShell(file), kShellOk);
  EXPECT_EQ(ShellOpen("https://example.org/a b"), kShellOk);
  const QList<QByteArray> calls = Calls(2);
  ASSERT_EQ(calls.size(), 2) << calls.join('\n').toStdString();
  EXPECT_TRUE(calls.contains("[" + Enc(file) + "] " + Enc(dir_.file("Must Files"))));
  EXPECT_TRUE(calls.contains("[https://example.org/a b] " + Enc(QDir::currentPath())))
      << calls.join('\n').toStdString();
  EXPECT_EQ(OpenWithShell(dir_.file("missing")), kShellFileNotFound);
}

TEST_F(FakeDesktop, ShowInExplorerAsksTheFileManagerThenFallsBackToTheFolder) {
  WriteFile(dir_.file("out/a b,c.rar"), "");
  Tool("gdbus", 0);
  EXPECT_EQ(ShowInExplorer(dir_.path() + "//out//a b,c.rar"), kShellOk);
  const QByteArray uri = "file://" + QUrl::toPercentEncoding(dir_.file("out/a b,c.rar"), "/");
  EXPECT_EQ(Calls(1).value(0),
            "[call][--session][--timeout][5][--dest][org.freedesktop.FileManager1]"
            "[--object-path][/org/freedesktop/FileManager1][--method]"
            "[org.freedesktop.FileManager1.ShowItems][['" +
                uri + "']][''] " + Enc(dir_.file("out")));

  desktop_.ClearCalls();
  Tool("gdbus", 1);
  Tool("dbus-send", 1);
  Tool("xdg-open", 0);
  EXPECT_EQ(ShowInExplorer(dir_.file("out/a b,c.rar")), kShellOk);
  const QList<QByteArray> calls = Calls(3);
  ASSERT_EQ(calls.size(), 3);
  EXPECT_EQ(calls[2], "[" + Enc(dir_.file("out/")) + "] " + Enc(dir_.file("out")));
}

TEST_F(FakeDesktop, OpenWithShellArgsRunsProgramsAndOpensDocuments) {
  const QString program = dir_.file("update.run");
  WriteFile(program, "#!/bin/sh\necho \"$@\" > '" + Enc(dir_.file("ran")) + "'\n");
  QFile::setPermissions(program, QFile::permissions(program) | QFileDevice::ExeOwner);
  EXPECT_EQ(OpenWithShellArgs(program, "/S \"a b\""), kShellOk);
  QElapsedTimer timer;
  timer.start();
  while (ReadFile(dir_.file("ran")).isEmpty() && timer.elapsed() < 10000) QThread::msleep(10);
  EXPECT_EQ(ReadFile(dir_.file("ran")), "/S a b\n");
  EXPECT_EQ(OpenWithShell(dir_.path()), kShellNoHandler) << "no xdg-open on PATH";
}

}  // namespace
