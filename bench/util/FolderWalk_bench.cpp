// The folder walk as the cleanup runs it (mask "*", sub-folders, every entry reported).
// `--walk DIR` walks once and prints the number of entries, for comparing with find(1) under
// hyperfine (see run-benchmarks.sh); `--walk-names DIR` does the same without entry details; without it,
// Google Benchmark runs the walk over DIR given in HM_WALK_DIR.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "util/EasyFileSearch.h"

namespace {

long Walk(const char* root, bool details = true) {
  TEasyFileSearch search;
  search.SetReadDetails(details);
  search.SetRootPath(QString::fromLocal8Bit(root));
  search.SetFileNames({QStringLiteral("*")});
  long entries = 0;
  search.OnFileFound = [&entries](const TFileInformations&) { ++entries; };
  search.Search();
  return entries;
}

void BM_FolderWalk(benchmark::State& state) {
  const char* root = std::getenv("HM_WALK_DIR");
  if (!root) {
    state.SkipWithError("set HM_WALK_DIR to a folder tree");
    return;
  }
  for (auto _ : state) benchmark::DoNotOptimize(Walk(root));
}

BENCHMARK(BM_FolderWalk)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--walk") == 0) {
    std::printf("%ld\n", Walk(argv[2]));
    return 0;
  }
  if (argc == 3 && std::strcmp(argv[1], "--walk-names") == 0) {
    std::printf("%ld\n", Walk(argv[2], false));
    return 0;
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
