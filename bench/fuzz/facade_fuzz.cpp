// libFuzzer target of the archive facade with the RAR and 7z libraries (and whatever else the
// facade detects: ZIP, self-extracting programs). Each input is an archive file in a scratch
// folder below $TMPDIR (or /dev/shm); the facade extracts it with the password "secret" into a
// folder beside it, both removed again. Extraction is limited to 64 MiB so a bomb ends in the
// ledger, not in the disk.
//
// Beyond what the sanitizers catch, an extraction must leave nothing beside its destination and
// nothing but regular files and folders in it, each open to its owner, and a success must not
// have passed the limit.
#include <QLoggingCategory>
#include <QString>

#include <ftw.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <string>

#include "FuzzScratch.h"
#include "compress/common/CompressResult.h"
#include "compress/common/ExtractedTree.h"
#include "compress/vxCompress.h"

namespace {

constexpr quint64 kLimit = 64 * TExtractLimits::kMiB;

const std::string& ScratchFolder() {
  static const std::string folder = MakeScratchFolder("hm-facade-fuzz");
  return folder;
}

// Only the archive and the destination beside each other; below it, regular files and folders
// that their owner may read and write (and enter).
int CheckOne(const char* path, const struct stat* st, int type, struct FTW* at) {
  const std::string name = path + at->base;
  if (at->level == 1) return name == "archive" || name == "out" ? 0 : 1;
  if (at->level == 0) return 0;
  if (type == FTW_D || type == FTW_DP) return (st->st_mode & S_IRWXU) == S_IRWXU ? 0 : 1;
  if (type == FTW_F && S_ISREG(st->st_mode)) return (st->st_mode & 0600) == 0600 ? 0 : 1;
  return 1;
}

TvxCompress& Facade() {
  static TvxCompress facade(QStringLiteral(HM_FUZZ_ENGINE_DIR));
  return facade;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The facade logs every failure; at thousands of inputs a second that is all the run would do.
  QLoggingCategory::setFilterRules(QStringLiteral("harrowmint.*=false"));
  Facade().SetUnCompressPwd(QStringLiteral("secret"));
  Facade().SetExtractLimits({kLimit, 0});
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& scratch = ScratchFolder();
  const std::string archive = scratch + "/archive";
  FILE* file = fopen(archive.c_str(), "wb");
  if (!file || (size > 0 && fwrite(data, 1, size, file) != size) || fclose(file) != 0) abort();
  const QString out = QString::fromStdString(scratch + "/out");
  if (mkdir((scratch + "/out").c_str(), 0700) != 0) abort();

  const int result = Facade().UnCompressFile(QString::fromStdString(archive), out).code;

  if (nftw(scratch.c_str(), CheckOne, 16, FTW_PHYS) != 0) abort();
  if (result == crSuccess && BytesBelow(out) > kLimit) abort();
  nftw(scratch.c_str(), RemoveOne, 16, FTW_DEPTH | FTW_PHYS);
  if (mkdir(scratch.c_str(), 0700) != 0) abort();
  return 0;
}
