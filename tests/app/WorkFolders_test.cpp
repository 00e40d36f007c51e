// Work folders and the replacement of a source by its output: nothing of either may be lost or
// left behind.
#include <QFile>

#include "FakeFacade.h"
#include "app/ItemOutcome.h"
#include "app/SourceReplace.h"
#include "app/WorkFolders.h"
#include "support/TestSupport.h"

using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::TreeListing;
using testsupport::WriteFile;

namespace {

TEST(WorkFolders, NewEmptyFoldersRemovedEvenWhenTheItemThrows) {
  TempDir dir;
  const QString root = dir.path() + "/tmp/";
  try {
    TWorkFolders folders(root);
    QStringList made;
    for (int i = 0; i < 20; ++i) made << folders.NewWorkFolder();  // many within one second
    made.removeDuplicates();
    EXPECT_EQ(made.size(), 20);
    WriteFile(made.first() + "/deep/file", "x");
    throw std::runtime_error("item failed");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(TreeListing(root), QStringList());
}

TEST(WorkFolders, AnUnusableTempRootRaises) {
  TempDir dir;
  WriteFile(dir.file("file"), "a file, not a folder");
  TWorkFolders folders(dir.file("file") + "/tmp/");
  EXPECT_THROW(folders.NewWorkFolder(), EWorkFolderError);
}

TEST(ReplaceSourceWithOutput, OnlyACheckedOutputTakesTheSourcesPlace) {
  TempDir dir;
  const QString source = dir.file("in/Game.zip");
  const QString output = dir.file("out/Game.zip");
  FakeFacade compress;

  WriteFile(source, "old");
  EXPECT_FALSE(ReplaceSourceWithOutput(compress, output, source));  // no output
  EXPECT_EQ(ReadFile(source), QByteArray("old"));

  // A packer's partial archive: readable, but below the plausible size.
  WriteFile(output, "new archive");
  EXPECT_FALSE(ReplaceSourceWithOutput(compress, output, source));
  EXPECT_EQ(ReadFile(source), QByteArray("old"));

  const QByteArray whole = "new archive" + QByteArray(kPlausibleOutputSize, 'x');
  WriteFile(output, whole);
  compress.listResult = crFailed;
  EXPECT_FALSE(ReplaceSourceWithOutput(compress, output, source));  // unreadable output
  EXPECT_EQ(ReadFile(source), QByteArray("old"));
  EXPECT_TRUE(QFileInfo::exists(output));

  compress.listResult = crSuccess;
  QFile::setPermissions(source, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
  const QFile::Permissions before = QFile::permissions(source);
  ASSERT_TRUE(ReplaceSourceWithOutput(compress, output, source));
  EXPECT_EQ(ReadFile(source), whole);
  EXPECT_EQ(QFile::permissions(source), before);
  EXPECT_FALSE(QFileInfo::exists(output));
  EXPECT_EQ(TreeListing(dir.file("in")), QStringList({"Game.zip"}));  // no temporary left beside it
}

}  // namespace
