// Looking at a watched folder: which names can arrive, what a look at an entry finds (a change
// anywhere below a folder shows), and whether a file is still open for writing.
#include <fcntl.h>
#include <unistd.h>

#include <QFile>

#include "support/TestSupport.h"
#include "util/FileDescriptor.h"
#include "watch/InboxScan.h"

using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

TEST(InboxScan, ArrivalNamesLeaveOutPartialAndHiddenOnes) {
  TempDir dir;
  for (const char* name : {"game.zip", "upload.zip.part", ".harrowmint/journal.jsonl", "Folder/a.bin"})
    WriteFile(dir.file(name), "x");
  std::optional<QStringList> names = ArrivalNames(dir.path());
  ASSERT_TRUE(names.has_value());
  names->sort();
  EXPECT_EQ(*names, QStringList({"Folder", "game.zip"}));
  EXPECT_FALSE(ArrivalNames(dir.file("missing")).has_value());
}

TEST(InboxScan, ALookAtAFolderSeesAChangeAnywhereBelowIt) {
  TempDir dir;
  WriteFile(dir.file("Folder/sub/a.bin"), "a");
  const std::optional<TEntrySignature> first = LookAt(dir.file("Folder"));
  ASSERT_TRUE(first.has_value());
  EXPECT_EQ(first->kind, TEntrySignature::TKind::Folder);
  EXPECT_EQ(LookAt(dir.file("Folder")), first);
  WriteFile(dir.file("Folder/sub/a.bin"), "ab");
  const std::optional<TEntrySignature> grown = LookAt(dir.file("Folder"));
  EXPECT_NE(grown, first);
  WriteFile(dir.file("Folder/sub/deeper/b.bin"), "b");
  EXPECT_NE(LookAt(dir.file("Folder")), grown);
  EXPECT_FALSE(LookAt(dir.file("gone")).has_value());
}

TEST(InboxScan, AFileOpenForWritingHasWriters) {
  TempDir dir;
  IgnoreLeaseBreaks();
  const QString path = dir.file("upload.bin");
  {
    const TFileDescriptor writer(::open(path.toUtf8().constData(), O_WRONLY | O_CREAT, 0644));
    ASSERT_TRUE(bool(writer));
    EXPECT_EQ(HasWriters(path), std::optional(true));
  }
  EXPECT_EQ(HasWriters(path), std::optional(false));
  testsupport::MakeDir(dir.file("Folder"));
  EXPECT_EQ(HasWriters(dir.file("Folder")), std::nullopt);
  EXPECT_EQ(HasWriters(dir.file("gone")), std::nullopt);
}

}  // namespace
