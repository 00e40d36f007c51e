#pragma once
// Writes the entries of a source plan into an archive: local headers and data (deflated on
// several threads, stored when deflate does not shrink a file or a trial finds a file of one
// piece incompressible, encrypted with ZipCrypto when a password is set), then the central
// directory and the end records, with ZIP64 records wherever a size, an offset or the entry
// count needs them.
#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "compress/common/Progress.h"
#include "compress/zip/ZipChunkDeflater.h"
#include "compress/zip/ZipNames.h"
#include "compress/zip/ZipRecords.h"
#include "compress/zip/ZipSourcePlan.h"

class TZipCrypto;
class TZipDeflatePool;
class TZipOutput;

struct TZipWriteOptions {
  QByteArray password;                 // ANSI code page; empty: no encryption
  QByteArray comment;                  // ANSI code page, at most 65535 bytes
  int threads = 1;                     // deflate threads; the archive is the same for any number
  std::optional<uint64_t> cryptoSeed;  // fixes the encryption headers' random bytes (tests)
  TByteProgress progress;              // hears the source bytes packed so far of their total
  std::function<bool()> stopRequested;  // asked after every piece: yes ends the writing (a failure)
};

class TZipArchiveWriter {
 public:
  TZipArchiveWriter(TZipOutput& output, TZipWriteOptions options);
  ~TZipArchiveWriter();

  // False on any error (error() says what); the output is then incomplete and must be dropped.
  bool Write(const std::vector<TZipSource>& sources);
  const QString& error() const { return error_; }

 private:
  struct TWritten {
    TZipEntryRecord record;
    int64_t mtimeSeconds;
    bool zip64Local;
  };

  TZipEntryRecord NewRecord(const TZipSource& source) const;
  bool WriteFolder(const TZipSource& source);
  bool WriteFile(const TZipSource& source, TZipDeflatePool& pool);
  bool WriteSinglePiece(TZipEntryRecord& record, const TZipSource& source, TZipChunkResult& piece);
  bool WritePieces(TZipEntryRecord& record, const TZipSource& source, TZipChunkResult& first,
                   TZipDeflatePool& pool);
  bool RewriteStored(TZipEntryRecord& record, const TZipSource& source);
  bool WriteHeader(const TZipEntryRecord& record, const TZipSource& source, bool zip64Local);
  bool BeginData(const TZipEntryRecord& record);
  bool WriteData(QByteArray& data);
  bool WriteDirectory();
  bool Fail(const QString& message);
  // Counts the bytes packed; false as GoesOn.
  bool Advance(uint64_t bytes);
  // False, with the error set, once a stop was requested.
  bool GoesOn();
  bool OutputFailed();

  TZipOutput& output_;
  TZipWriteOptions options_;
  TZipNameEncoder names_;
  uint64_t seed_;
  std::unique_ptr<TZipCrypto> crypto_;  // the entry being written, when encrypted
  std::vector<TWritten> written_;
  uint64_t sourceBytes_ = 0;  // of every file
  uint64_t packedBytes_ = 0;  // of those written so far
  QString error_;
};
