#include "compress/zip/ZipChunkDeflater.h"

#include <libdeflate.h>

#include <new>

#include "compress/zip/ZipCrc.h"
#include "compress/zip/ZipFileHandle.h"
#include "compress/zip/ZipSourcePlan.h"

namespace {
// The samples of the incompressibility trial: evenly spread over pieces of at least twice their
// total size; a sample passes when the fast level shrinks it by at least 1/64.
constexpr uint32_t kSampleSize = 32 * 1024;
constexpr uint32_t kSamples = 4;
constexpr uint32_t kSampledPiece = 2 * kSamples * kSampleSize;
constexpr int kTrialLevel = 1;
constexpr int kStoreLevel = 0;

uint64_t PieceBound(uint64_t length) {
  return libdeflate_deflate_compress_bound(nullptr, size_t(length)) + TZipPieceJoiner::kGrowth;
}
}  // namespace

uint64_t ZipChunkCount(uint64_t size) { return size == 0 ? 1 : (size + kZipChunkSize - 1) / kZipChunkSize; }

uint64_t ZipDeflatedBound(uint64_t size) {
  const uint64_t rest = size % kZipChunkSize;
  return size / kZipChunkSize * PieceBound(kZipChunkSize) + (rest > 0 ? PieceBound(rest) : 0);
}

void TZipChunkDeflater::TCompressorFree::operator()(libdeflate_compressor* c) const {
  libdeflate_free_compressor(c);
}

TZipChunkDeflater::TCompressor TZipChunkDeflater::NewCompressor(int level) {
  TCompressor c(libdeflate_alloc_compressor(level));
  if (!c) throw std::bad_alloc();
  return c;
}

TZipChunkDeflater::TZipChunkDeflater()
    : compressor_(NewCompressor(kZipDeflateLevel)),
      trial_(NewCompressor(kTrialLevel)),
      storer_(NewCompressor(kStoreLevel)),
      sampleOut_(qsizetype(kSampleSize), Qt::Uninitialized) {}

TZipChunkDeflater::~TZipChunkDeflater() = default;

TZipChunkResult TZipChunkDeflater::Compress(const TZipSource& source, const TZipChunk& chunk) {
  TZipChunkResult result;
  if (chunk.length == 0) {
    result.stored = true;
    result.ok = true;
    return result;
  }
  QByteArray input(qsizetype(chunk.length), Qt::Uninitialized);
  TFileDescriptor fd = OpenForReading(source.path);
  if (!fd || !ReadAt(fd.get(), input.data(), size_t(input.size()), chunk.offset)) {
    result.error = QString::fromUtf8(source.path) + ": cannot be read completely";
    return result;
  }
  fd.reset();
  result.crc = ZipCrc32(0, input.constData(), chunk.length);

  // A file of one piece is kept as it is when deflate would not shrink it.
  const bool wholeFile = chunk.offset == 0 && chunk.last;
  const bool incompressible = LooksIncompressible(input.constData(), chunk.length);
  QByteArray out;
  if (!(wholeFile && incompressible)) {
    out.resize(qsizetype(PieceBound(chunk.length)));
    libdeflate_compressor* compressor = incompressible ? storer_.get() : compressor_.get();
    const size_t made = libdeflate_deflate_compress(compressor, input.constData(), chunk.length, out.data(),
                                                    size_t(out.size()));
    out.resize(qsizetype(made));
    if (made == 0 || (!chunk.last && !joiner_.MakeContinuable(out))) {
      result.error = QStringLiteral("deflate failed");
      return result;
    }
  }
  result.stored = wholeFile && (incompressible || out.size() >= input.size());
  result.data = std::move(result.stored ? input : out);
  result.ok = true;
  return result;
}

bool TZipChunkDeflater::LooksIncompressible(const char* data, uint32_t length) {
  if (length < kSampledPiece) return false;
  // The output room is the sample less 1/64: a sample that does not fit did not shrink enough.
  const size_t room = kSampleSize - kSampleSize / 64;
  for (uint32_t k = 0; k < kSamples; ++k) {
    const uint64_t offset = uint64_t(length - kSampleSize) * k / (kSamples - 1);
    if (libdeflate_deflate_compress(trial_.get(), data + offset, kSampleSize, sampleOut_.data(), room) != 0)
      return false;
  }
  return true;
}
