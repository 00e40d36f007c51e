#include "compress/zip/ZipDirectory.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr char kEndMagic[] = "PK\5\6";

bool IsEndMagic(const std::vector<char>& bytes, size_t at) {
  return bytes[at] == 'P' && std::memcmp(&bytes[at], kEndMagic, 4) == 0;
}

// Each entry's extent ends where the next one (by offset) begins, the last one's where the
// directory does, as python's zipfile bounds them. False when the directory already shows two
// entries sharing bytes.
bool LimitExtents(std::vector<TZipEntryRecord>& entries, uint64_t directoryStart) {
  std::vector<TZipEntryRecord*> byOffset;
  byOffset.reserve(entries.size());
  for (TZipEntryRecord& e : entries) byOffset.push_back(&e);
  std::stable_sort(byOffset.begin(), byOffset.end(), [](const TZipEntryRecord* a, const TZipEntryRecord* b) {
    return a->localHeaderOffset < b->localHeaderOffset;
  });
  bool apart = true;
  uint64_t limit = directoryStart;
  for (auto it = byOffset.rbegin(); it != byOffset.rend(); ++it) {
    TZipEntryRecord& e = **it;
    e.extentLimit = limit;
    // The least an entry takes: a local header without name or extra field, then its data.
    const uint64_t room = limit >= e.localHeaderOffset ? limit - e.localHeaderOffset : 0;
    if (room < uint64_t(kZipLocalHeaderSize) || room - kZipLocalHeaderSize < e.compressedSize) apart = false;
    limit = e.localHeaderOffset;
  }
  return apart;
}

bool SameEntries(const std::vector<TZipEntryRecord>& a, const std::vector<TZipEntryRecord>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](const TZipEntryRecord& x, const TZipEntryRecord& y) {
                      return x.localHeaderOffset == y.localHeaderOffset && x.name == y.name &&
                             x.method == y.method && x.compressedSize == y.compressedSize && x.crc == y.crc;
                    });
}

}  // namespace

bool TZipDirectory::Open(const QString& path) {
  entries_.clear();
  entriesApart_ = false;
  if (!input_.Open(path)) return false;
  const TEndRecords found = LocateDirectory();
  if (!found.last && !found.holder) return false;
  TReading reading = ReadDirectory(found.last ? *found.last : *found.holder);
  if (found.last && found.holder) {
    // Two records describe a directory: unless both read the same, the file reads two ways.
    TReading other = ReadDirectory(*found.holder);
    if (reading.complete && other.complete && !SameEntries(reading.entries, other.entries)) return false;
    if (!reading.complete) reading = std::move(other);
  }
  entries_ = std::move(reading.entries);
  entriesApart_ = reading.apart;
  return reading.complete;
}

TZipDirectory::TEndRecords TZipDirectory::LocateDirectory() {
  const uint64_t size = input_.size();
  if (size < uint64_t(kZipEndSize)) return {};
  const uint64_t tailLength = std::min<uint64_t>(size, kZipEndSize + kZipMaxComment);
  const uint64_t tailStart = size - tailLength;
  std::vector<char> tail(tailLength);
  if (!input_.Read(tailStart, tail.data(), tail.size())) return {};
  // Where the record at tail[at] ends, comment included; past the file when it does not fit.
  const auto recordEnd = [&](size_t at) {
    if (at + kZipEndSize > tail.size()) return UINT64_MAX;
    TZipEnd end;
    uint16_t commentLength = 0;
    ParseEndFixed(&tail[at], end, commentLength);
    return tailStart + at + kZipEndSize + commentLength;
  };

  // The last record: the last 22 bytes when they are one without a comment (their values may
  // hold the signature too), otherwise the last signature.
  size_t last = tail.size() - kZipEndSize;
  if (!IsEndMagic(tail, last) || recordEnd(last) != size) {
    last = tail.size() - 3;
    do {
      if (last-- == 0) return {};
    } while (!IsEndMagic(tail, last));
  }
  if (recordEnd(last) > size) return {};
  TEndRecords found;
  found.last = TryEndRecord(tailStart + last);
  // An earlier record that fits the file and whose comment holds the last one.
  for (size_t at = last < kZipEndSize ? 0 : last - kZipEndSize + 1; at-- > 0 && !found.holder;) {
    if (!IsEndMagic(tail, at)) continue;
    const uint64_t end = recordEnd(at);
    if (end <= size && end >= tailStart + last + 4) found.holder = TryEndRecord(tailStart + at);
  }
  return found;
}

