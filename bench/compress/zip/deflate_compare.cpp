// The deflate libraries Debian ships, compared on the ZIP engine's kernels over a folder of files:
//  - deflate in 1 MiB pieces at the level of `zip -6`, each library used so that one and two
//    threads make the same archive (zlib and ISA-L prime a piece with the 32 KiB before it and
//    end it with a sync flush; libdeflate starts every piece afresh and the pieces are joined),
//    and the engine's own kernel on the files (libdeflate, joined, incompressible pieces stored);
//  - inflate of the streams zlib made, entry by entry (streaming, or libdeflate's whole buffer);
//  - the CRC-32.
// Prints the CPU time of this thread (median of the runs), the speed, and for deflate the size of
// the entries' data, a file being stored when deflate does not shrink it. Every stream made is
// inflated back and compared once. ONLY picks the rows whose operation and library contain it,
// for counting instructions: valgrind --tool=callgrind --toggle-collect='*TimedRun*' ...
//   hm_deflate_compare FOLDER [RUNS [ONLY]]
#include <isa-l/crc.h>
#include <isa-l/igzip_lib.h>
#include <libdeflate.h>
#include <zlib.h>

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "compress/zip/ZipChunkDeflater.h"
#include "compress/zip/ZipPieceJoiner.h"
#include "compress/zip/ZipSourcePlan.h"

