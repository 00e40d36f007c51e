#pragma once
// The first extraction path: takes only archives whose entry names are all flagged UTF-8 and
// whose entries are neither encrypted nor compressed by a method other than store or deflate
// (nor named so that they would leave the destination, nor sharing their data). Anything else is
// refused before a byte is written; a failure half-way leaves what was written. Either way the
// general reader then decides the result.
#include <QString>

class TExtractLedger;

class TZipStrictReader {
 public:
  // Files are written on up to `threads` threads, each byte accounted in the ledger (if any).
  TZipStrictReader(QString zipFile, QString destDir, int threads, TExtractLedger* ledger);
  // True when every entry was extracted.
  bool Run();

 private:
  QString zipFile_;
  QString destDir_;
  int threads_;
  TExtractLedger* ledger_;
};
