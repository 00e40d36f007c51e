#include "compress/zip/ZipStrictReader.h"

#include "compress/common/EntryPath.h"
#include "compress/common/ExtractTarget.h"
#include "compress/zip/ZipDirectory.h"
#include "compress/zip/ZipExtractPool.h"
#include "compress/zip/ZipNames.h"

namespace {

bool Accepts(const TZipEntryRecord& e) {
  const QString name = DecodeEntryName(e);
  const bool safeName = SafeEntryPath(QStringLiteral("/"), name).has_value() ||
                        (IsFolderEntryName(name) && NamesDestinationItself(name));
  return e.IsUtf8() && !e.IsEncrypted() && !(e.flags & kZipFlagStrongEncryption) &&
         (e.method == kZipMethodStored || e.method == kZipMethodDeflated) && safeName;
}

}  // namespace

TZipStrictReader::TZipStrictReader(QString zipFile, QString destDir, int threads, TExtractLedger* ledger)
    : zipFile_(std::move(zipFile)), destDir_(std::move(destDir)), threads_(threads), ledger_(ledger) {}

bool TZipStrictReader::Run() {
  TZipDirectory archive;
  if (!archive.Open(zipFile_) || !archive.EntriesApart()) return false;
  for (const TZipEntryRecord& e : archive.entries())
    if (!Accepts(e)) return false;
  QStringList names;
  names.reserve(qsizetype(archive.entries().size()));
  for (const TZipEntryRecord& e : archive.entries()) names << DecodeEntryName(e);
  TExtractTarget target(destDir_, ledger_);
  for (const TZipExtractOutcome outcome :
       TZipExtractPool(zipFile_, archive, target, threads_).Run(names, QByteArray(), true))
    if (outcome != TZipExtractOutcome::File && outcome != TZipExtractOutcome::Folder) return false;
  target.ApplyFolderTimes();
  return true;
}
