// The files a packing stores: every regular file at any depth, links to files inside taken as
// files, and nothing that would lead out of the folder or block a reader.
#include <QFile>
#include <QList>

#include <algorithm>

#include <sys/stat.h>
#include <unistd.h>

#include "support/TestSupport.h"
#include "util/PackableFiles.h"

using testsupport::MakeDir;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

QStringList Names(const std::optional<std::vector<TPackableFile>>& files) {
  if (!files) return {"<unreadable>"};
  QStringList names;
  for (const TPackableFile& file : *files) names << file.name;
  return names;
}

void Link(const QString& target, const QString& link) {
  ASSERT_EQ(::symlink(QFile::encodeName(target).constData(), QFile::encodeName(link).constData()), 0);
}

TEST(ListPackableFiles, EveryFileInsideAndNothingThatLeadsOut) {
  TempDir dir;
  const QString root = dir.file("work");
  WriteFile(root + "/b.txt", "b");
  WriteFile(root + "/.dot", "d");
  WriteFile(root + "/.hidden/h.txt", "h");
  WriteFile(root + "/sub/deep/c.txt", "c");
  MakeDir(root + "/empty");
  testsupport::WriteFileAtRawPath(root, "\xC4\xE3/\xBA\xC3.txt", "gbk");
  WriteFile(dir.file("outside.txt"), "o");
  Link("b.txt", root + "/in-link");
  Link("../b.txt", root + "/sub/up-link");
  Link(dir.file("outside.txt"), root + "/out-link");
  Link("sub", root + "/folder-link");
  Link("missing", root + "/dangling");
  ASSERT_EQ(::mkfifo(QFile::encodeName(root + "/pipe").constData(), 0644), 0);

  EXPECT_EQ(Names(ListPackableFiles(root)), (QStringList{".hidden/h.txt", "sub/deep/c.txt", "sub/up-link",
                                                         "你/好.txt", ".dot", "b.txt", "in-link"}));
  EXPECT_EQ(Names(ListPackableFiles(root + '/', false)), (QStringList{".dot", "b.txt", "in-link"}));
  const auto files = ListPackableFiles(root);
  EXPECT_EQ(files->at(3).path, QFile::encodeName(root) + "/\xC4\xE3/\xBA\xC3.txt")
      << "the path opens the file";

  // Nothing to pack is not an error; a folder that cannot be read is.
  EXPECT_EQ(Names(ListPackableFiles(dir.file("missing"))), QStringList());
  EXPECT_EQ(Names(ListPackableFiles(root + "/b.txt")), QStringList());
  if (::geteuid() != 0) {
    ::chmod(QFile::encodeName(root + "/sub").constData(), 0);
    EXPECT_EQ(Names(ListPackableFiles(root)), QStringList({"<unreadable>"}));
    ::chmod(QFile::encodeName(root + "/sub").constData(), 0755);
  }
}

// Links to folders are noted, not entered: with links to the folder itself and to an ancestor
// the walk still ends, and the links are named by the same paths as the files.
TEST(ListFolderLinks, LinksToFoldersOnlyLoopsIncluded) {
  TempDir dir;
  const QString root = dir.file("work");
  WriteFile(root + "/a.txt", "a");
  WriteFile(root + "/sub/b.txt", "b");
  MakeDir(dir.file("elsewhere"));
  Link(".", root + "/self");
  Link("..", root + "/sub/up");
  Link("sub", root + "/sub-link");
  Link(dir.file("elsewhere"), root + "/sub/out-link");
  Link("a.txt", root + "/file-link");
  Link("missing", root + "/dangling");

  const auto links = ListFolderLinks(root + '/');
  ASSERT_TRUE(links);
  QList<QByteArray> sorted(links->begin(), links->end());
  std::sort(sorted.begin(), sorted.end());
  const QByteArray native = QFile::encodeName(root);
  EXPECT_EQ(sorted, (QList<QByteArray>{native + "/self", native + "/sub-link", native + "/sub/out-link",
                                       native + "/sub/up"}));
  EXPECT_EQ(Names(ListPackableFiles(root)), (QStringList{"sub/b.txt", "a.txt", "file-link"}));
  EXPECT_EQ(ListFolderLinks(dir.file("missing")), std::vector<QByteArray>());
}

}  // namespace
