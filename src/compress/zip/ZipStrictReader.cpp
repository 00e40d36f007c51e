#include "compress/zip/ZipStrictReader.h"

#include "compress/common/EntryPath.h"
#include "compress/zip/ZipDirectory.h"
#include "compress/zip/ZipExtractor.h"

namespace {

bool Accepts(const TZipEntryRecord& e) {
  return e.IsUtf8() && !e.IsEncrypted() && !(e.flags & kZipFlagStrongEncryption) &&
         (e.method == kZipMethodStored || e.method == kZipMethodDeflated) &&
         SafeEntryPath(QStringLiteral("/"), QString::fromUtf8(e.name)).has_value();
}

}  // namespace

TZipStrictReader::TZipStrictReader(QString zipFile, QString destDir)
    : zipFile_(std::move(zipFile)), destDir_(std::move(destDir)) {}

bool TZipStrictReader::Run() {
  TZipDirectory archive;
  if (!archive.Open(zipFile_)) return false;
  for (const TZipEntryRecord& e : archive.entries())
    if (!Accepts(e)) return false;
  TZipExtractTarget target(destDir_);
  TZipExtractor extractor(archive, target);
  for (const TZipEntryRecord& e : archive.entries()) {
    const TZipExtractOutcome outcome = extractor.Extract(e, QString::fromUtf8(e.name), QByteArray());
    if (outcome != TZipExtractOutcome::File && outcome != TZipExtractOutcome::Folder) return false;
  }
  target.ApplyFolderTimes();
  return true;
}
