#include "compress/zip/ZipDeflatePool.h"

#include <memory>
#include <new>
#include <system_error>

namespace {
// Raw bytes claimed but not yet written: the compressed copies are about as large again.
constexpr uint64_t kBytesAhead = 16u << 20;
constexpr size_t kPiecesAhead = 512;
// What a piece costs besides its bytes (buffers, bookkeeping): keeps many tiny files bounded too.
constexpr uint64_t kPieceOverhead = 4096;
}  // namespace

TZipDeflatePool::TZipDeflatePool(const std::vector<TZipSource>& sources, int threads) : sources_(sources) {
  for (size_t i = 0; i < sources.size(); ++i) {
    if (sources[i].isFolder) continue;
    const uint64_t count = ZipChunkCount(sources[i].size);
    for (uint64_t k = 0; k < count; ++k) {
      const uint64_t offset = k * kZipChunkSize;
      const uint64_t length = std::min<uint64_t>(kZipChunkSize, sources[i].size - offset);
      chunks_.push_back({i, offset, uint32_t(length), k + 1 == count});
    }
  }
  try {
    if (threads > 1)
      for (int t = 0; t < threads; ++t) workers_.emplace_back([this] { Work(); });
  } catch (const std::system_error&) {
    // Fewer threads than asked for (or none: then the caller's) make the same archive.
  }
}

TZipDeflatePool::~TZipDeflatePool() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  workAvailable_.notify_all();
  for (auto& w : workers_) w.join();
}

bool TZipDeflatePool::MayClaim() const {
  if (nextToClaim_ >= chunks_.size()) return false;
  // The piece the writer waits for is always taken, so the pool cannot stall on its budget.
  if (nextToClaim_ == nextToDeliver_) return true;
  return nextToClaim_ - nextToDeliver_ < kPiecesAhead &&
         bytesInFlight_ + chunks_[nextToClaim_].length <= kBytesAhead;
}

void TZipDeflatePool::Work() {
  std::unique_ptr<TZipChunkDeflater> deflater;
  std::unique_lock lock(mutex_);
  for (;;) {
    workAvailable_.wait(lock, [this] { return stopping_ || nextToClaim_ >= chunks_.size() || MayClaim(); });
    if (stopping_ || nextToClaim_ >= chunks_.size()) return;
    const size_t index = nextToClaim_++;
    bytesInFlight_ += chunks_[index].length + kPieceOverhead;
    lock.unlock();
    TZipChunkResult result;
    try {
      if (!deflater) deflater = std::make_unique<TZipChunkDeflater>();
      result = deflater->Compress(sources_[chunks_[index].source], chunks_[index]);
    } catch (const std::bad_alloc&) {
      result = TZipChunkResult{};
      result.error = QStringLiteral("out of memory");
    }
    lock.lock();
    done_.emplace(index, std::move(result));
    resultReady_.notify_all();
  }
}

TZipChunkResult TZipDeflatePool::Next() {
  if (nextToDeliver_ >= chunks_.size()) return {};
  if (workers_.empty()) {
    const TZipChunk& chunk = chunks_[nextToDeliver_++];
    if (!inlineDeflater_) inlineDeflater_ = std::make_unique<TZipChunkDeflater>();
    return inlineDeflater_->Compress(sources_[chunk.source], chunk);
  }
  std::unique_lock lock(mutex_);
  resultReady_.wait(lock, [this] { return done_.count(nextToDeliver_) > 0; });
  auto node = done_.extract(nextToDeliver_);
  bytesInFlight_ -= chunks_[nextToDeliver_].length + kPieceOverhead;
  ++nextToDeliver_;
  lock.unlock();
  workAvailable_.notify_all();
  return std::move(node.mapped());
}
