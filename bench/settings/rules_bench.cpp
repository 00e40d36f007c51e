// The cleanup opens data.db and reads every rule once per text file it examines. This measures
// that open-and-read with 100 rules against a bare sqlite3_open plus the same query, in the same
// run, prints the ratio, and checks that repeated opens neither slow down nor leak descriptors.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QIODevice>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "settings/TxtReplaceRules.h"

namespace {
constexpr int kRules = 100;

void MakeDatabase(const QString& path) {
  for (int i = 0; i < kRules; ++i) {
    TxtReplaceRule rule;
    rule.Name = QStringLiteral("rule %1: it's a description").arg(i);
    rule.sValue1 = QStringLiteral("www.example%1.com\r\n广告第%1行").arg(i);
    rule.sValue2 = QStringLiteral("replacement %1").arg(i);
    rule.intData1 = (i * 37) % 50 - 25;
    AddTxtReplaceRule(path, rule);
  }
}

size_t OursOnce(const QString& path) { return LoadTxtReplaceRules(path).size(); }

// The least any reader must do: open, run the same query, copy out the values a rule needs
// (ID, Name, sValue1, sValue2, IntData1 and floatData1 of the standard schema), close.
struct BareRule {
  sqlite3_int64 id;
  std::string name, from, to;
  int priority;
  double created;
};

std::string Text(sqlite3_stmt* s, int column) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(s, column));
  return text ? std::string(text, size_t(sqlite3_column_bytes(s, column))) : std::string();
}

size_t BareOnce(const QByteArray& path, const QByteArray& sql) {
  sqlite3* db = nullptr;
  sqlite3_open(path.constData(), &db);
  sqlite3_stmt* s = nullptr;
  sqlite3_prepare_v2(db, sql.constData(), -1, &s, nullptr);
  std::vector<BareRule> rules;
  while (sqlite3_step(s) == SQLITE_ROW)
    rules.push_back({sqlite3_column_int64(s, 0), Text(s, 1), Text(s, 2), Text(s, 3), sqlite3_column_int(s, 7),
                     sqlite3_column_double(s, 10)});
  sqlite3_finalize(s);
  sqlite3_close(db);
  return rules.size();
}

QString g_dbPath;

void BM_OpenAndReadRules(benchmark::State& state) {
  for (auto _ : state)
    if (OursOnce(g_dbPath) != size_t(kRules)) state.SkipWithError("wrong number of rules");
}

void BM_BareOpenAndQuery(benchmark::State& state) {
  const QByteArray path = QFile::encodeName(g_dbPath);
  const QByteArray sql = TxtReplaceOrderSQL().toUtf8();
  for (auto _ : state)
    if (BareOnce(path, sql) != size_t(kRules)) state.SkipWithError("wrong number of rules");
}

BENCHMARK(BM_OpenAndReadRules);
BENCHMARK(BM_BareOpenAndQuery);

template <class F>
double MicrosPerCall(int calls, F&& f) {
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < calls; ++i) benchmark::DoNotOptimize(f());
  return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count() / calls;
}

long ResidentKiB() {
  QFile statm(QStringLiteral("/proc/self/statm"));
  if (!statm.open(QIODevice::ReadOnly)) return 0;
  return statm.readAll().split(' ').value(1).toLong() * 4;
}

int OpenDescriptors() {
  return int(QDir(QStringLiteral("/proc/self/fd"))
                 .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)
                 .size());
}

// The machine is shared: each batch alternates rounds of both readers so that load falls on
// both alike, and the median round's ratio stands for the batch. Later batches show whether an
// open gets slower (or holds on to memory or descriptors) the more often it is done.
void ReportRatioOverRepeatedOpens() {
  constexpr int kBatches = 5;
  constexpr int kRoundsPerBatch = 15;
  constexpr int kCallsPerRound = 100;
  const QByteArray path = QFile::encodeName(g_dbPath);
  const QByteArray sql = TxtReplaceOrderSQL().toUtf8();
  const int descriptorsBefore = OpenDescriptors();
  const long residentBefore = ResidentKiB();
  std::vector<double> batchRatios;
  std::vector<double> allRatios;
  for (int batch = 0; batch < kBatches; ++batch) {
    std::vector<double> ratios;
    double ours = 0, bare = 0;
    for (int r = 0; r < kRoundsPerBatch; ++r) {
      const double o = MicrosPerCall(kCallsPerRound, [] { return OursOnce(g_dbPath); });
      const double b = MicrosPerCall(kCallsPerRound, [&] { return BareOnce(path, sql); });
      ratios.push_back(o / b);
      ours += o;
      bare += b;
    }
    allRatios.insert(allRatios.end(), ratios.begin(), ratios.end());
    std::sort(ratios.begin(), ratios.end());
    batchRatios.push_back(ratios[kRoundsPerBatch / 2]);
    std::printf("opens %5d-%5d: ours %.1f us, bare %.1f us, ratio %.2f\n",
                batch * kRoundsPerBatch * kCallsPerRound + 1, (batch + 1) * kRoundsPerBatch * kCallsPerRound,
                ours / kRoundsPerBatch, bare / kRoundsPerBatch, batchRatios.back());
  }
  std::sort(allRatios.begin(), allRatios.end());
  std::printf(
      "open-and-read of %d rules / bare sqlite3_open + same query: %.2f (median of %zu rounds; goal <= "
      "1.5)\n",
      kRules, allRatios[allRatios.size() / 2], allRatios.size());
  std::printf("last batch / first batch: %.2f; descriptors %d -> %d; resident memory %ld -> %ld KiB\n",
              batchRatios.back() / batchRatios.front(), descriptorsBefore, OpenDescriptors(), residentBefore,
              ResidentKiB());
}
}  // namespace

int main(int argc, char** argv) {
  QTemporaryDir dir;
  g_dbPath = dir.filePath(QStringLiteral("data.db"));
  MakeDatabase(g_dbPath);

  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  ReportRatioOverRepeatedOpens();
  benchmark::Shutdown();
  return 0;
}
