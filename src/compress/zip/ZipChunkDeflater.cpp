#include "compress/zip/ZipChunkDeflater.h"

#include <cstring>

#include "compress/zip/ZipFileHandle.h"
#include "compress/zip/ZipSourcePlan.h"

namespace {
constexpr uint32_t kWindow = 32768;
}  // namespace

uint64_t ZipChunkCount(uint64_t size) { return size == 0 ? 1 : (size + kZipChunkSize - 1) / kZipChunkSize; }

void TZipChunkDeflater::TDeflateEnd::operator()(z_stream* s) const {
  deflateEnd(s);
  delete s;
}

TZipChunkDeflater::TZipChunkDeflater() {
  auto* s = new z_stream{};
  if (deflateInit2(s, kZipDeflateLevel, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
    delete s;
    throw std::bad_alloc();
  }
  stream_.reset(s);
}

TZipChunkResult TZipChunkDeflater::Compress(const TZipSource& source, const TZipChunk& chunk) {
  TZipChunkResult result;
  if (chunk.length == 0) {
    result.stored = true;
    result.ok = true;
    return result;
  }
  const uint32_t primer = uint32_t(std::min<uint64_t>(kWindow, chunk.offset));
  QByteArray input(qsizetype(primer) + chunk.length, Qt::Uninitialized);
  TFileDescriptor fd = OpenForReading(source.path);
  if (!fd || !ReadAt(fd.get(), input.data(), size_t(input.size()), chunk.offset - primer)) {
    result.error = QString::fromUtf8(source.path) + ": cannot be read completely";
    return result;
  }
  fd.reset();
  const auto* raw = reinterpret_cast<const Bytef*>(input.constData()) + primer;
  result.crc = uint32_t(crc32(0, raw, chunk.length));

  z_stream* s = stream_.get();
  deflateReset(s);
  if (primer > 0) deflateSetDictionary(s, reinterpret_cast<const Bytef*>(input.constData()), primer);
  QByteArray out(qsizetype(deflateBound(s, chunk.length)) + 16, Qt::Uninitialized);
  s->next_in = const_cast<Bytef*>(raw);
  s->avail_in = chunk.length;
  s->next_out = reinterpret_cast<Bytef*>(out.data());
  s->avail_out = uInt(out.size());
  const int flush = chunk.last ? Z_FINISH : Z_SYNC_FLUSH;
  for (;;) {
    const int rc = deflate(s, flush);
    if (rc == Z_STREAM_ERROR) {
      result.error = QStringLiteral("deflate failed");
      return result;
    }
    if (rc == Z_STREAM_END || (flush == Z_SYNC_FLUSH && s->avail_in == 0 && s->avail_out > 0)) break;
    if (s->avail_out == 0) {
      const qsizetype used = out.size();
      out.resize(used * 2);
      s->next_out = reinterpret_cast<Bytef*>(out.data()) + used;
      s->avail_out = uInt(out.size() - used);
    }
  }
  out.resize(qsizetype(s->total_out));
  if (chunk.offset == 0 && chunk.last && out.size() >= input.size()) {
    result.data = std::move(input);  // primer is empty for a file's first piece
    result.stored = true;
  } else {
    result.data = std::move(out);
  }
  result.ok = true;
  return result;
}
