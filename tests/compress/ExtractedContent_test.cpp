// What an extraction leaves in its folder, whichever engine or plug-in wrote it: regular files and
// folders only (a link becomes a file holding its target, a device or pipe fails the extraction),
// RAR hard links and file copies only when their original came out, and nothing of an earlier
// attempt on a self-extracting program.
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>

#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <zlib.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "compress/FacadeFixture.h"
#include "compress/common/ExtractedTree.h"
#include "compress/vxCompress.h"
#include "util/LogTap.h"

using pluginfixture::TEngineFolder;
using testsupport::ReadFile;
using testsupport::RunTool;
using testsupport::TempDir;
using testsupport::WriteFile;
namespace ff = facadefixture;

namespace {

class ExtractedContent : public testing::Test {
 protected:
  void SetUp() override {
    HM_REQUIRE_TOOL("bsdtar");
    HM_REQUIRE_TOOL("rar");
    HM_REQUIRE_ENGINE("libunrar.so");
    ff::LinkBuiltEngines(engine);
    engine.InstallShippedTarAndIso();
  }

  // A tar of the tree below `tree`, as bsdtar stores it: links as links, pipes and devices as
  // what they are.
  QString Tar(const QString& tree, const QString& name) {
    const QString archive = work.file(name);
    EXPECT_EQ(RunTool("bsdtar", {"-cf", archive, "-C", tree, "."}).exitCode, 0);
    return archive;
  }
  // A new work folder, as the item makes one.
  QString Destination() {
    const QString dest = work.file(QStringLiteral("out%1").arg(++outputs));
    testsupport::MakeDir(dest);
    return dest;
  }

