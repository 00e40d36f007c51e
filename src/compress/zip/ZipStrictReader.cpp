#include "compress/zip/ZipStrictReader.h"

#include "compress/common/EntryPath.h"
#include "compress/zip/ZipDirectory.h"
#include "compress/zip/ZipExtractor.h"

namespace {

bool Accepts(const TZipEntryRecord& e) {
  const QString name = QString::fromUtf8(e.name);
  const bool safeName = SafeEntryPath(QStringLiteral("/"), name).has_value() ||
                        (IsFolderEntryName(name) && NamesDestinationItself(name));
  return e.IsUtf8() && !e.IsEncrypted() && !(e.flags & kZipFlagStrongEncryption) &&
         (e.method == kZipMethodStored || e.method == kZipMethodDeflated) && safeName;
}

}  // namespace

TZipStrictReader::TZipStrictReader(QString zipFile, QString destDir)
    : zipFile_(std::move(zipFile)), destDir_(std::move(destDir)) {}

bool TZipStrictReader::Run() {
  TZipDirectory archive;
  if (!archive.Open(zipFile_)) return false;
  for (const TZipEntryRecord& e : archive.entries())
    if (!Accepts(e)) return false;
  TExtractTarget target(destDir_);
  TZipExtractor extractor(archive, target);
  for (const TZipEntryRecord& e : archive.entries()) {
    const TZipExtractOutcome outcome = extractor.Extract(e, QString::fromUtf8(e.name), QByteArray());
    if (outcome != TZipExtractOutcome::File && outcome != TZipExtractOutcome::Folder) return false;
  }
  target.ApplyFolderTimes();
  return true;
}
