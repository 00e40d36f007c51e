#include "compress/zip/ZipGeneralReader.h"

#include <QStringList>

#include "compress/common/CompressResult.h"
#include "compress/zip/ZipDirectory.h"
#include "compress/zip/ZipExtractPool.h"
#include "compress/zip/ZipExtractTarget.h"
#include "compress/zip/ZipNames.h"

TZipGeneralReader::TZipGeneralReader(QString zipFile, QString destDir, QByteArray password, int threads,
                                     std::function<void()> onBadPassword)
    : zipFile_(std::move(zipFile)),
      destDir_(std::move(destDir)),
      password_(std::move(password)),
      threads_(threads),
      onBadPassword_(std::move(onBadPassword)) {}

int TZipGeneralReader::Run() {
  TZipDirectory archive;
  if (!archive.Open(zipFile_)) return crFailed;
  TZipExtractTarget target(destDir_);
  QStringList names;
  names.reserve(qsizetype(archive.entries().size()));
  for (const TZipEntryRecord& e : archive.entries()) names << DecodeEntryName(e);

  // Entries that share their data (a zip bomb) are refused before anything is made.
  if (!archive.EntriesApart()) return crFailed;

  // Every entry's folders first; one that cannot be made is left to its entry to report.
  for (const QString& name : names) {
    const auto path = target.PathFor(name);
    if (!path) continue;
    if (IsFolderEntryName(name))
      target.MakeFolder(*path);
    else
      target.MakeParentFolder(*path);
  }

  int files = 0;
  bool failed = false;
  bool badPassword = false;
  for (const TZipExtractOutcome outcome :
       TZipExtractPool(zipFile_, archive, target, threads_).Run(names, password_, false)) {
    switch (outcome) {
      case TZipExtractOutcome::File:
        ++files;
        break;
      case TZipExtractOutcome::Folder:
        break;
      case TZipExtractOutcome::BadPassword:
        onBadPassword_();
        badPassword = true;
        break;
      case TZipExtractOutcome::Unsafe:
      case TZipExtractOutcome::Failed:
        failed = true;
        break;
    }
  }
  target.ApplyFolderTimes();
  if (badPassword) return crWrongPassword;
  if (failed || files == 0) return crFailed;
  return crSuccess;
}
