#include "compress/zip/ZipExtractPool.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <string>
#include <tuple>

#include "compress/common/ExtractTarget.h"
#include "compress/zip/ZipDirectory.h"
#include "compress/zip/ZipInput.h"
#include "compress/zip/ZipInputThreads.h"

namespace {

struct TFile {
  size_t pathHash;
  size_t entry;
};

bool Succeeded(TZipExtractOutcome outcome) {
  return outcome == TZipExtractOutcome::File || outcome == TZipExtractOutcome::Folder;
}

}  // namespace

TZipExtractPool::TZipExtractPool(QString zipFile, TZipDirectory& archive, TExtractTarget& target, int threads)
    : zipFile_(std::move(zipFile)), archive_(archive), target_(target), threads_(threads) {}

std::vector<TZipExtractOutcome> TZipExtractPool::Run(const QStringList& names, const QByteArray& password,
                                                     bool stopAtFailure) {
  const std::vector<TZipEntryRecord>& entries = archive_.entries();
  std::vector<TZipExtractOutcome> outcomes(entries.size(), TZipExtractOutcome::Failed);
  std::atomic<bool> failed = false;
  quint64 total = 0;
  for (qsizetype i = 0; i < names.size(); ++i)
    if (!IsFolderEntryName(names[i])) total += entries[size_t(i)].uncompressedSize;
  target_.SetTotal(total);
  const auto extract = [&](TZipExtractor& extractor, size_t i) {
    try {
      outcomes[i] = extractor.Extract(entries[i], names[qsizetype(i)], password);
    } catch (const std::exception&) {
      outcomes[i] = TZipExtractOutcome::Failed;  // out of memory: this entry only
    }
    if (!Succeeded(outcomes[i])) failed = true;
  };

  // The files, each with a hash of its path; everything else at once.
  std::vector<TFile> files;
  {
    TZipExtractor here(archive_.input(), target_);
    for (size_t i = 0; i < entries.size(); ++i) {
      const QString& name = names[qsizetype(i)];
      const auto path = IsFolderEntryName(name) ? std::nullopt : target_.PathFor(name);
      if (!path) {
        extract(here, i);
        if (stopAtFailure && failed) return outcomes;
        continue;
      }
      files.push_back({std::hash<std::string>{}(*path), i});
    }
  }
  // Files of one path (or, rarely, of paths that share a hash: no harm) form a run, in archive
  // order; runs are handed out in the order of their first entries.
  std::sort(files.begin(), files.end(), [](const TFile& a, const TFile& b) {
    return std::tie(a.pathHash, a.entry) < std::tie(b.pathHash, b.entry);
  });
  std::vector<size_t> runs;  // where each run starts in `files`
  for (size_t k = 0; k < files.size(); ++k)
    if (k == 0 || files[k].pathHash != files[k - 1].pathHash) runs.push_back(k);
  std::sort(runs.begin(), runs.end(), [&](size_t a, size_t b) { return files[a].entry < files[b].entry; });

  std::atomic<size_t> nextRun = 0;
  const auto work = [&](TZipInput& input) {
    TZipExtractor extractor(input, target_);
    for (size_t r = nextRun++; r < runs.size(); r = nextRun++) {
      for (size_t k = runs[r]; k < files.size() && files[k].pathHash == files[runs[r]].pathHash; ++k) {
        if (stopAtFailure && failed) return;
        extract(extractor, files[k].entry);
      }
    }
  };
  const size_t helpers = runs.empty() ? 0 : std::min(runs.size(), size_t(std::max(threads_, 1))) - 1;
  RunOnInputs(zipFile_, archive_.input(), helpers, work);
  return outcomes;
}
