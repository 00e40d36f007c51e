// Pieces deflated separately and joined make one deflate stream that an independent inflater
// reads back whole, whatever kind of block a piece ends with and however its last byte is filled;
// anything that is not one complete stream is refused untouched.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QList>
#include <QRandomGenerator>

#include <libdeflate.h>
#include <zlib.h>

#include <memory>
#include <set>

#include "compress/zip/ZipPieceJoiner.h"

namespace {

QByteArray Deflate(const QByteArray& data, int level) {
  std::unique_ptr<libdeflate_compressor, void (*)(libdeflate_compressor*)> c(
      libdeflate_alloc_compressor(level), libdeflate_free_compressor);
  QByteArray out(qsizetype(libdeflate_deflate_compress_bound(c.get(), size_t(data.size()))),
                 Qt::Uninitialized);
  out.resize(qsizetype(libdeflate_deflate_compress(c.get(), data.constData(), size_t(data.size()), out.data(),
                                                   size_t(out.size()))));
  return out;
}

// zlib's raw inflate of the whole stream; null when it is not one complete stream.
QByteArray Inflate(const QByteArray& stream, qsizetype expected) {
  z_stream s{};
  inflateInit2(&s, -MAX_WBITS);
  QByteArray out(expected + 1, Qt::Uninitialized);
  s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(stream.constData()));
  s.avail_in = uInt(stream.size());
  s.next_out = reinterpret_cast<Bytef*>(out.data());
  s.avail_out = uInt(out.size());
  const int rc = inflate(&s, Z_FINISH);
  const bool whole = rc == Z_STREAM_END && s.avail_in == 0;
  out.resize(qsizetype(s.total_out));
  inflateEnd(&s);
  return whole ? out : QByteArray();
}

// Bits at the top of a complete stream's last byte that only pad it: setting them changes nothing.
int PaddingBits(const QByteArray& stream, const QByteArray& data) {
  int padding = 0;
  for (int k = 1; k < 8; ++k) {
    QByteArray marked = stream;
    marked[marked.size() - 1] = char(marked.back() | (0xff << (8 - k)));
    if (Inflate(marked, data.size()) == data) padding = k;
  }
  return padding;
}

QByteArray Text(qsizetype size, int seed) {
  QByteArray t;
  for (int i = 0; t.size() < size; ++i)
    t += "line " + QByteArray::number(i * seed % 9973) + " of some text\n";
  return t.left(size);
}

QByteArray Random(qsizetype size, quint32 seed) {
  QByteArray b(size, Qt::Uninitialized);
  QRandomGenerator gen(seed);
  for (char& c : b) c = char(gen.generate());
  return b;
}

}  // namespace

TEST(ZipPieceJoiner, JoinedPiecesInflateToTheWholeData) {
  // Stored blocks (level 0, random data), fixed and dynamic Huffman blocks, streams of one block
  // and of several; short texts of many lengths leave every number of padding bits.
  QList<QByteArray> pieces = {Random(70000, 1), Text(300000, 7), QByteArray(200000, '\0'), Random(100, 2)};
  for (int n = 1; n <= 120; ++n) pieces << Text(n * 7, n);
  std::set<int> paddings;
  for (const int level : {0, 1, 6, 12}) {
    SCOPED_TRACE(level);
    TZipPieceJoiner joiner;
    QByteArray joined, whole;
    for (const QByteArray& piece : pieces) {
      QByteArray stream = Deflate(piece, level);
      paddings.insert(PaddingBits(stream, piece));
      ASSERT_TRUE(joiner.MakeContinuable(stream));
      joined += stream;
      whole += piece;
    }
    const QByteArray last = Text(5000, 3);
    joined += Deflate(last, level);
    whole += last;
    EXPECT_TRUE(Inflate(joined, whole.size()) == whole);
  }
  // Whether the empty stored block's header fits into the padding or needs a byte of its own.
  EXPECT_EQ(paddings, (std::set<int>{0, 1, 2, 3, 4, 5, 6, 7}));
}

TEST(ZipPieceJoiner, RefusesWhatIsNotOneCompleteStream) {
  const QByteArray stream = Deflate(Text(100000, 5), 6);
  const QByteArray cases[] = {
      QByteArray(),
      stream.left(stream.size() / 2),
      stream + "trailing bytes",
      Random(5000, 9),
  };
  TZipPieceJoiner joiner;
  for (const QByteArray& c : cases) {
    QByteArray piece = c;
    EXPECT_FALSE(joiner.MakeContinuable(piece)) << c.size();
    EXPECT_TRUE(piece == c);
  }
  // And the joiner is still good for a whole stream afterwards.
  QByteArray piece = stream;
  EXPECT_TRUE(joiner.MakeContinuable(piece));
}
