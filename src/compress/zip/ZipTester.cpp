#include "compress/zip/ZipTester.h"

#include <algorithm>
#include <atomic>
#include <vector>

#include "compress/common/CompressResult.h"
#include "compress/zip/ZipDirectory.h"
#include "compress/zip/ZipEntryDecoder.h"
#include "compress/zip/ZipInputThreads.h"
#include "compress/zip/ZipNames.h"

TZipTester::TZipTester(QString zipFile, QByteArray password, int threads)
    : zipFile_(std::move(zipFile)), password_(std::move(password)), threads_(threads) {}

int TZipTester::Run() {
  TZipDirectory archive;
  if (!archive.Open(zipFile_)) return Fail(crFailed, QStringLiteral("cannot read the archive's directory"));
  if (!archive.EntriesApart())
    return Fail(crFailed, QStringLiteral("entries share their data (a zip bomb, or damage)"));
  const std::vector<TZipEntryRecord>& entries = archive.entries();
  std::vector<TZipEntryStatus> statuses(entries.size(), TZipEntryStatus::Ok);
  std::atomic<size_t> next = 0;
  std::atomic<bool> failed = false;
  const auto work = [&](TZipInput& input) {
    TZipEntryDecoder decoder(input);
    for (size_t i = next++; i < entries.size() && !failed; i = next++) {
      TZipEntryStatus status = decoder.Open(entries[i], password_);
      if (status == TZipEntryStatus::Ok) status = decoder.Decode([](const char*, size_t) { return true; });
      statuses[i] = status;
      if (status != TZipEntryStatus::Ok) failed = true;
    }
  };
  const size_t helpers = entries.empty() ? 0 : std::min(entries.size(), size_t(std::max(threads_, 1))) - 1;
  RunOnInputs(zipFile_, archive.input(), helpers, work);

  const auto bad = std::find_if(statuses.begin(), statuses.end(),
                                [](TZipEntryStatus s) { return s != TZipEntryStatus::Ok; });
  if (bad == statuses.end()) return crSuccess;
  const QString name = DecodeEntryName(entries[size_t(bad - statuses.begin())]);
  switch (*bad) {
    case TZipEntryStatus::BadPassword:
      return Fail(crWrongPassword, QStringLiteral("wrong or missing password for entry \"%1\"").arg(name));
    case TZipEntryStatus::Unsupported:
      return Fail(crFailed, QStringLiteral("entry \"%1\" uses a method not read here").arg(name));
    default:
      return Fail(crFailed, QStringLiteral("entry \"%1\" is damaged: its data does not read back").arg(name));
  }
}

int TZipTester::Fail(int result, const QString& cause) {
  cause_ = cause;
  return result;
}
