#include "compress/zip/ZipPieceJoiner.h"

#include <zlib.h>

#include <new>
#include <vector>

namespace {
// What zlib's inflate reports in data_type when it stops with Z_BLOCK: the bits of the last
// byte taken that it has not used, whether it is in the stream's final block, and whether it
// stopped right after a block's end.
constexpr int kUnusedBits = 7;
constexpr int kInFinalBlock = 64;
constexpr int kAtBlockEnd = 128;
// Decoded bytes are only looked through, never kept; a larger buffer saves zlib copying them
// into its window after every call.
constexpr size_t kScratchSize = 256 * 1024;
}  // namespace

struct TZipPieceJoiner::TWalker {
  TWalker() {
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) throw std::bad_alloc();
  }
  ~TWalker() { inflateEnd(&stream); }
  z_stream stream{};
  std::vector<Bytef> scratch = std::vector<Bytef>(kScratchSize);
};

TZipPieceJoiner::TZipPieceJoiner() : walker_(std::make_unique<TWalker>()) {}

TZipPieceJoiner::~TZipPieceJoiner() = default;

bool TZipPieceJoiner::MakeContinuable(QByteArray& piece) {
  z_stream* s = &walker_->stream;
  inflateReset(s);
  s->next_in = reinterpret_cast<Bytef*>(piece.data());
  s->avail_in = uInt(piece.size());
  uint64_t finalHeaderBit = 0;  // a stream of one block: the final one starts it
  int paddingBits = -1;
  for (;;) {
    s->next_out = walker_->scratch.data();
    s->avail_out = uInt(walker_->scratch.size());
    const int rc = inflate(s, Z_BLOCK);
    if (rc == Z_STREAM_END) break;
    if (rc != Z_OK) return false;
    if (!(s->data_type & kAtBlockEnd)) continue;
    const int unused = s->data_type & kUnusedBits;
    if (s->data_type & kInFinalBlock)
      paddingBits = unused;
    else
      finalHeaderBit = uint64_t(s->total_in) * 8 - uint64_t(unused);  // where the next block starts
  }
  if (s->total_in != uLong(piece.size()) || paddingBits < 0) return false;

  piece[qsizetype(finalHeaderBit / 8)] =
      char(piece[qsizetype(finalHeaderBit / 8)] & ~(1 << (finalHeaderBit % 8)));
  // The stored block's three header bits are zero: they fit in the final byte's padding when it
  // has room, else in one more byte. Then come its length, 0, and the length's complement.
  if (paddingBits < 3) piece.append('\0');
  piece.append("\0\0\xff\xff", 4);
  return true;
}
