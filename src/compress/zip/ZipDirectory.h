#pragma once
// The central directory of an archive, shared by both readers and by listing: finds the end
// records (ZIP64 included), reads every entry's record, and locates an entry's data. Archives
// behind a prefix (self-extracting programs) are read whether or not their offsets count it.
//
// The end record is read as python's zipfile, unzip and bsdtar read it, so that no archive means
// one thing here and another to a scanner that used them: it is the last one in the file. One
// that runs past the end of the file is damage; one whose directory cannot be read counts only as
// comment text of an earlier record that holds it, and a file whose last record and such an
// earlier one both lead to a directory, not the same, reads two ways and is refused. A directory
// offset or size that is a little wrong is recovered as unzip and bsdtar recover it, and a size
// that counts only the last entries' headers as 7z recovers it: the directory is then read from
// its stored offset to the end records, in an archive that begins the file (the entries'
// checksums still decide).
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

  // False when the directory already shows entries that share bytes (a zip bomb, or damage):
  // such an archive is listed but not extracted. Each entry's extentLimit holds the rest of the
  // rule for its local header.
  bool EntriesApart() const { return entriesApart_; }

 private:
  struct TLocated {
    TZipEnd end;
    uint64_t directoryStart;
    uint64_t directoryEnd;  // where the end records begin
    int64_t shift;          // prefix bytes the stored offsets do not count
    // Read up to the end records whatever the stored size says: the size is taken as wrong.
    bool sizeWrong = false;
  };
  // The last end record, and an earlier one whose comment holds it, where they describe a directory.
  struct TEndRecords {
    std::optional<TLocated> last;
    std::optional<TLocated> holder;
  };
  struct TReading {
    std::vector<TZipEntryRecord> entries;  // those read before any damage
    bool complete = false;
    bool apart = false;
  };
  TEndRecords LocateDirectory();
  std::optional<TLocated> TryEndRecord(uint64_t position);
  bool HasSignature(uint64_t position, uint32_t signature);
  TReading ReadEntries(const TLocated& located);
  // ReadEntries, or when that reading is not whole, the one from the stored offset with the size
  // taken as wrong, where that is whole and the archive begins the file.
  TReading ReadDirectory(const TLocated& located);
  int64_t CheckedShift(const TLocated& located, const std::vector<TZipEntryRecord>& entries);

  TZipInput input_;
  std::vector<TZipEntryRecord> entries_;
  bool entriesApart_ = false;
};

// Where an entry's data begins, from its local header; nothing when that header is damaged or the
// data would run past the entry's extent.
std::optional<uint64_t> ZipEntryDataOffset(TZipInput& input, const TZipEntryRecord& entry);
