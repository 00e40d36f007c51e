// What settling leaves of an extracted tree that a plug-in program wrote as it liked.
#include <gtest/gtest.h>

#include <QFile>

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cstdio>

#include "compress/common/ExtractLedger.h"
#include "compress/common/ExtractedTree.h"
#include "support/TestSupport.h"

namespace {

using testsupport::ReadFile;
using testsupport::WriteFile;

// Settles the tree as nobody when run as root, which reads any file; 0 when both names came out
// as files of their own, readable and writable by their owner.
int SettleSharedFileAsNobody(const QString& parent, const QString& tree) {
  const QByteArray first = QFile::encodeName(tree + "/first.bin");
  const QByteArray second = QFile::encodeName(tree + "/second.bin");
  if (::geteuid() == 0) {
    constexpr uid_t kNobody = 65534;
    for (const QByteArray& path : {QFile::encodeName(parent), QFile::encodeName(tree), first})
      if (::chown(path.constData(), kNobody, kNobody) != 0) return 2;
    if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) return 2;
  }
  TExtractLedger ledger;
  ledger.Begin(tree, {0, 0});
  SettleExtractedTree(tree, ledger);
  if (!ledger.complete()) std::fprintf(stderr, "%s\n", qPrintable(ledger.Details()));
  struct stat a {};
  struct stat b {};
  const bool apart = ::stat(first.constData(), &a) == 0 && ::stat(second.constData(), &b) == 0 &&
                     a.st_ino != b.st_ino && a.st_nlink == 1 && b.st_nlink == 1;
  const mode_t ownerRights = S_IRUSR | S_IWUSR;
  const bool open = (a.st_mode & ownerRights) == ownerRights && (b.st_mode & ownerRights) == ownerRights;
  const bool whole =
      ReadFile(tree + "/first.bin") == "shared content" && ReadFile(tree + "/second.bin") == "shared content";
  return ledger.complete() && apart && open && whole ? 0 : 1;
}

// A file of two names unpacked with mode 000 (a tar keeps both): each name becomes a file of its
// own, and nothing is refused.
TEST(ExtractedTree, AFileOfSeveralNamesWithoutRightsBecomesOwnCopies) {
  testsupport::TempDir dir;
  const QString tree = dir.file("tree");
  WriteFile(tree + "/first.bin", "shared content");
  ASSERT_EQ(::link(QFile::encodeName(tree + "/first.bin").constData(),
                   QFile::encodeName(tree + "/second.bin").constData()),
            0);
  ASSERT_EQ(::chmod(QFile::encodeName(tree + "/first.bin").constData(), 0), 0);
  EXPECT_EXIT(std::_Exit(SettleSharedFileAsNobody(dir.path(), tree)), testing::ExitedWithCode(0), "");
}

// The own copies of a file of several names take disk space as any write does: they keep the
// free-space reserve, or the extraction stops with the names still shared and their content whole.
TEST(ExtractedTree, OwnCopiesKeepTheFreeSpaceReserve) {
  testsupport::TempDir dir;
  const QString tree = dir.file("tree");
  constexpr quint64 kMiB = TExtractLimits::kMiB;
  const QByteArray content = testsupport::RandomBytes(64 * kMiB);
  WriteFile(tree + "/first.bin", content);
  ASSERT_EQ(::link(QFile::encodeName(tree + "/first.bin").constData(),
                   QFile::encodeName(tree + "/second.bin").constData()),
            0);
  struct statvfs disk {};
  ASSERT_EQ(::statvfs(QFile::encodeName(tree).constData(), &disk), 0);
  const quint64 freeBytes = quint64(disk.f_bavail) * disk.f_frsize;
  ASSERT_GT(freeBytes, 1024 * kMiB);

  // Other writers on the disk change the free space by far less than these margins.
  TExtractLedger ledger;
  ledger.Begin(tree, {0, freeBytes - 16 * kMiB});
  SettleExtractedTree(tree, ledger);
  EXPECT_TRUE(ledger.stopCause().contains("MinFreeMB")) << ledger.stopCause().toStdString();
  struct stat st {};
  ASSERT_EQ(::stat(QFile::encodeName(tree + "/second.bin").constData(), &st), 0);
  EXPECT_EQ(st.st_nlink, 2u);
  EXPECT_EQ(ReadFile(tree + "/second.bin"), content);

  ledger.Begin(tree, {0, freeBytes - 512 * kMiB});
  SettleExtractedTree(tree, ledger);
  EXPECT_TRUE(ledger.complete()) << ledger.Details().toStdString();
  ASSERT_EQ(::stat(QFile::encodeName(tree + "/second.bin").constData(), &st), 0);
  EXPECT_EQ(st.st_nlink, 1u);
  EXPECT_EQ(ReadFile(tree + "/first.bin"), content);
  EXPECT_EQ(ReadFile(tree + "/second.bin"), content);
}

}  // namespace
