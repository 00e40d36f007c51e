#pragma once
// The compression kernel of the writer. A file's data is cut into pieces at fixed offsets and
// each piece is deflated on its own, from a fresh start; every piece but the last is then opened
// for the next one (see TZipPieceJoiner), so the pieces joined in order are one deflate stream.
// A piece that a quick trial on a few samples finds incompressible (compressed media, archives,
// random data) goes into stored blocks without the search for matches. The result depends only
// on the data, never on which thread made it.
#include <QByteArray>
#include <QString>

#include <cstdint>
#include <memory>

#include "compress/zip/ZipPieceJoiner.h"

struct TZipSource;
struct libdeflate_compressor;

constexpr uint32_t kZipChunkSize = 1u << 20;
constexpr int kZipDeflateLevel = 6;

struct TZipChunk {
  size_t source = 0;  // index into the sources
  uint64_t offset = 0;
  uint32_t length = 0;
  bool last = true;  // the file's last piece
};

struct TZipChunkResult {
  QByteArray data;      // deflated bytes, or the raw bytes when `stored`
  uint32_t crc = 0;     // CRC-32 of the raw bytes of this piece
  bool stored = false;  // a file of one piece that deflate would not shrink is kept as it is
  bool ok = false;
  QString error;
};

// Pieces of a file of this size; an empty file is one empty piece.
uint64_t ZipChunkCount(uint64_t size);
// The most bytes the pieces of a file of this size can deflate to, joined.
uint64_t ZipDeflatedBound(uint64_t size);

class TZipChunkDeflater {
 public:
  TZipChunkDeflater();
  ~TZipChunkDeflater();
  TZipChunkResult Compress(const TZipSource& source, const TZipChunk& chunk);

 private:
  struct TCompressorFree {
    void operator()(libdeflate_compressor* c) const;
  };
  using TCompressor = std::unique_ptr<libdeflate_compressor, TCompressorFree>;
  static TCompressor NewCompressor(int level);
  bool LooksIncompressible(const char* data, uint32_t length);

  TCompressor compressor_;  // the archive's level
  TCompressor trial_;       // fast, for the samples
  TCompressor storer_;      // stored blocks only
  QByteArray sampleOut_;
  TZipPieceJoiner joiner_;
};
