// ZIP64: more than 65,535 entries, and an entry of 4 GiB and more (size fields, local header,
// end records), checked by independent readers and read back; the ZIP64 records themselves in a
// table of values around the 32-bit limits.
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <unistd.h>

#include "ZipTestSupport.h"
#include "compress/zip/ZipArchiveWriter.h"
#include "compress/zip/ZipOutput.h"
#include "compress/zip/ZipRecords.h"
#include "compress/zip/ZipSourcePlan.h"

using namespace ziptest;
using testsupport::ReadFile;
using testsupport::RunTool;
using testsupport::TempDir;

namespace {

void WriteAt(const QString& path, int64_t offset, const QByteArray& bytes) {
  const int fd = ::open(path.toUtf8().constData(), O_WRONLY | O_CREAT, 0644);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::pwrite(fd, bytes.constData(), size_t(bytes.size()), offset), bytes.size());
  ::close(fd);
}

QByteArray ReadAt(const QString& path, int64_t offset, int size) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly) || !f.seek(offset)) return {};
  return f.read(size);
}

}  // namespace

// 70,000 entries without 70,000 files on disk (slow to make on a busy machine): the plan names
// one small file many times, under different entry names.
TEST(ZipLarge, MoreThan65535Entries) {
  HM_REQUIRE_TOOL("python3");
  HM_REQUIRE_TOOL("unzip");
  HM_REQUIRE_TOOL("7z");
  TempDir dir;
  testsupport::WriteFile(dir.file("one.txt"), "the same content");
  std::vector<TZipSource> sources;
  for (int f = 0; f < 100; ++f) {
    sources.push_back({dir.file("").toStdString(), QString("f%1/").arg(f), true, 0, 1600000000, 040755});
    for (int i = 0; i < 700; ++i)
      sources.push_back({dir.file("one.txt").toStdString(), QString("f%1/%2.txt").arg(f).arg(i), false, 16,
                         1600000000, 0100644});
  }
  TZipOutput output;
  ASSERT_TRUE(output.Open(dir.file("many.zip")));
  TZipWriteOptions options;
  options.threads = 2;
  TZipArchiveWriter writer(output, options);
  ASSERT_TRUE(writer.Write(sources)) << writer.error().toStdString();
  ASSERT_TRUE(output.Commit());

  const auto python = Python(R"(
import sys, zipfile
z = zipfile.ZipFile(sys.argv[1])
print(len(z.infolist()), z.testzip(), z.read('f99/699.txt').decode())
)",
                             {dir.file("many.zip")});
  EXPECT_EQ(QString::fromUtf8(python.out).trimmed(), "70100 None the same content")
      << python.err.toStdString();
  const auto unzip = RunTool("unzip", {"-tqq", dir.file("many.zip")});
  EXPECT_EQ(unzip.exitCode, 0) << unzip.out.right(2000).toStdString();
  const auto sevenZip = RunTool("7z", {"t", dir.file("many.zip")});
  EXPECT_EQ(sevenZip.exitCode, 0) << sevenZip.out.right(2000).toStdString();

  Engine e;
  QStringList names;
  ASSERT_EQ(e.zip.ListZipFiles(dir.file("many.zip"), names), crSuccess);
  ASSERT_EQ(names.size(), 70100);
  EXPECT_EQ(names.last(), "f99/699.txt");
}