  TempDir work;
  TEngineFolder engine;
  TvxCompress compress{engine.path()};
  int outputs = 0;
};

// Every entry below root that is neither a regular file nor a folder, as lstat sees it.
QStringList NeitherFileNorFolder(const QString& root) {
  namespace fs = std::filesystem;
  QStringList odd;
  for (const auto& entry : fs::recursive_directory_iterator(QFile::encodeName(root).toStdString())) {
    const fs::file_type type = entry.symlink_status().type();
    if (type != fs::file_type::regular && type != fs::file_type::directory)
      odd << QString::fromStdString(entry.path().lexically_relative(QFile::encodeName(root).toStdString()));
  }
  return odd;
}

// Links of every kind, two of them to their own folder (a packer that followed them would never
// end), come out as files holding the link's text.
TEST_F(ExtractedContent, APluginsLinksBecomeFilesHoldingTheirTarget) {
  const QString tree = work.file("tree");
  WriteFile(tree + "/data.bin", QByteArray(5000, 'd'));
  WriteFile(tree + "/sub/inner.txt", "inner");
  ASSERT_TRUE(QFile::link("data.bin", tree + "/inside.lnk"));
  ASSERT_TRUE(QFile::link("/etc/hostname", tree + "/outside.lnk"));
  ASSERT_TRUE(QFile::link(".", tree + "/loop1"));
  ASSERT_TRUE(QFile::link(".", tree + "/sub/loop2"));
  ASSERT_TRUE(QFile::link("../../nowhere", tree + "/sub/dangling.lnk"));
  const QString dest = Destination();

  ASSERT_EQ(compress.UnCompressFile(Tar(tree, "links.tar"), dest).code, crSuccess);
  EXPECT_EQ(NeitherFileNorFolder(dest), QStringList());
  const std::pair<const char*, QByteArray> converted[] = {{"inside.lnk", "data.bin"},
                                                          {"outside.lnk", "/etc/hostname"},
                                                          {"loop1", "."},
                                                          {"sub/loop2", "."},
                                                          {"sub/dangling.lnk", "../../nowhere"}};
  for (const auto& [name, text] : converted) EXPECT_EQ(ReadFile(dest + '/' + name), text) << name;
  EXPECT_EQ(ReadFile(dest + "/data.bin"), QByteArray(5000, 'd'));
}

// A pipe would hang whatever reads it next, a device would be read without end: neither is
// content, and an archive that holds one is not extracted as if it were whole.
TEST_F(ExtractedContent, PipesAndDevicesFailTheExtraction) {
  struct Case {
    const char* name;
    std::function<bool(const QByteArray& path)> make;
  };
  const Case cases[] = {
      {"pipe.txt", [](const QByteArray& path) { return ::mkfifo(path.constData(), 0644) == 0; }},
      {"zero.txt",
       [](const QByteArray& path) { return ::mknod(path.constData(), S_IFCHR | 0644, makedev(1, 5)) == 0; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const QString tree = work.file(QStringLiteral("tree-%1").arg(c.name));
    WriteFile(tree + "/data.bin", QByteArray(5000, 'd'));
    if (!c.make(QFile::encodeName(tree + '/' + c.name))) {
      ASSERT_NE(geteuid(), 0u) << "only a device may need root";
      continue;
    }
    const QString dest = Destination();
    EXPECT_EQ(compress.UnCompressFile(Tar(tree, QStringLiteral("%1.tar").arg(c.name)), dest).code, crFailed);
    EXPECT_EQ(NeitherFileNorFolder(dest), QStringList());
  }
}

// The RAR packer stores a link as a link (-ol); it comes out as a file holding its target, as
// the ZIP and 7z engines write one.
TEST_F(ExtractedContent, ARarSymbolicLinkBecomesAFileHoldingItsTarget) {
  const QString tree = work.file("tree");
  WriteFile(tree + "/lib/libx.so.1.2", QByteArray(7000, 'l'));
  ASSERT_TRUE(QFile::link("libx.so.1.2", tree + "/lib/libx.so"));
  ASSERT_EQ(RunTool("rar", {"a", "-r", "-ol", "-idq", work.file("links.rar"), "lib"}, tree).exitCode, 0);
  const QString dest = Destination();
  const TExtractResult extracted = compress.UnCompressFile(work.file("links.rar"), dest);
  ASSERT_EQ(extracted.code, crSuccess);
  EXPECT_EQ(NeitherFileNorFolder(dest), QStringList());
  EXPECT_EQ(ReadFile(dest + "/lib/libx.so"), "libx.so.1.2");
  EXPECT_EQ(ReadFile(dest + "/lib/libx.so.1.2"), QByteArray(7000, 'l'));
  EXPECT_FALSE(extracted.complete);  // never to take its source's place
}

// A link stored by the ZIP or 7z packer comes out as a file too, and the extraction says it was
// not complete; one without links is.
TEST_F(ExtractedContent, AZipOr7zLinkMakesTheExtractionIncomplete) {
  HM_REQUIRE_TOOL("7z");
  const QString tree = work.file("tree");
  WriteFile(tree + "/lib/libx.so.1.2", QByteArray(7000, 'l'));
  ASSERT_TRUE(QFile::link("libx.so.1.2", tree + "/lib/libx.so"));
  const QString plain = work.file("plain");
  WriteFile(plain + "/lib/libx.so.1.2", QByteArray(7000, 'l'));
  for (const char* type : {"zip", "7z"}) {
    SCOPED_TRACE(type);
    const QString linked = work.file(QStringLiteral("links.%1").arg(type));
    const QString whole = work.file(QStringLiteral("plain.%1").arg(type));
    ASSERT_EQ(
        RunTool("7z", {"a", "-bd", "-snl", QStringLiteral("-t%1").arg(type), linked, "lib"}, tree).exitCode,
        0);
    ASSERT_EQ(RunTool("7z", {"a", "-bd", QStringLiteral("-t%1").arg(type), whole, "lib"}, plain).exitCode, 0);
    QString dest = Destination();
    const TExtractResult fromLinks = compress.UnCompressFile(linked, dest);
    ASSERT_EQ(fromLinks.code, crSuccess);
    EXPECT_EQ(ReadFile(dest + "/lib/libx.so"), "libx.so.1.2");
    EXPECT_FALSE(fromLinks.complete);
    dest = Destination();
    const TExtractResult fromFiles = compress.UnCompressFile(whole, dest);
    ASSERT_EQ(fromFiles.code, crSuccess);
    EXPECT_TRUE(fromFiles.complete);
  }
}

// Every engine, and a plug-in program watched from outside, stops at the size limit and at the
// free-space reserve; the cause is logged. Six MiB of zeros pack to a few kilobytes.
TEST_F(ExtractedContent, EveryEngineStopsAtTheSizeLimitAndTheFreeSpaceReserve) {
  HM_REQUIRE_TOOL("7z");
  const QString tree = work.file("zeros");
  for (const char* name : {"a.bin", "b.bin", "c.bin"})
    WriteFile(tree + '/' + name, QByteArray(2 << 20, '\0'));
  ASSERT_EQ(ff::MakeRar(tree, work.file("zeros.rar")), 0);
  ASSERT_EQ(ff::Make7z(tree, work.file("zeros.zip"), "zip"), 0);
  ASSERT_EQ(ff::Make7z(tree, work.file("zeros.7z")), 0);
  // Through the tar plug-in, which the facade can only watch.
  Tar(tree, "zeros.tar");
  struct statvfs disk {};
  ASSERT_EQ(::statvfs(QFile::encodeName(work.path()).constData(), &disk), 0);
  const quint64 freeBytes = quint64(disk.f_bavail) * disk.f_frsize;

  struct Case {
    const char* name;
    TExtractLimits limits;
    int result;
    const char* cause;
  };
  const Case cases[] = {
      {"no limits", {0, 0}, crSuccess, ""},
      {"size limit", {4 * TExtractLimits::kMiB, 0}, crFailed, "MaxUnpackMB"},
      // Other programs change the free space while this runs: a reserve far beyond it holds.
      {"reserve", {0, freeBytes * 2}, crFailed, "MinFreeMB"},
  };
  for (const char* archive : {"zeros.rar", "zeros.zip", "zeros.7z", "zeros.tar"}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(QStringLiteral("%1, %2").arg(archive, c.name).toStdString());
      compress.SetExtractLimits(c.limits);
      QStringList lines;
      const TLogTap tap([&lines](const TLogLine& line) { lines << line.message; });
      const QString dest = Destination();
      const TExtractResult extracted = compress.UnCompressFile(work.file(archive), dest);
      EXPECT_EQ(extracted.code, c.result);
      if (c.result == crSuccess) {
        EXPECT_EQ(BytesBelow(dest), quint64(6 << 20));
        EXPECT_TRUE(extracted.complete);
      } else {
        EXPECT_FALSE(extracted.complete);
        EXPECT_TRUE(lines.join('\n').contains(c.cause)) << lines.join('\n').toStdString();
      }
    }
  }
}

// Lowers the file-size limit of this process (and the programs it starts) until it goes; a write
// past it then fails with EFBIG instead of ending the process.
class TFileSizeLimit {
 public:
  explicit TFileSizeLimit(rlim_t bytes) {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGXFSZ, &ignore, &previousAction_);
    ::getrlimit(RLIMIT_FSIZE, &previous_);
    rlimit limited = previous_;
    limited.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limited);
  }
  ~TFileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &previous_);
    ::sigaction(SIGXFSZ, &previousAction_, nullptr);
  }
  TFileSizeLimit(const TFileSizeLimit&) = delete;
  TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;

 private:
  rlimit previous_{};
  struct sigaction previousAction_ {};
};

