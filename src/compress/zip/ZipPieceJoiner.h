#pragma once
// Joins separately deflated pieces into one deflate stream. A compressor that starts every piece
// afresh also ends it with a final block, where readers would stop; the joiner finds that block
// by walking the piece's blocks with zlib's inflate, clears its final bit and ends the piece with
// an empty stored block, as a sync flush does, so that the next piece follows on a byte boundary.
#include <QByteArray>

#include <memory>

class TZipPieceJoiner {
 public:
  // Bytes a piece grows by at most.
  static constexpr int kGrowth = 5;

  TZipPieceJoiner();
  ~TZipPieceJoiner();
  TZipPieceJoiner(const TZipPieceJoiner&) = delete;
  TZipPieceJoiner& operator=(const TZipPieceJoiner&) = delete;

  // False, and the piece unchanged, when it is not exactly one complete raw deflate stream.
  bool MakeContinuable(QByteArray& piece);

 private:
  struct TWalker;
  std::unique_ptr<TWalker> walker_;
};
