#pragma once
// The central directory of an archive, shared by both readers and by listing: finds the end
// records (ZIP64 included), reads every entry's record, and locates an entry's data. Archives
// behind a prefix (self-extracting programs) are read whether or not their offsets count it.
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

#include "compress/zip/ZipInput.h"
#include "compress/zip/ZipRecords.h"

class TZipDirectory {
 public:
  // False when the file is not a ZIP archive or its directory is damaged; the records read
  // before the damage stay in entries().
  bool Open(const QString& path);

  const std::vector<TZipEntryRecord>& entries() const { return entries_; }
  TZipInput& input() { return input_; }

 private:
  struct TLocated {
    TZipEnd end;
    uint64_t directoryStart;
    int64_t shift;  // prefix bytes the stored offsets do not count
  };
  std::optional<TLocated> LocateDirectory();
  std::optional<TLocated> TryEndRecord(uint64_t position, const char* fixed);
  bool HasSignature(uint64_t position, uint32_t signature);
  bool ReadEntries(const TLocated& located);

  TZipInput input_;
  std::vector<TZipEntryRecord> entries_;
};

// Where an entry's data begins, from its local header; nothing when that header is damaged or the
// data would run past the archive.
std::optional<uint64_t> ZipEntryDataOffset(TZipInput& input, const TZipEntryRecord& entry);
