// libFuzzer target of the ZIP reader. Each input is an archive: it is listed, then extracted by
// the engine (strict and general reader, two threads, with a password for encrypted entries)
// into a scratch folder on a memory file system, which is emptied again. The archive itself is a
// memory file reached through /proc/self/fd, as the reader opens archives by path.
//
// Beyond what the sanitizers catch, an extraction must leave nothing beside its destination and
// nothing but files and folders in it, and a success must have written every file entry.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <ftw.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <string>

#include "compress/common/CompressResult.h"
#include "compress/common/EngineContext.h"
#include "compress/common/EntryPath.h"
#include "compress/zip/ZipEngine.h"
#include "compress/zip/ZipExtractor.h"

namespace {

// A folder of this process below $TMPDIR (or /dev/shm), made on first use.
const std::string& ScratchFolder() {
  static const std::string folder = [] {
    const char* base = getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/dev/shm") + "/hm-zip-fuzz-XXXXXX";
    if (!mkdtemp(pattern.data())) abort();
    return pattern;
  }();
  return folder;
}

int RemoveOne(const char* path, const struct stat*, int, struct FTW*) { return ::remove(path); }

int CountOne(const char* path, const struct stat* st, int type, struct FTW* at) {
  if (at->level == 1 && std::string(path + at->base) != "out") return 1;  // beside the destination
  if (type != FTW_D && type != FTW_DP && !(type == FTW_F && S_ISREG(st->st_mode))) return 1;
  return 0;
}

bool OnlyFilesAndFoldersInOut(const std::string& scratch) {
  return nftw(scratch.c_str(), CountOne, 16, FTW_PHYS) == 0;
}

bool IsRegularFile(const QString& path) {
  struct stat st {};
  return ::lstat(path.toUtf8().constData(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const int fd = memfd_create("archive.zip", 0);
  if (fd < 0) abort();
  if (size > 0 && write(fd, data, size) != ssize_t(size)) abort();
  const QString archive = QStringLiteral("/proc/self/fd/%1").arg(fd);
  const std::string& scratch = ScratchFolder();
  const QString out = QString::fromStdString(scratch + "/out");

  TEngineContext context;
  context.unCompressPwd = QStringLiteral("secret");
  TZipEngine engine(context);
  engine.SetThreadCount(2);
  QStringList names;
  const bool listed = engine.ListZipFiles(archive, names) == crSuccess;
  const int result = engine.UnZipFile(archive, out);

  if (!OnlyFilesAndFoldersInOut(scratch)) abort();
  if (result == crSuccess && listed) {
    for (const QString& name : names) {
      const auto path = SafeEntryPath(out, name);
      if (path && !IsFolderEntryName(name) && !IsRegularFile(*path)) abort();
    }
  }
  nftw(out.toUtf8().constData(), RemoveOne, 16, FTW_DEPTH | FTW_PHYS);
  close(fd);
  return 0;
}
