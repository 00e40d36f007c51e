#include "compress/zip/ZipGeneralReader.h"

#include <QStringList>

#include "compress/common/CompressResult.h"
#include "compress/common/ExtractTarget.h"
#include "compress/zip/ZipDirectory.h"
#include "compress/zip/ZipExtractPool.h"
#include "compress/zip/ZipNames.h"

TZipGeneralReader::TZipGeneralReader(QString zipFile, QString destDir, QByteArray password, int threads,
                                     TExtractLedger* ledger, std::function<void()> onBadPassword)
    : zipFile_(std::move(zipFile)),
      destDir_(std::move(destDir)),
      password_(std::move(password)),
      threads_(threads),
      ledger_(ledger),
      onBadPassword_(std::move(onBadPassword)) {}

int TZipGeneralReader::Run() {
  TZipDirectory archive;
  if (!archive.Open(zipFile_)) return Fail(crFailed, QStringLiteral("cannot read the archive's directory"));
  // Entries that share their data (a zip bomb) are refused before anything is made.
  if (!archive.EntriesApart())
    return Fail(crFailed, QStringLiteral("entries share their data (a zip bomb, or damage)"));
  TExtractTarget target(destDir_, ledger_);
  QStringList names;
  names.reserve(qsizetype(archive.entries().size()));
  for (const TZipEntryRecord& e : archive.entries()) names << DecodeEntryName(e);

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
  QString passwordCause;  // the result then, whatever else failed
  const std::vector<TZipExtractOutcome> outcomes =
      TZipExtractPool(zipFile_, archive, target, threads_).Run(names, password_, false);
  for (size_t i = 0; i < outcomes.size(); ++i) {
    switch (outcomes[i]) {
      case TZipExtractOutcome::File:
        ++files;
        break;
      case TZipExtractOutcome::Folder:
        break;
      case TZipExtractOutcome::BadPassword:
        onBadPassword_();
        badPassword = true;
        passwordCause = QStringLiteral("wrong or missing password for entry \"%1\"").arg(names[qsizetype(i)]);
        break;
      case TZipExtractOutcome::Unsafe:
        failed = true;
        cause_ = QStringLiteral("entry \"%1\" would leave the destination").arg(names[qsizetype(i)]);
        break;
      case TZipExtractOutcome::Failed:
        failed = true;
        cause_ = QStringLiteral("entry \"%1\" is damaged, uses an unsupported method or cannot be written")
                     .arg(names[qsizetype(i)]);
        break;
    }
  }
  target.ApplyFolderTimes();
  if (badPassword) return Fail(crWrongPassword, passwordCause);
  if (failed) return crFailed;
  if (files == 0) return Fail(crFailed, QStringLiteral("the archive holds no file"));
  return crSuccess;
}

int TZipGeneralReader::Fail(int result, const QString& cause) {
  cause_ = cause;
  return result;
}
