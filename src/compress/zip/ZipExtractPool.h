#pragma once
// Extracts every entry of an opened archive, the files on several threads. Folder entries and
// names that cannot be written are dealt with first, in order, on the caller's thread; then the
// files are shared out, each thread reading the archive through its own input. Entries that name
// the same path go to one thread in archive order, so the last of them wins, as it does when
// entries are extracted one by one.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

#include "compress/zip/ZipExtractor.h"

class TZipDirectory;
class TExtractTarget;

class TZipExtractPool {
 public:
  // `zipFile` is the archive `archive` has opened (the other threads open it again); threads <= 1
  // extracts everything on the caller's thread.
  TZipExtractPool(QString zipFile, TZipDirectory& archive, TExtractTarget& target, int threads);

  // The outcome of every entry, in entry order; names[i] is the name of entry i. With
  // stopAtFailure, entries not yet begun when one fails are left alone and count as Failed.
  std::vector<TZipExtractOutcome> Run(const QStringList& names, const QByteArray& password,
                                      bool stopAtFailure);

 private:
  QString zipFile_;
  TZipDirectory& archive_;
  TExtractTarget& target_;
  int threads_;
};
