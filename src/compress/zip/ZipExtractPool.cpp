#include "compress/zip/ZipExtractPool.h"

#include <atomic>
#include <exception>
#include <memory>
#include <string>
#include <system_error>
#include <thread>
#include <unordered_map>

#include "compress/zip/ZipDirectory.h"
#include "compress/zip/ZipExtractTarget.h"
#include "compress/zip/ZipInput.h"

namespace {

bool Succeeded(TZipExtractOutcome outcome) {
  return outcome == TZipExtractOutcome::File || outcome == TZipExtractOutcome::Folder;
}

}  // namespace

TZipExtractPool::TZipExtractPool(QString zipFile, TZipDirectory& archive, TZipExtractTarget& target, int threads)
    : zipFile_(std::move(zipFile)), archive_(archive), target_(target), threads_(threads) {}

std::vector<TZipExtractOutcome> TZipExtractPool::Run(const QStringList& names, const QByteArray& password,
                                                     bool stopAtFailure) {
  const std::vector<TZipEntryRecord>& entries = archive_.entries();
  std::vector<TZipExtractOutcome> outcomes(entries.size(), TZipExtractOutcome::Failed);
  std::atomic<bool> failed = false;
  const auto extract = [&](TZipExtractor& extractor, size_t i) {
    try {
      outcomes[i] = extractor.Extract(entries[i], names[qsizetype(i)], password);
    } catch (const std::exception&) {
      outcomes[i] = TZipExtractOutcome::Failed;  // out of memory: this entry only
    }
    if (!Succeeded(outcomes[i])) failed = true;
  };

  // The files by path, in archive order; everything else at once.
  std::vector<std::vector<size_t>> files;
  {
    TZipExtractor here(archive_.input(), target_);
    std::unordered_map<std::string, size_t> byPath;
    for (size_t i = 0; i < entries.size(); ++i) {
      const QString& name = names[qsizetype(i)];
      const auto path = IsFolderEntryName(name) ? std::nullopt : target_.PathFor(name);
      if (!path) {
        extract(here, i);
        if (stopAtFailure && failed) return outcomes;
        continue;
      }
      const auto [at, added] = byPath.try_emplace(*path, files.size());
      if (added) files.emplace_back();
      files[at->second].push_back(i);
    }
  }

  std::atomic<size_t> nextPath = 0;
  const auto work = [&](TZipInput& input) {
    TZipExtractor extractor(input, target_);
    for (size_t p = nextPath++; p < files.size(); p = nextPath++) {
      for (const size_t i : files[p]) {
        if (stopAtFailure && failed) return;
        extract(extractor, i);
      }
    }
  };
  {
    const size_t helpers = files.empty() ? 0 : std::min(files.size(), size_t(std::max(threads_, 1))) - 1;
    std::vector<std::unique_ptr<TZipInput>> inputs;
    std::vector<std::jthread> threads;  // joined before the inputs go
    for (size_t t = 0; t < helpers; ++t) {
      inputs.push_back(std::make_unique<TZipInput>());
      if (!inputs.back()->Open(zipFile_)) break;
      try {
        threads.emplace_back(work, std::ref(*inputs.back()));
      } catch (const std::system_error&) {
        break;  // fewer threads do the same work
      }
    }
    work(archive_.input());
  }
  return outcomes;
}