namespace {

using TBytes = std::vector<unsigned char>;
constexpr size_t kPiece = kZipChunkSize;
constexpr size_t kWindow = 32768;
constexpr size_t kStreamBuffer = 256 * 1024;  // the engine's read and write buffers

struct TFile {
  std::string path;
  TBytes data;
};

double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// Calls piece(offset, length, last) for each piece of a file, in order.
void ForEachPiece(size_t size, const std::function<void(size_t, size_t, bool)>& piece) {
  const size_t count = size_t(ZipChunkCount(size));
  for (size_t k = 0; k < count; ++k) piece(k * kPiece, std::min(kPiece, size - k * kPiece), k + 1 == count);
}

TBytes ZlibPrimed(const TBytes& in, bool primed) {
  z_stream s{};
  deflateInit2(&s, kZipDeflateLevel, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
  TBytes out;
  ForEachPiece(in.size(), [&](size_t offset, size_t length, bool last) {
    deflateReset(&s);
    if (primed && offset > 0) {
      const size_t primer = std::min(kWindow, offset);
      deflateSetDictionary(&s, in.data() + offset - primer, uInt(primer));
    }
    const size_t base = out.size();
    out.resize(base + deflateBound(&s, uLong(length)) + 16);
    s.next_in = const_cast<Bytef*>(in.data() + offset);
    s.avail_in = uInt(length);
    s.next_out = out.data() + base;
    s.avail_out = uInt(out.size() - base);
    deflate(&s, last ? Z_FINISH : Z_SYNC_FLUSH);
    out.resize(out.size() - s.avail_out);
  });
  deflateEnd(&s);
  return out;
}

class TIsal {
 public:
  explicit TIsal(int level) : level_(level) {
    const size_t sizes[] = {0, ISAL_DEF_LVL1_DEFAULT, ISAL_DEF_LVL2_DEFAULT, ISAL_DEF_LVL3_DEFAULT};
    levelBuffer_.resize(sizes[level]);
  }
  TBytes Deflate(const TBytes& in) {
    TBytes out;
    ForEachPiece(in.size(), [&](size_t offset, size_t length, bool last) {
      isal_deflate_init(&s_);
      s_.level = uint32_t(level_);
      s_.level_buf = levelBuffer_.data();
      s_.level_buf_size = uint32_t(levelBuffer_.size());
      s_.flush = last ? NO_FLUSH : SYNC_FLUSH;
      s_.end_of_stream = last;
      if (offset > 0) {
        const size_t primer = std::min(kWindow, offset);
        isal_deflate_set_dict(&s_, const_cast<uint8_t*>(in.data() + offset - primer), uint32_t(primer));
      }
      const size_t base = out.size();
      out.resize(base + length + length / 8 + 1024);
      s_.next_in = const_cast<uint8_t*>(in.data() + offset);
      s_.avail_in = uint32_t(length);
      s_.next_out = out.data() + base;
      s_.avail_out = uint32_t(out.size() - base);
      isal_deflate(&s_);
      out.resize(out.size() - s_.avail_out);
    });
    return out;
  }

 private:
  int level_;
  TBytes levelBuffer_;
  isal_zstream s_{};
};

class TLibdeflate {
 public:
  explicit TLibdeflate(int level) : c_(libdeflate_alloc_compressor(level), libdeflate_free_compressor) {}
  TBytes Deflate(const TBytes& in) {
    TBytes out;
    ForEachPiece(in.size(), [&](size_t offset, size_t length, bool last) {
      QByteArray piece(qsizetype(libdeflate_deflate_compress_bound(c_.get(), length)), Qt::Uninitialized);
      piece.resize(qsizetype(libdeflate_deflate_compress(c_.get(), in.data() + offset, length, piece.data(),
                                                         size_t(piece.size()))));
      if (!last && !joiner_.MakeContinuable(piece)) std::abort();
      out.insert(out.end(), piece.begin(), piece.end());
    });
    return out;
  }

 private:
  std::unique_ptr<libdeflate_compressor, void (*)(libdeflate_compressor*)> c_;
  TZipPieceJoiner joiner_;
};

// The engine's kernel on the file itself, pieces joined as the writer joins them.
TBytes Engine(TZipChunkDeflater& deflater, const TFile& file) {
  TZipSource source;
  source.path = file.path;
  source.size = file.data.size();
  TBytes out;
  ForEachPiece(file.data.size(), [&](size_t offset, size_t length, bool last) {
    const TZipChunkResult r = deflater.Compress(source, {0, offset, uint32_t(length), last});
    if (!r.ok) std::abort();
    out.insert(out.end(), r.data.begin(), r.data.end());
  });
  return out;
}

// Feeds a streaming inflater (zlib's and ISA-L's have the same buffer fields) the input in the
// engine's buffer size and collects its output. `step` runs the library once: true at the end of
// the stream, false to go on, nothing when the stream is broken.
template <typename Stream, typename Step>
bool InflateStreaming(Stream& s, const TBytes& in, TBytes& out, Step step) {
  static TBytes buffer(kStreamBuffer);
  size_t used = 0;
  s.avail_in = 0;
  for (;;) {
    if (s.avail_in == 0) {
      const size_t take = std::min(kStreamBuffer, in.size() - used);
      s.next_in = const_cast<unsigned char*>(in.data() + used);
      s.avail_in = unsigned(take);
      used += take;
    }
    s.next_out = buffer.data();
    s.avail_out = unsigned(buffer.size());
    const unsigned before = s.avail_in;
    const std::optional<bool> done = step(s);
    const size_t made = buffer.size() - s.avail_out;
    out.insert(out.end(), buffer.data(), buffer.data() + made);
    if (!done) return false;
    if (*done) return true;
    if (made == 0 && s.avail_in == before) return false;
  }
}

bool ZlibInflate(const TBytes& in, TBytes& out) {
  z_stream s{};
  inflateInit2(&s, -MAX_WBITS);
  const bool whole = InflateStreaming(s, in, out, [](z_stream& z) -> std::optional<bool> {
    const int rc = inflate(&z, Z_NO_FLUSH);
    if (rc == Z_STREAM_END) return true;
    if (rc == Z_OK || rc == Z_BUF_ERROR) return false;
    return std::nullopt;
  });
  inflateEnd(&s);
  return whole;
}

bool IsalInflate(const TBytes& in, TBytes& out) {
  static inflate_state s;
  isal_inflate_init(&s);
  return InflateStreaming(s, in, out, [](inflate_state& state) -> std::optional<bool> {
    if (isal_inflate(&state) != ISAL_DECOMP_OK) return std::nullopt;
    return state.block_state == ISAL_BLOCK_FINISH;
  });
}

bool LibdeflateInflate(const TBytes& in, TBytes& out, size_t size) {
  static libdeflate_decompressor* d = libdeflate_alloc_decompressor();
  out.resize(size);
  size_t made = 0;
  return libdeflate_deflate_decompress(d, in.data(), in.size(), out.data(), size, &made) ==
             LIBDEFLATE_SUCCESS &&
         made == size;
}

struct TRow {
  std::string operation, library;
  std::function<uint64_t()> run;  // the size of what a deflate row made
};

// Apart, so that callgrind can count its instructions alone (--toggle-collect=*TimedRun*).
__attribute__((noinline)) uint64_t TimedRun(const TRow& row) { return row.run(); }

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: hm_deflate_compare FOLDER [RUNS [ONLY]]\n");
    return 2;
  }
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
  const std::string only = argc > 3 ? argv[3] : "";

