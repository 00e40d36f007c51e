#pragma once
// Reads every entry's data of an archive back without writing it: decryption with the password,
// inflation, size and CRC, as extraction checks them, on several threads. This is how an archive
// just written is proved whole before it counts.
#include <QByteArray>
#include <QString>

class TZipTester {
 public:
  // threads <= 1 reads every entry on the caller's thread.
  TZipTester(QString zipFile, QByteArray password, int threads);
  // A TCompressResult: crSuccess when every entry read back whole; crWrongPassword when an
  // encrypted entry's check byte refuses the password; crFailed for anything else (the directory
  // cannot be read, entries share their data, an entry is damaged or of a method not read here).
  // Stops at the first entry that fails.
  int Run();
  // Why Run failed, for the log.
  const QString& cause() const { return cause_; }

 private:
  int Fail(int result, const QString& cause);

  QString zipFile_;
  QByteArray password_;
  int threads_;
  QString cause_;
};