// A small tmpfs the test mounts (it needs root) and removes.
class TSmallDisk {
 public:
  explicit TSmallDisk(const char* size) {
    const QByteArray options = QByteArray("size=") + size;
    mounted_ = ::mount("tmpfs", QFile::encodeName(dir_.path()).constData(), "tmpfs", 0, options.constData()) == 0;
    if (!mounted_) error_ = errno;
  }
  ~TSmallDisk() {
    if (mounted_) ::umount(QFile::encodeName(dir_.path()).constData());
  }
  TSmallDisk(const TSmallDisk&) = delete;
  TSmallDisk& operator=(const TSmallDisk&) = delete;
  bool mounted() const { return mounted_; }
  QString whyNot() const { return QString::fromLocal8Bit(std::strerror(error_)); }
  QString file(const QString& name) const { return dir_.file(name); }

 private:
  TempDir dir_;
  bool mounted_ = false;
  int error_ = 0;
};

// An extraction that cannot write fails with the system's reason as its cause, not an engine's
// guess ("damaged", "write error"): for the ZIP engine, the 7z library (its own format
// and, for AES, its ZIP reader) and the unrar library, under a file-size limit and on a full disk.
// A plug-in program's errors are not heard: only a disk that is full shows.
TEST_F(ExtractedContent, AFailedWriteLogsTheSystemsReason) {
  HM_REQUIRE_TOOL("7z");
  const QString tree = work.file("big");
  WriteFile(tree + "/small.txt", "small");
  WriteFile(tree + "/sub/big.bin", testsupport::RandomBytes(3 << 20));
  ASSERT_EQ(ff::MakeRar(tree, work.file("big.rar")), 0);
  ASSERT_EQ(ff::Make7z(tree, work.file("big.zip"), "zip"), 0);
  ASSERT_EQ(RunTool("7z", {"a", "-bd", "-tzip", "-mem=AES256", "-psecret", work.file("aes.zip"), "*"}, tree).exitCode,
            0);
  ASSERT_EQ(ff::Make7z(tree, work.file("big.7z")), 0);
  Tar(tree, "big.tar");
  compress.SetExtractLimits({0, 0});
  compress.SetUnCompressPwd("secret");

  const auto failsWith = [&](const QString& archive, const QString& dest, const QString& reason) {
    const TExtractResult extracted = compress.UnCompressFile(archive, dest);
    EXPECT_EQ(extracted.code, crFailed);
    EXPECT_TRUE(extracted.cause.contains(reason)) << extracted.cause.toStdString();
  };
  const char* engines[] = {"big.zip", "aes.zip", "big.7z", "big.rar"};
  {
    const TFileSizeLimit limit(1 << 20);
    for (const char* archive : engines) {
      SCOPED_TRACE(QStringLiteral("%1, file-size limit").arg(archive).toStdString());
      failsWith(work.file(archive), Destination(), QString::fromLocal8Bit(std::strerror(EFBIG)));
    }
    SCOPED_TRACE("big.tar, file-size limit");
    failsWith(work.file("big.tar"), Destination(), {});
  }
  for (const char* archive : {"big.zip", "aes.zip", "big.7z", "big.rar", "big.tar"}) {
    SCOPED_TRACE(QStringLiteral("%1, full disk").arg(archive).toStdString());
    const TSmallDisk disk("1m");
    if (!disk.mounted()) GTEST_SKIP() << "cannot mount a small tmpfs here (needs root): " << disk.whyNot().toStdString();
    testsupport::MakeDir(disk.file("out"));  // as the item makes its work folder
    failsWith(work.file(archive), disk.file("out"), QString::fromLocal8Bit(std::strerror(ENOSPC)));
  }
}

