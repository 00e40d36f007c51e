#pragma once
// The compression kernel of the writer. A file's data is cut into pieces at fixed offsets and
// each piece is deflated on its own: a later piece is primed with the 32 KiB before it and every
// piece but the last ends on a byte boundary (a sync flush), so the pieces joined in order are
// one deflate stream. The result depends only on the data, never on which thread made it.
#include <QByteArray>
#include <QString>

#include <zlib.h>

#include <cstdint>
#include <memory>

struct TZipSource;

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
  bool stored = false;  // a file of one piece that deflate does not shrink is kept as it is
  bool ok = false;
  QString error;
};

// Pieces of a file of this size; an empty file is one empty piece.
uint64_t ZipChunkCount(uint64_t size);

class TZipChunkDeflater {
 public:
  TZipChunkDeflater();
  TZipChunkResult Compress(const TZipSource& source, const TZipChunk& chunk);

 private:
  struct TDeflateEnd {
    void operator()(z_stream* s) const;
  };
  std::unique_ptr<z_stream, TDeflateEnd> stream_;
};