// A sparse file of 4 GiB + 1 MiB, with marks at the start, across the 4 GiB line and at the end.
// About a minute; the benchmark script also has Info-ZIP's unzip test such an archive.
TEST(ZipLarge, AnEntryOfMoreThan4GiB) {
  HM_REQUIRE_TOOL("7z");
  TempDir dir;
  const QString big = dir.file("src/big.img");
  QDir().mkpath(dir.file("src"));
  constexpr int64_t kSize = (int64_t(4) << 30) + (1 << 20);
  const QByteArray start = "start mark", across = "across the 4 GiB line", end = "end mark";
  WriteAt(big, 0, start);
  WriteAt(big, (int64_t(1) << 32) - 5, across);
  WriteAt(big, kSize - end.size(), end);
  testsupport::WriteFile(dir.file("src/after.txt"), "an entry behind the big one");
  Engine e;
  ASSERT_TRUE(e.zip.ZipFile(dir.file("src"), dir.file("big.zip")));
  QFile::remove(big);

  const auto listing = RunTool("7z", {"l", "-slt", dir.file("big.zip")});
  EXPECT_TRUE(listing.out.contains("Size = " + QByteArray::number(kSize))) << listing.out.toStdString();
  QStringList names;
  ASSERT_EQ(e.zip.ListZipFiles(dir.file("big.zip"), names), crSuccess);
  EXPECT_EQ(names, QStringList({"after.txt", "big.img"}));

  ASSERT_EQ(e.zip.UnZipFile(dir.file("big.zip"), dir.file("back")), crSuccess);
  EXPECT_EQ(QFileInfo(dir.file("back/big.img")).size(), kSize);
  EXPECT_EQ(ReadAt(dir.file("back/big.img"), 0, start.size()), start);
  EXPECT_EQ(ReadAt(dir.file("back/big.img"), (int64_t(1) << 32) - 5, across.size()), across);
  EXPECT_EQ(ReadAt(dir.file("back/big.img"), kSize - end.size(), end.size()), end);
  EXPECT_EQ(ReadFile(dir.file("back/after.txt")), "an entry behind the big one");
}

// Central headers and end records around the 32-bit limits read back as written.
TEST(ZipLarge, Zip64RecordsRoundTrip) {
  const uint64_t kLimit = 0xFFFFFFFFull;
  struct Case {
    uint64_t uncompressed, compressed, offset;
    bool zip64;
  };
  const Case cases[] = {
      {0, 0, 0, false},       {kLimit - 1, kLimit - 1, kLimit - 1, false},
      {kLimit, 10, 0, true},  {10, kLimit, 0, true},
      {10, 10, kLimit, true}, {uint64_t(5) << 32, (uint64_t(5) << 32) + 7, uint64_t(9) << 32, true},
  };
  for (const Case& c : cases) {
    TZipEntryRecord r;
    r.name = "name";
    r.uncompressedSize = c.uncompressed;
    r.compressedSize = c.compressed;
    r.localHeaderOffset = c.offset;
    EXPECT_EQ(CentralNeedsZip64(r), c.zip64);
    const QByteArray header = CentralHeader(r, TimestampExtra(1234567890));
    TZipEntryRecord back;
    TZipVariableLengths lengths;
    ASSERT_TRUE(ParseCentralFixed(header.constData(), back, lengths));
    back.extra = header.mid(kZipCentralHeaderSize + lengths.name, lengths.extra);
    ASSERT_TRUE(ApplyZip64Extra(back));
    EXPECT_EQ(back.uncompressedSize, c.uncompressed);
    EXPECT_EQ(back.compressedSize, c.compressed);
    EXPECT_EQ(back.localHeaderOffset, c.offset);
    EXPECT_EQ(ExtraModificationTime(back.extra)->seconds, 1234567890);
  }

  // End records: the entry count and directory position beyond 16 and 32 bits.
  for (const uint64_t count : {uint64_t(0), uint64_t(65534), uint64_t(65535), uint64_t(70000)}) {
    TZipEnd end;
    end.entryCount = count;
    end.directorySize = 46;
    end.directoryOffset = count > 65535 ? (uint64_t(1) << 33) : 100;
    const QByteArray records = EndRecords(end, end.directoryOffset + end.directorySize);
    const bool zip64 = count >= 65535 || end.directoryOffset >= kLimit;
    EXPECT_EQ(records.size(), zip64 ? kZip64EndSize + kZip64LocatorSize + kZipEndSize : kZipEndSize);
    TZipEnd back;
    uint16_t commentLength = 0;
    ASSERT_TRUE(ParseEndFixed(records.constData() + records.size() - kZipEndSize, back, commentLength));
    if (zip64) {
      ASSERT_EQ(ParseZip64Locator(records.constData() + kZip64EndSize).value(), end.directoryOffset + 46);
      ASSERT_TRUE(ParseZip64End(records.constData(), back));
    }
    EXPECT_EQ(back.entryCount, count);
    EXPECT_EQ(back.directoryOffset, end.directoryOffset);
  }
}