// Entries stored with mode 000 (files and folders) come out open to their owner, so a user who is
// not root can clean and repack them; whichever engine or plug-in wrote them.
TEST_F(ExtractedContent, EveryFileAndFolderIsOpenToItsOwner) {
  const QString tree = work.file("tree");
  WriteFile(tree + "/closed.bin", "closed");
  WriteFile(tree + "/locked/inner.bin", "inner");
  const QByteArray closed = QFile::encodeName(tree + "/closed.bin");
  const QByteArray locked = QFile::encodeName(tree + "/locked");
  ASSERT_EQ(::chmod(QFile::encodeName(tree + "/locked/inner.bin").constData(), 0), 0);
  ASSERT_EQ(::chmod(closed.constData(), 0), 0);
  ASSERT_EQ(
      RunTool("rar", {"a", "-r", "-idq", work.file("closed.rar"), "closed.bin", "locked"}, tree).exitCode, 0);
  ASSERT_EQ(::chmod(locked.constData(), 0), 0);
  Tar(tree, "closed.tar");
  ::chmod(locked.constData(), 0700);  // so the fixture can remove it
  const auto mode = [](const QString& path) {
    struct stat st {};
    ::lstat(QFile::encodeName(path).constData(), &st);
    return st.st_mode & 0777;
  };
  for (const char* archive : {"closed.rar", "closed.tar"}) {
    SCOPED_TRACE(archive);
    const QString dest = Destination();
    ASSERT_EQ(compress.UnCompressFile(work.file(archive), dest).code, crSuccess);
    EXPECT_EQ(mode(dest + "/closed.bin") & 0600, 0600u);
    EXPECT_EQ(mode(dest + "/locked/inner.bin") & 0600, 0600u);
    EXPECT_EQ(mode(dest + "/locked") & 0700, 0700u);
    EXPECT_EQ(ReadFile(dest + "/locked/inner.bin"), "inner");
  }
}

// RAR 5 headers end in their CRC-32 over the header size and body: replaces bytes of one header
// (same length) and mends its CRC, as a crafted archive would carry them.
QByteArray PatchRar5Header(QByteArray rar, const QByteArray& within, const QByteArray& from,
                           const QByteArray& to) {
  const auto readVint = [&rar](qsizetype& at) {
    quint64 value = 0;
    for (int shift = 0; at < rar.size(); shift += 7) {
      const quint8 byte = quint8(rar[at++]);
      value |= quint64(byte & 0x7F) << shift;
      if (!(byte & 0x80)) break;
    }
    return value;
  };
  qsizetype at = 8;  // after the signature
  while (at + 4 < rar.size()) {
    const qsizetype start = at;
    at += 4;
    const qsizetype sizeStart = at;
    const quint64 headerSize = readVint(at);
    const qsizetype bodyStart = at;
    const qsizetype end = bodyStart + qsizetype(headerSize);
    readVint(at);  // type
    const quint64 flags = readVint(at);
    if (flags & 1) readVint(at);  // extra area size
    const quint64 dataSize = (flags & 2) ? readVint(at) : 0;
    QByteArray header = rar.mid(sizeStart, end - sizeStart);
    if (header.contains(within) && header.contains(from)) {
      header.replace(header.indexOf(from), from.size(), to);
      rar.replace(sizeStart, header.size(), header);
      const quint32 crc =
          quint32(crc32(0, reinterpret_cast<const Bytef*>(header.constData()), uInt(header.size())));
      for (int i = 0; i < 4; ++i) rar[start + i] = char((crc >> (8 * i)) & 0xFF);
      return rar;
    }
    at = end + qsizetype(dataSize);
  }
  ADD_FAILURE() << "no header holds " << within.constData();
  return rar;
}

