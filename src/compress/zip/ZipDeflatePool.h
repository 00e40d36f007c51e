#pragma once
// Deflates the pieces of the files to be packed on several threads, ahead of the writer, and
// hands the results back strictly in order. The work in progress is bounded (bytes and pieces),
// so memory stays small whatever the file sizes.
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "compress/zip/ZipChunkDeflater.h"
#include "compress/zip/ZipSourcePlan.h"

class TZipDeflatePool {
 public:
  // threads <= 1: every piece is deflated on the caller's thread when it is asked for.
  TZipDeflatePool(const std::vector<TZipSource>& sources, int threads);
  ~TZipDeflatePool();
  TZipDeflatePool(const TZipDeflatePool&) = delete;
  TZipDeflatePool& operator=(const TZipDeflatePool&) = delete;

  // The next piece: the pieces of every file (folders have none) in source and offset order.
  TZipChunkResult Next();

 private:
  void Work();
  bool MayClaim() const;

  const std::vector<TZipSource>& sources_;
  std::vector<TZipChunk> chunks_;
  std::unique_ptr<TZipChunkDeflater> inlineDeflater_;  // the caller's own, when there are no workers
  std::vector<std::thread> workers_;

  std::mutex mutex_;
  std::condition_variable workAvailable_;
  std::condition_variable resultReady_;
  size_t nextToClaim_ = 0;
  size_t nextToDeliver_ = 0;
  uint64_t bytesInFlight_ = 0;
  std::map<size_t, TZipChunkResult> done_;
  bool stopping_ = false;
};