  std::vector<TFile> files;
  uint64_t total = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(argv[1])) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    files.push_back({entry.path().string(), TBytes(std::istreambuf_iterator<char>(in), {})});
    total += files.back().data.size();
  }
  std::sort(files.begin(), files.end(), [](const TFile& a, const TFile& b) { return a.path < b.path; });
  std::printf("%zu files, %llu bytes; CPU seconds of one thread, median of %d runs\n", files.size(),
              static_cast<unsigned long long>(total), runs);

  // What each deflate row made, checked against the files once (a file kept as it is needs no
  // check); zlib's streams are what the inflate rows read.
  std::vector<TBytes> made(files.size()), zlibStreams;
  bool wrong = false;
  const auto deflateRow = [&](std::function<TBytes(const TFile&)> deflate) {
    return [&, deflate]() {
      uint64_t size = 0;
      for (size_t i = 0; i < files.size(); ++i) {
        made[i] = deflate(files[i]);
        size += std::min(made[i].size(), files[i].data.size());
      }
      return size;
    };
  };
  const auto checkMade = [&](const std::string& label) {
    TBytes back;
    for (size_t i = 0; i < files.size(); ++i) {
      back.clear();
      if (made[i] != files[i].data && (!ZlibInflate(made[i], back) || back != files[i].data)) {
        std::printf("  %s: %s does not inflate back\n", label.c_str(), files[i].path.c_str());
        wrong = true;
      }
    }
  };
  TBytes out;
  const auto inflateRow = [&](std::function<bool(const TBytes&, TBytes&, size_t)> inflate) {
    return [&, inflate]() {
      for (size_t i = 0; i < files.size(); ++i) {
        out.clear();
        if (!inflate(zlibStreams[i], out, files[i].data.size()) || out.size() != files[i].data.size())
          wrong = true;
      }
      return uint64_t(0);
    };
  };
  const auto crcRow = [&](std::function<uint32_t(const unsigned char*, size_t)> crc) {
    return [&, crc]() {
      uint32_t all = 0;
      for (const TFile& f : files) all ^= crc(f.data.data(), f.data.size());
      return uint64_t(all);
    };
  };

  TIsal isal3(3), isal1(1);
  TLibdeflate libdeflate6(kZipDeflateLevel);
  TZipChunkDeflater engine;
  const std::vector<TRow> rows = {
      {"deflate", "zlib 6, primed pieces (the engine before)",
       deflateRow([](const TFile& f) { return ZlibPrimed(f.data, true); })},
      {"deflate", "zlib 6, pieces from a fresh start",
       deflateRow([](const TFile& f) { return ZlibPrimed(f.data, false); })},
      {"deflate", "libdeflate 6, joined pieces",
       deflateRow([&](const TFile& f) { return libdeflate6.Deflate(f.data); })},
      {"deflate", "libdeflate 6, joined, incompressible stored (engine)",
       deflateRow([&](const TFile& f) { return Engine(engine, f); })},
      {"deflate", "ISA-L 3, primed pieces",
       deflateRow([&](const TFile& f) { return isal3.Deflate(f.data); })},
      {"deflate", "ISA-L 1, primed pieces",
       deflateRow([&](const TFile& f) { return isal1.Deflate(f.data); })},
      {"inflate", "zlib, streaming",
       inflateRow([](const TBytes& in, TBytes& o, size_t) { return ZlibInflate(in, o); })},
      {"inflate", "ISA-L, streaming (engine)",
       inflateRow([](const TBytes& in, TBytes& o, size_t) { return IsalInflate(in, o); })},
      {"inflate", "libdeflate, whole entry in memory", inflateRow(LibdeflateInflate)},
      {"crc32", "zlib",
       crcRow([](const unsigned char* p, size_t n) { return uint32_t(crc32(0, p, uInt(n))); })},
      {"crc32", "libdeflate (engine)",
       crcRow([](const unsigned char* p, size_t n) { return libdeflate_crc32(0, p, n); })},
      {"crc32", "ISA-L", crcRow([](const unsigned char* p, size_t n) { return crc32_gzip_refl(0, p, n); })},
  };

  std::printf("%-8s %-52s %9s %10s %14s\n", "", "library", "CPU s", "MB/s", "entry data");
  for (const TRow& row : rows) {
    if (!only.empty() && (row.operation + " " + row.library).find(only) == std::string::npos) continue;
    if (row.operation == "inflate" && zlibStreams.empty())
      for (const TFile& f : files) zlibStreams.push_back(ZlibPrimed(f.data, true));
    std::vector<double> times;
    uint64_t size = 0;
    for (int r = 0; r < runs; ++r) {
      const double start = CpuSeconds();
      size = TimedRun(row);
      times.push_back(CpuSeconds() - start);
      if (r == 0 && row.operation == "deflate") checkMade(row.library);
    }
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2];
    std::printf("%-8s %-52s %9.3f %10.1f", row.operation.c_str(), row.library.c_str(), median,
                double(total) / median / 1e6);
    if (row.operation == "deflate") std::printf(" %14llu", static_cast<unsigned long long>(size));
    std::printf("\n");
  }
  if (wrong) std::printf("SOME STREAMS DID NOT DECODE BACK\n");
  return wrong ? 1 : 0;
}
