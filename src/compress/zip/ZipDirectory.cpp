#include "compress/zip/ZipDirectory.h"

#include <cstring>

namespace {
constexpr char kEndMagic[] = "PK\5\6";
}  // namespace

bool TZipDirectory::Open(const QString& path) {
  entries_.clear();
  if (!input_.Open(path)) return false;
  const auto located = LocateDirectory();
  return located && ReadEntries(*located);
}

std::optional<TZipDirectory::TLocated> TZipDirectory::LocateDirectory() {
  const uint64_t size = input_.size();
  if (size < uint64_t(kZipEndSize)) return std::nullopt;
  const uint64_t tailLength = std::min<uint64_t>(size, kZipEndSize + kZipMaxComment);
  const uint64_t tailStart = size - tailLength;
  std::vector<char> tail(tailLength);
  if (!input_.Read(tailStart, tail.data(), tail.size())) return std::nullopt;
  // The last record that describes a plausible directory wins: a comment may hold the magic too.
  for (int64_t i = int64_t(tailLength) - kZipEndSize; i >= 0; --i) {
    if (tail[size_t(i)] != 'P' || std::memcmp(&tail[size_t(i)], kEndMagic, 4) != 0) continue;
    if (auto located = TryEndRecord(tailStart + uint64_t(i), &tail[size_t(i)])) return located;
  }
  return std::nullopt;
}

bool TZipDirectory::HasSignature(uint64_t position, uint32_t signature) {
  char bytes[4];
  if (!input_.Read(position, bytes, 4)) return false;
  TLeReader r(bytes, 4);
  return r.U32() == signature;
}

std::optional<TZipDirectory::TLocated> TZipDirectory::TryEndRecord(uint64_t position, const char* fixed) {
  TLocated l{};
  uint16_t commentLength = 0;
  if (!ParseEndFixed(fixed, l.end, commentLength)) return std::nullopt;
  if (position + kZipEndSize + commentLength > input_.size()) return std::nullopt;

  uint64_t directoryEnd = position;
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
          directoryEnd = candidate;
          found = true;
          break;
        }
      }
      if (!found) return std::nullopt;
    }
  }
  if (l.end.directorySize > directoryEnd) return std::nullopt;
  const uint64_t start = directoryEnd - l.end.directorySize;
  if (l.end.directorySize == 0) {
    l.directoryStart = start;
    return l;
  }
  // The directory normally ends where the end records begin; a difference from its stored
  // offset is then a prefix the offsets do not count. Otherwise the stored offset is trusted.
  if (HasSignature(start, kZipCentralSignature)) {
    l.directoryStart = start;
    l.shift = int64_t(start - l.end.directoryOffset);  // wraps: a ZIP64 offset may be anything
    return l;
  }
  if (l.end.directoryOffset + l.end.directorySize <= directoryEnd &&
      HasSignature(l.end.directoryOffset, kZipCentralSignature)) {
    l.directoryStart = l.end.directoryOffset;
    return l;
  }
  return std::nullopt;
}

bool TZipDirectory::ReadEntries(const TLocated& l) {
  uint64_t position = l.directoryStart;
  const uint64_t end = l.directoryStart + l.end.directorySize;
  while (end - position >= uint64_t(kZipCentralHeaderSize)) {
    char fixed[kZipCentralHeaderSize];
    TZipEntryRecord e;
    TZipVariableLengths lengths;
    if (!input_.Read(position, fixed, sizeof fixed) || !ParseCentralFixed(fixed, e, lengths)) return false;
    position += kZipCentralHeaderSize;
    if (uint64_t(lengths.name) + lengths.extra + lengths.comment > end - position) return false;
    e.name = QByteArray(lengths.name, Qt::Uninitialized);
    e.extra = QByteArray(lengths.extra, Qt::Uninitialized);
    if (!input_.Read(position, e.name.data(), size_t(lengths.name)) ||
        !input_.Read(position + lengths.name, e.extra.data(), size_t(lengths.extra)))
      return false;
    position += uint64_t(lengths.name) + lengths.extra + lengths.comment;
    if (!ApplyZip64Extra(e)) return false;
    // Unsigned: a hostile ZIP64 offset must wrap, not overflow; below zero wraps past the size.
    const uint64_t local = e.localHeaderOffset + uint64_t(l.shift);
    if (local >= input_.size()) return false;
    e.localHeaderOffset = local;
    entries_.push_back(std::move(e));
  }
  // Writers without ZIP64 keep only the low 16 bits of a large count.
  return entries_.size() % 0x10000 == l.end.entryCount % 0x10000;
}

std::optional<uint64_t> ZipEntryDataOffset(TZipInput& input, const TZipEntryRecord& e) {
  char fixed[kZipLocalHeaderSize];
  uint16_t nameLength = 0, extraLength = 0;
  if (!input.Read(e.localHeaderOffset, fixed, sizeof fixed) || !ParseLocalFixed(fixed, nameLength, extraLength))
    return std::nullopt;
  const uint64_t data = e.localHeaderOffset + kZipLocalHeaderSize + nameLength + extraLength;
  if (data > input.size() || e.compressedSize > input.size() - data) return std::nullopt;
  return data;
}
