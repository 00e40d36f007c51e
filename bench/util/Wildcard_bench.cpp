// MatchWildcard("*needle*") over a 10 MB text against plain substring searches of the same text.
#include <benchmark/benchmark.h>

#include <QString>
#include <string>

#include "util/Wildcard.h"

namespace {

// English-like lines with many 'n' and 'e' (near-misses for the anchor), some CJK, CR LF ends;
// the needle, in another letter case, sits near the end.
const QString& Text() {
  static const QString text = [] {
    const QString line = QString::fromUtf8(
        "Download the latest version of the nine engines from our mirror network, "
        "and never mind the banner. 下载说明：请勿在网上传播。 Need help? Send a note.\r\n");
    QString t;
    t.reserve(10 * 1024 * 1024 / 2 + line.size());
    while (t.size() * 2 < 10 * 1024 * 1024) t += line;
    t.insert(t.size() - line.size() / 2, QStringLiteral("NeEdLe"));
    return t;
  }();
  return text;
}

void BM_MatchWildcard(benchmark::State& state) {
  const QString& text = Text();
  const QString pattern = QStringLiteral("*needle*");
  for (auto _ : state) benchmark::DoNotOptimize(MatchWildcard(text, pattern));
  state.SetBytesProcessed(state.iterations() * text.size() * 2);
}

void BM_QStringContainsCaseInsensitive(benchmark::State& state) {
  const QString& text = Text();
  for (auto _ : state) benchmark::DoNotOptimize(text.contains(QLatin1String("needle"), Qt::CaseInsensitive));
  state.SetBytesProcessed(state.iterations() * text.size() * 2);
}

void BM_QStringContainsCaseSensitive(benchmark::State& state) {
  const QString& text = Text();
  for (auto _ : state) benchmark::DoNotOptimize(text.contains(QLatin1String("NeEdLe")));
  state.SetBytesProcessed(state.iterations() * text.size() * 2);
}

void BM_StdStringFindUtf8(benchmark::State& state) {
  static const std::string text = Text().toStdString();
  for (auto _ : state) benchmark::DoNotOptimize(text.find("NeEdLe"));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}

BENCHMARK(BM_MatchWildcard)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QStringContainsCaseInsensitive)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QStringContainsCaseSensitive)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StdStringFindUtf8)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
