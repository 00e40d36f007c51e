#pragma once
// The general extraction path: every archive the strict reader refused or failed on, names in
// UTF-8 or the OEM code page, encrypted entries with the password given. A wrong password raises
// the bad-password event. Unlike a reader that counts extracted files, any entry that could not
// be written (damaged, unsupported, unsafe name, wrong password) fails the whole extraction, so
// an incomplete archive is never repacked as if it were whole. An archive whose entries share
// their data (a zip bomb) is refused before anything is written.
#include <QByteArray>
#include <QString>

#include <functional>

class TExtractLedger;

class TZipGeneralReader {
 public:
  // Files are written on up to `threads` threads, each byte accounted in the ledger (if any); the
  // event fires on the caller's.
  TZipGeneralReader(QString zipFile, QString destDir, QByteArray password, int threads,
                    TExtractLedger* ledger, std::function<void()> onBadPassword);
  // A TCompressResult: crSuccess, crWrongPassword (the event fired) or crFailed.
  int Run();
  // Why Run failed, for the log.
  const QString& cause() const { return cause_; }

 private:
  int Fail(int result, const QString& cause);

  QString zipFile_;
  QString destDir_;
  QByteArray password_;
  int threads_;
  TExtractLedger* ledger_;
  std::function<void()> onBadPassword_;
  QString cause_;
};
