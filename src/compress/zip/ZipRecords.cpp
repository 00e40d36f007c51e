#include "compress/zip/ZipRecords.h"

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <cstring>

namespace {

// The ids of the extra fields read or written.
enum : uint16_t {
  kExtraZip64 = 0x0001,
  kExtraNtfs = 0x000a,
  kExtraTimestamp = 0x5455,
  kExtraUnicodePath = 0x7075
};
constexpr uint32_t kUnixTypeMask = 0170000;
constexpr uint32_t kUnixSymlink = 0120000;
// 100-ns ticks between 1601-01-01 and 1970-01-01.
constexpr int64_t kFileTimeEpochTicks = 116444736000000000LL;

class TLeWriter {
 public:
  explicit TLeWriter(QByteArray& out) : out_(out) {}
  TLeWriter& U16(uint16_t v) {
    const char b[2] = {char(v), char(v >> 8)};
    out_.append(b, 2);
    return *this;
  }
  TLeWriter& U32(uint32_t v) {
    const char b[4] = {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
    out_.append(b, 4);
    return *this;
  }
  TLeWriter& U64(uint64_t v) { return U32(uint32_t(v)).U32(uint32_t(v >> 32)); }
  TLeWriter& Bytes(const QByteArray& b) {
    out_.append(b);
    return *this;
  }

 private:
  QByteArray& out_;
};

uint32_t Clamp32(uint64_t v) { return v >= kZipMax32 ? kZipMax32 : uint32_t(v); }

uint16_t Get16(const char* p) { return uint16_t(uint8_t(p[0]) | uint8_t(p[1]) << 8); }
uint32_t Get32(const char* p) { return uint32_t(Get16(p)) | uint32_t(Get16(p + 2)) << 16; }
uint64_t Get64(const char* p) { return uint64_t(Get32(p)) | uint64_t(Get32(p + 4)) << 32; }

}  // namespace

bool TZipEntryRecord::IsUnixSymlink() const { return (UnixMode() & kUnixTypeMask) == kUnixSymlink; }

uint32_t TZipEntryRecord::UnixMode() const {
  return (versionMadeBy >> 8) == kZipHostUnix ? externalAttributes >> 16 : 0;
}

bool TZipEntryRecord::IsFolderByAttributes() const {
  constexpr uint32_t kDosFolder = 0x10;
  constexpr uint32_t kUnixFolder = 0040000;
  switch (versionMadeBy >> 8) {
    case 0:   // MS-DOS and OS/2 FAT
    case 6:   // OS/2 HPFS
    case 11:  // Windows NTFS
    case 14:  // Windows VFAT
      return externalAttributes & kDosFolder;
    case kZipHostUnix:
      return (UnixMode() & kUnixTypeMask) == kUnixFolder;
    default:
      return false;
  }
}

QByteArray LocalHeader(const TZipEntryRecord& e, bool zip64Sizes, const QByteArray& extraTail) {
  QByteArray extra;
  if (zip64Sizes) TLeWriter(extra).U16(kExtraZip64).U16(16).U64(e.uncompressedSize).U64(e.compressedSize);
  extra += extraTail;
  QByteArray out;
  out.reserve(kZipLocalHeaderSize + e.name.size() + extra.size());
  TLeWriter(out)
      .U32(kZipLocalSignature)
      .U16(zip64Sizes ? kZipVersionZip64 : e.versionNeeded)
      .U16(e.flags)
      .U16(e.method)
      .U32(e.dosDateTime)
      .U32(e.crc)
      .U32(zip64Sizes ? kZipMax32 : uint32_t(e.compressedSize))
      .U32(zip64Sizes ? kZipMax32 : uint32_t(e.uncompressedSize))
      .U16(uint16_t(e.name.size()))
      .U16(uint16_t(extra.size()))
      .Bytes(e.name)
      .Bytes(extra);
  return out;
}

bool CentralNeedsZip64(const TZipEntryRecord& e) {
  return e.uncompressedSize >= kZipMax32 || e.compressedSize >= kZipMax32 || e.localHeaderOffset >= kZipMax32;
}

QByteArray CentralHeader(const TZipEntryRecord& e, const QByteArray& extraTail) {
  QByteArray extra;
  if (CentralNeedsZip64(e)) {
    QByteArray values;
    TLeWriter v(values);
    if (e.uncompressedSize >= kZipMax32) v.U64(e.uncompressedSize);
    if (e.compressedSize >= kZipMax32) v.U64(e.compressedSize);
    if (e.localHeaderOffset >= kZipMax32) v.U64(e.localHeaderOffset);
    TLeWriter(extra).U16(kExtraZip64).U16(uint16_t(values.size())).Bytes(values);
  }
  extra += extraTail;
  QByteArray out;
  out.reserve(kZipCentralHeaderSize + e.name.size() + extra.size());
  TLeWriter(out)
      .U32(kZipCentralSignature)
      .U16(e.versionMadeBy)
      .U16(e.versionNeeded)
      .U16(e.flags)
      .U16(e.method)
      .U32(e.dosDateTime)
      .U32(e.crc)
      .U32(Clamp32(e.compressedSize))
      .U32(Clamp32(e.uncompressedSize))
      .U16(uint16_t(e.name.size()))
      .U16(uint16_t(extra.size()))
      .U16(0)  // comment length
      .U16(0)  // disk number
      .U16(0)  // internal attributes
      .U32(e.externalAttributes)
      .U32(Clamp32(e.localHeaderOffset))
      .Bytes(e.name)
      .Bytes(extra);
  return out;
}

QByteArray DataDescriptor(uint32_t crc, uint64_t compressedSize, uint64_t uncompressedSize, bool zip64) {
  QByteArray out;
  TLeWriter w(out);
  w.U32(kZipDescriptorSignature).U32(crc);
  if (zip64)
    w.U64(compressedSize).U64(uncompressedSize);
  else
    w.U32(uint32_t(compressedSize)).U32(uint32_t(uncompressedSize));
  return out;
}

QByteArray EndRecords(const TZipEnd& end, uint64_t position) {
  const bool zip64 =
      end.entryCount >= kZipMax16 || end.directorySize >= kZipMax32 || end.directoryOffset >= kZipMax32;
  QByteArray out;
  TLeWriter w(out);
  if (zip64) {
    w.U32(kZip64EndSignature)
        .U64(kZip64EndSize - 12)
        .U16((kZipHostUnix << 8) | kZipVersionZip64)
        .U16(kZipVersionZip64)
        .U32(0)  // this disk
        .U32(0)  // disk with the directory
        .U64(end.entryCount)
        .U64(end.entryCount)
        .U64(end.directorySize)
        .U64(end.directoryOffset);
    w.U32(kZip64LocatorSignature).U32(0).U64(position).U32(1);
  }
  const uint16_t count = end.entryCount >= kZipMax16 ? kZipMax16 : uint16_t(end.entryCount);
  w.U32(kZipEndSignature)
      .U16(0)
      .U16(0)
      .U16(count)
      .U16(count)
      .U32(Clamp32(end.directorySize))
      .U32(Clamp32(end.directoryOffset))
      .U16(uint16_t(end.comment.size()))
      .Bytes(end.comment);
  return out;
}

QByteArray TimestampExtra(int64_t unixSeconds) {
  QByteArray out;
  out.reserve(9);
  TLeWriter(out).U16(kExtraTimestamp).U16(5);
  out.append(char(1));  // modification time present
  // The field is a signed 32-bit count; times beyond it keep the nearest one it can hold.
  const int64_t clamped = std::clamp<int64_t>(unixSeconds, INT32_MIN, INT32_MAX);
  TLeWriter(out).U32(uint32_t(int32_t(clamped)));
  return out;
}

const char* TLeReader::Take(int64_t n) {
  if (!ok_ || n < 0 || n > left_) {
    ok_ = false;
    return nullptr;
  }
  const char* at = p_;
  p_ += n;
  left_ -= n;
  return at;
}

uint16_t TLeReader::U16() {
  const char* at = Take(2);
  return at ? Get16(at) : 0;
}

uint32_t TLeReader::U32() {
  const char* at = Take(4);
  return at ? Get32(at) : 0;
}

uint64_t TLeReader::U64() {
  const char* at = Take(8);
  return at ? Get64(at) : 0;
}

QByteArray TLeReader::Bytes(int64_t n) {
  const char* at = Take(n);
  return at ? QByteArray(at, qsizetype(n)) : QByteArray();
}

void TLeReader::Skip(int64_t n) { Take(n); }

bool ParseCentralFixed(const char* fixed, TZipEntryRecord& e, TZipVariableLengths& lengths) {
  TLeReader r(fixed, kZipCentralHeaderSize);
  if (r.U32() != kZipCentralSignature) return false;
  e.versionMadeBy = r.U16();
  e.versionNeeded = r.U16();
  e.flags = r.U16();
  e.method = r.U16();
  e.dosDateTime = r.U32();
  e.crc = r.U32();
  e.compressedSize = r.U32();
  e.uncompressedSize = r.U32();
  lengths.name = r.U16();
  lengths.extra = r.U16();
  lengths.comment = r.U16();
  r.Skip(4);  // disk number, internal attributes
  e.externalAttributes = r.U32();
  e.localHeaderOffset = r.U32();
  return r.ok();
}

bool ApplyZip64Extra(TZipEntryRecord& e) {
  uint64_t* marked[3] = {&e.uncompressedSize, &e.compressedSize, &e.localHeaderOffset};
  const QByteArray data = FindExtraField(e.extra, kExtraZip64);
  if (data.isNull()) return true;
  TLeReader r(data.constData(), data.size());
  for (uint64_t* field : marked) {
    if (*field != kZipMax32) continue;
    const uint64_t v = r.U64();
    if (!r.ok()) return false;
    *field = v;
  }
  return true;
}

bool ParseLocalFixed(const char* fixed, uint16_t& nameLength, uint16_t& extraLength) {
  if (Get32(fixed) != kZipLocalSignature) return false;
  nameLength = Get16(fixed + 26);
  extraLength = Get16(fixed + 28);
  return true;
}

bool ParseEndFixed(const char* fixed, TZipEnd& end, uint16_t& commentLength) {
  TLeReader r(fixed, kZipEndSize);
  if (r.U32() != kZipEndSignature) return false;
  const uint16_t thisDisk = r.U16();
  const uint16_t directoryDisk = r.U16();
  // A ZIP64 end record, when there is one, holds the real numbers (ParseZip64End).
  end.spansVolumes = (thisDisk != 0 && thisDisk != 0xFFFF) || (directoryDisk != 0 && directoryDisk != 0xFFFF);
  r.Skip(2);  // entries on this disk
  end.entryCount = r.U16();
  end.directorySize = r.U32();
  end.directoryOffset = r.U32();
  commentLength = r.U16();
  return r.ok();
}

std::optional<uint64_t> ParseZip64Locator(const char* fixed) {
  if (Get32(fixed) != kZip64LocatorSignature) return std::nullopt;
  return Get64(fixed + 8);
}

bool ParseZip64End(const char* fixed, TZipEnd& end) {
  TLeReader r(fixed, kZip64EndSize);
  if (r.U32() != kZip64EndSignature) return false;
  r.Skip(8 + 2 + 2);  // record size, versions
  const uint32_t thisDisk = r.U32();
  const uint32_t directoryDisk = r.U32();
  end.spansVolumes = thisDisk != 0 || directoryDisk != 0;
  r.Skip(8);  // entries on this disk
  end.entryCount = r.U64();
  end.directorySize = r.U64();
  end.directoryOffset = r.U64();
  return r.ok();
}

QByteArray FindExtraField(const QByteArray& extra, uint16_t tag) {
  TLeReader r(extra.constData(), extra.size());
  while (r.left() >= 4) {
    const uint16_t id = r.U16();
    const uint16_t size = r.U16();
    QByteArray data = r.Bytes(size);
    if (!r.ok()) break;
    if (id == tag) return data.isNull() ? QByteArray("") : data;
  }
  return {};
}

std::optional<TZipUnixTime> ExtraModificationTime(const QByteArray& extra) {
  const QByteArray ntfs = FindExtraField(extra, kExtraNtfs);
  if (!ntfs.isNull()) {
    TLeReader r(ntfs.constData(), ntfs.size());
    r.Skip(4);  // reserved
    while (r.ok() && r.left() >= 4) {
      const uint16_t attribute = r.U16();
      const uint16_t size = r.U16();
      if (attribute == 1 && size >= 8) {
        const int64_t ticks = int64_t(r.U64());
        if (!r.ok() || ticks <= 0) break;  // some writers leave the times zero
        const int64_t sinceEpoch = ticks - kFileTimeEpochTicks;
        TZipUnixTime t;
        t.seconds = sinceEpoch / 10000000;
        t.nanoseconds = (sinceEpoch % 10000000) * 100;
        if (t.nanoseconds < 0) {
          t.nanoseconds += 1000000000;
          --t.seconds;
        }
        return t;
      }
      r.Skip(size);
    }
  }
  const QByteArray ut = FindExtraField(extra, kExtraTimestamp);
  if (ut.size() >= 5 && (uint8_t(ut[0]) & 1)) return TZipUnixTime{int32_t(Get32(ut.constData() + 1)), 0};
  return std::nullopt;
}

std::optional<QByteArray> UnicodePathExtra(const QByteArray& extra, const QByteArray& rawName) {
  const QByteArray data = FindExtraField(extra, kExtraUnicodePath);
  if (data.size() < 5 || data[0] != 1) return std::nullopt;
  const uint32_t nameCrc = Get32(data.constData() + 1);
  const uint32_t actual =
      uint32_t(crc32(0, reinterpret_cast<const Bytef*>(rawName.constData()), uInt(rawName.size())));
  if (nameCrc != actual) return std::nullopt;
  return data.mid(5);
}