bool TZipDirectory::HasSignature(uint64_t position, uint32_t signature) {
  char bytes[4];
  if (!input_.Read(position, bytes, 4)) return false;
  TLeReader r(bytes, 4);
  return r.U32() == signature;
}

// Whether the end record at `position` describes a directory that is there.
std::optional<TZipDirectory::TLocated> TZipDirectory::TryEndRecord(uint64_t position) {
  TLocated l{};
  char fixed[kZipEndSize];
  uint16_t commentLength = 0;
  if (!input_.Read(position, fixed, sizeof fixed) || !ParseEndFixed(fixed, l.end, commentLength))
    return std::nullopt;

  l.directoryEnd = position;
  char locator[kZip64LocatorSize];
  if (position >= uint64_t(kZip64LocatorSize) &&
      input_.Read(position - kZip64LocatorSize, locator, sizeof locator)) {
    if (const auto recordOffset = ParseZip64Locator(locator)) {
      // Where the locator says, or right before the locator when its offset misses a prefix.
      const uint64_t beforeLocator = position - kZip64LocatorSize;
      const uint64_t besideLocator =
          beforeLocator >= uint64_t(kZip64EndSize) ? beforeLocator - kZip64EndSize : 0;
      bool found = false;
      for (const uint64_t candidate : {*recordOffset, besideLocator}) {
        char record[kZip64EndSize];
        if (input_.Read(candidate, record, sizeof record) && ParseZip64End(record, l.end)) {
          l.directoryEnd = candidate;
          found = true;
          break;
        }
      }
      if (!found) return std::nullopt;
    }
  }
  // Read alone, a split set's last volume would yield only the entries that happen to lie in it.
  if (l.end.spansVolumes) return std::nullopt;
  const uint64_t size = l.end.directorySize;
  const uint64_t end = l.directoryEnd;
  if (size == 0) {
    if (l.end.entryCount != 0) return std::nullopt;
    l.directoryStart = end;
    return l;
  }
  // The directory normally ends where the end records begin; a difference from its stored
  // offset is then a prefix the offsets do not count. Otherwise the stored offset is trusted, and
  // the size is taken as a little wrong.
  if (size <= end && HasSignature(end - size, kZipCentralSignature)) {
    l.directoryStart = end - size;
    l.shift = int64_t(l.directoryStart - l.end.directoryOffset);  // wraps: a ZIP64 offset may be anything
    return l;
  }
  if (l.end.directoryOffset < end && HasSignature(l.end.directoryOffset, kZipCentralSignature)) {
    l.directoryStart = l.end.directoryOffset;
    return l;
  }
  return std::nullopt;
}

TZipDirectory::TReading TZipDirectory::ReadDirectory(const TLocated& l) {
  TReading reading = ReadEntries(l);
  // A size that counts only the last headers makes the directory seem to begin at one of them,
  // behind a prefix the offsets would not count. Where the stored offset holds a directory that
  // runs to the end records instead, with every entry, the size alone is wrong; unless the file
  // begins with the archive, both readings are doubtful and the archive stays damaged.
  if (reading.complete || l.shift == 0 || l.end.directoryOffset >= l.directoryEnd ||
      !HasSignature(l.end.directoryOffset, kZipCentralSignature))
    return reading;
  TLocated stored = l;
  stored.directoryStart = l.end.directoryOffset;
  stored.shift = 0;
  stored.sizeWrong = true;
  TReading recovered = ReadEntries(stored);
  if (!recovered.complete) return reading;
  const auto first = std::min_element(
      recovered.entries.begin(), recovered.entries.end(),
      [](const TZipEntryRecord& a, const TZipEntryRecord& b) { return a.localHeaderOffset < b.localHeaderOffset; });
  if (first == recovered.entries.end() || first->localHeaderOffset != 0 || !HasSignature(0, kZipLocalSignature))
    return reading;
  return recovered;
}