// A hard link or file copy stands for its original, so it can only be written once the
// original came out: one whose original is missing or lies outside the destination fails the
// extraction instead of vanishing from it.
TEST_F(ExtractedContent, RarHardLinksAndFileCopiesNeedTheirOriginal) {
  const QString tree = work.file("tree");
  WriteFile(tree + "/a.txt", "the original's content");
  ASSERT_EQ(::link(QFile::encodeName(tree + "/a.txt"), QFile::encodeName(tree + "/b.txt")), 0);
  WriteFile(tree + "/c.txt", "the original's content");
  ASSERT_EQ(RunTool("rar", {"a", "-oh", "-idq", work.file("hard.rar"), "a.txt", "b.txt"}, tree).exitCode, 0);
  ASSERT_EQ(RunTool("rar", {"a", "-oi:1", "-idq", work.file("copy.rar"), "a.txt", "c.txt"}, tree).exitCode,
            0);
  for (const char* name : {"hard.rar", "copy.rar"}) {
    QFile::copy(work.file(name), work.file(QStringLiteral("missing-%1").arg(name)));
    ASSERT_EQ(
        RunTool("rar", {"d", "-idq", work.file(QStringLiteral("missing-%1").arg(name)), "a.txt"}).exitCode,
        0);
    // "a.txt" and "../ab" have the same length, so only the header's CRC changes.
    WriteFile(work.file(QStringLiteral("outside-%1").arg(name)),
              PatchRar5Header(ReadFile(work.file(name)), name == QByteArray("hard.rar") ? "b.txt" : "c.txt",
                              "a.txt", "../ab"));
  }
  struct Case {
    const char* archive;
    int result;
  };
  const Case cases[] = {{"hard.rar", crSuccess},        {"copy.rar", crSuccess},
                        {"missing-hard.rar", crFailed}, {"missing-copy.rar", crFailed},
                        {"outside-hard.rar", crFailed}, {"outside-copy.rar", crFailed}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.archive);
    const QString dest = Destination();
    EXPECT_EQ(compress.UnCompressFile(work.file(c.archive), dest).code, c.result);
    if (c.result == crSuccess) {
      EXPECT_EQ(testsupport::TreeListing(dest),
                QStringList({"a.txt", c.archive[0] == 'h' ? "b.txt" : "c.txt"}));
    }
    EXPECT_FALSE(QFileInfo::exists(work.path() + "/ab"));
  }
}

// A self-extracting program is tried as RAR, ZIP and 7z in turn: what a failed attempt wrote is
// gone before the next one, so a polyglot's RAR part never ends up beside its ZIP part.
TEST_F(ExtractedContent, ASelfExtractingAttemptStartsFromAnEmptyFolder) {
  HM_REQUIRE_TOOL("python3");
  const QString tree = work.file("rar-tree");
  WriteFile(tree + "/1-first.txt", "from the RAR part");
  WriteFile(tree + "/2-second.bin", testsupport::RandomBytes(200000));
  ASSERT_EQ(RunTool("rar", {"a", "-m0", "-idq", work.file("part.rar"), "1-first.txt", "2-second.bin"}, tree)
                .exitCode,
            0);
  // The RAR part ends inside its second file, so its extraction fails after the first.
  const QByteArray rar = ReadFile(work.file("part.rar"));
  WriteFile(work.file("polyglot.exe"), ff::SelfExtracting(rar.left(rar.size() - 100000)));
  ASSERT_EQ(RunTool("python3", {"-c",
                                "import sys, zipfile\n"
                                "with zipfile.ZipFile(sys.argv[1], 'a') as z:\n"
                                "    z.writestr('from-zip.txt', 'from the ZIP part')\n",
                                work.file("polyglot.exe")})
                .exitCode,
            0);
  const QString dest = Destination();
  const TExtractResult extracted = compress.UnCompressFile(work.file("polyglot.exe"), dest);
  ASSERT_EQ(extracted.code, crSuccess);
  EXPECT_EQ(extracted.format, ".zip");
  EXPECT_EQ(testsupport::TreeListing(dest), QStringList({"from-zip.txt"}));
}

}  // namespace