TZipDirectory::TReading TZipDirectory::ReadEntries(const TLocated& l) {
  TReading reading;
  std::vector<TZipEntryRecord>& entries = reading.entries;
  // Up to the stored size, or when it is a little wrong (less than a header, so that no entry
  // hides in the difference), up to the end records or the first record that is no central header.
  uint64_t position = l.directoryStart;
  while (l.directoryEnd - position >= uint64_t(kZipCentralHeaderSize)) {
    char fixed[kZipCentralHeaderSize];
    TZipEntryRecord e;
    TZipVariableLengths lengths;
    if (!input_.Read(position, fixed, sizeof fixed)) return reading;
    if (!ParseCentralFixed(fixed, e, lengths)) break;
    position += kZipCentralHeaderSize;
    if (uint64_t(lengths.name) + lengths.extra + lengths.comment > l.directoryEnd - position) return reading;
    e.name = QByteArray(lengths.name, Qt::Uninitialized);
    e.extra = QByteArray(lengths.extra, Qt::Uninitialized);
    if (!input_.Read(position, e.name.data(), size_t(lengths.name)) ||
        !input_.Read(position + lengths.name, e.extra.data(), size_t(lengths.extra)))
      return reading;
    position += uint64_t(lengths.name) + lengths.extra + lengths.comment;
    if (!ApplyZip64Extra(e)) return reading;
    entries.push_back(std::move(e));
    if (!l.sizeWrong && position - l.directoryStart == l.end.directorySize) break;
  }
  const uint64_t length = position - l.directoryStart;
  if (l.sizeWrong ? position != l.directoryEnd
                  : std::max(length, l.end.directorySize) - std::min(length, l.end.directorySize) >=
                        uint64_t(kZipCentralHeaderSize))
    return reading;
  // Writers without ZIP64 keep only the low 16 bits of a large count.
  if (entries.size() % 0x10000 != l.end.entryCount % 0x10000) return reading;

  const int64_t shift = CheckedShift(l, entries);
  for (TZipEntryRecord& e : entries) {
    // Unsigned: a hostile ZIP64 offset must wrap, not overflow; below zero wraps past the size.
    e.localHeaderOffset += uint64_t(shift);
    if (e.localHeaderOffset >= input_.size()) return reading;
  }
  reading.apart = LimitExtents(entries, l.directoryStart);
  reading.complete = true;
  return reading;
}

// A directory that lies elsewhere than its stored offset says is either behind a prefix the
// offsets do not count, or its offset is a little wrong (it still points into the file); as
// unzip does, the first entry's local header tells which.
int64_t TZipDirectory::CheckedShift(const TLocated& l, const std::vector<TZipEntryRecord>& entries) {
  if (l.shift == 0 || entries.empty() || l.end.directoryOffset >= l.directoryEnd) return l.shift;
  const uint64_t first = entries.front().localHeaderOffset;
  if (!HasSignature(first + uint64_t(l.shift), kZipLocalSignature) && HasSignature(first, kZipLocalSignature))
    return 0;
  return l.shift;
}

std::optional<uint64_t> ZipEntryDataOffset(TZipInput& input, const TZipEntryRecord& e) {
  char fixed[kZipLocalHeaderSize];
  uint16_t nameLength = 0, extraLength = 0;
  if (!input.Read(e.localHeaderOffset, fixed, sizeof fixed) ||
      !ParseLocalFixed(fixed, nameLength, extraLength))
    return std::nullopt;
  const uint64_t end = std::min(input.size(), e.extentLimit);
  const uint64_t data = e.localHeaderOffset + kZipLocalHeaderSize + nameLength + extraLength;
  if (data > end || e.compressedSize > end - data) return std::nullopt;
  return data;
}
