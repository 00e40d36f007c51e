#pragma once
// The records of the ZIP format (PKWARE's APPNOTE): signatures, header layouts, the extra fields
// this engine writes or reads, and their little-endian packing. No file access here.
#include <QByteArray>

#include <cstdint>
#include <optional>

constexpr uint32_t kZipLocalSignature = 0x04034b50;
constexpr uint32_t kZipCentralSignature = 0x02014b50;
constexpr uint32_t kZipEndSignature = 0x06054b50;
constexpr uint32_t kZip64EndSignature = 0x06064b50;
constexpr uint32_t kZip64LocatorSignature = 0x07064b50;
constexpr uint32_t kZipDescriptorSignature = 0x08074b50;

constexpr int kZipLocalHeaderSize = 30;
constexpr int kZipCentralHeaderSize = 46;
constexpr int kZipEndSize = 22;
constexpr int kZip64EndSize = 56;
constexpr int kZip64LocatorSize = 20;

constexpr uint16_t kZipFlagEncrypted = 0x0001;
constexpr uint16_t kZipFlagDescriptor = 0x0008;
constexpr uint16_t kZipFlagStrongEncryption = 0x0040;
constexpr uint16_t kZipFlagUtf8 = 0x0800;

constexpr uint16_t kZipMethodStored = 0;
constexpr uint16_t kZipMethodDeflated = 8;

constexpr uint16_t kZipVersionDefault = 20;
constexpr uint16_t kZipVersionZip64 = 45;
constexpr uint8_t kZipHostUnix = 3;

constexpr uint32_t kZipMax32 = 0xFFFFFFFFu;
constexpr uint16_t kZipMax16 = 0xFFFFu;
constexpr int kZipMaxComment = 0xFFFF;

// One entry as the central directory describes it. Sizes and offset are the full 64-bit values
// (ZIP64 extra fields applied); `extra` is the central header's raw extra field.
struct TZipEntryRecord {
  uint16_t versionMadeBy = 0;
  uint16_t versionNeeded = kZipVersionDefault;
  uint16_t flags = 0;
  uint16_t method = kZipMethodStored;
  uint32_t dosDateTime = 0;  // date in the high half, time in the low half
  uint32_t crc = 0;
  uint64_t compressedSize = 0;
  uint64_t uncompressedSize = 0;
  uint64_t localHeaderOffset = 0;
  uint32_t externalAttributes = 0;
  QByteArray name;
  QByteArray extra;
  // Reading only: the entry's local header and data end by here (the next entry's local header,
  // or the directory), so that no two entries share bytes.
  uint64_t extentLimit = UINT64_MAX;

  bool IsEncrypted() const { return flags & kZipFlagEncrypted; }
  bool IsUtf8() const { return flags & kZipFlagUtf8; }
  bool IsUnixSymlink() const;
  uint32_t UnixMode() const;  // 0 when the entry was not made on Unix
  // Marked a folder by its attributes alone, as MS-DOS and old Windows zippers mark one (its name
  // needs no trailing '/'): the MS-DOS folder bit from a DOS, OS/2 or Windows host, a folder mode
  // from a Unix one. Other hosts' attributes are not read, as 7-Zip reads them.
  bool IsFolderByAttributes() const;
};

// The end-of-central-directory values, 64-bit wide.
struct TZipEnd {
  uint64_t entryCount = 0;
  uint64_t directorySize = 0;
  uint64_t directoryOffset = 0;
  QByteArray comment;
  // The last volume of a split set (x.z01 ... x.zip): its entries lie in other files.
  bool spansVolumes = false;
};

// --- writing -------------------------------------------------------------------------------

// A local header. With zip64Sizes the 32-bit size fields hold the ZIP64 mark and a ZIP64 extra
// field carries both sizes (required when either may reach 4 GiB). `extraTail` follows it.
QByteArray LocalHeader(const TZipEntryRecord& entry, bool zip64Sizes, const QByteArray& extraTail);
// A central header; values that do not fit 32 bits go to a ZIP64 extra field.
QByteArray CentralHeader(const TZipEntryRecord& entry, const QByteArray& extraTail);
// Whether CentralHeader needs a ZIP64 extra field for this entry.
bool CentralNeedsZip64(const TZipEntryRecord& entry);
// Data descriptor written after the data of an entry with flag bit 3.
QByteArray DataDescriptor(uint32_t crc, uint64_t compressedSize, uint64_t uncompressedSize, bool zip64);
// ZIP64 end record and locator when needed, then the end record. `position` is where they start.
QByteArray EndRecords(const TZipEnd& end, uint64_t position);
// Extended-timestamp extra field (0x5455) holding the modification time.
QByteArray TimestampExtra(int64_t unixSeconds);

// --- reading -------------------------------------------------------------------------------

// Bounds-checked little-endian reading of a byte range; reading past the end sets !ok().
class TLeReader {
 public:
  TLeReader(const char* data, int64_t size) : p_(data), left_(size) {}
  uint16_t U16();
  uint32_t U32();
  uint64_t U64();
  QByteArray Bytes(int64_t n);
  void Skip(int64_t n);
  bool ok() const { return ok_; }
  int64_t left() const { return left_; }

 private:
  // The next n bytes, passed over; null (and not ok from then on) when fewer are left.
  const char* Take(int64_t n);
  const char* p_;
  int64_t left_;
  bool ok_ = true;
};

// The fixed 46 bytes of a central header: fills `entry` (ZIP64 fields still marked) and the
// lengths of the variable parts that follow. False when the signature is wrong.
struct TZipVariableLengths {
  uint16_t name = 0, extra = 0, comment = 0;
};
bool ParseCentralFixed(const char* fixed, TZipEntryRecord& entry, TZipVariableLengths& lengths);
// Replaces the 32-bit values that hold the ZIP64 mark with those of the ZIP64 extra field.
// False when that field is present but too short for them.
bool ApplyZip64Extra(TZipEntryRecord& entry);
// The fixed 30 bytes of a local header: the lengths of name and extra field. False when the
// signature is wrong.
bool ParseLocalFixed(const char* fixed, uint16_t& nameLength, uint16_t& extraLength);
// The fixed 22 bytes of an end record; the comment length goes to commentLength.
bool ParseEndFixed(const char* fixed, TZipEnd& end, uint16_t& commentLength);
// The 20-byte ZIP64 locator: where the ZIP64 end record starts.
std::optional<uint64_t> ParseZip64Locator(const char* fixed);
// The first 56 bytes of a ZIP64 end record: entry count, directory size and offset.
bool ParseZip64End(const char* fixed, TZipEnd& end);

// The data of the first extra block with this tag (null when absent or malformed).
QByteArray FindExtraField(const QByteArray& extra, uint16_t tag);
// Modification time in Unix seconds and nanoseconds, from the NTFS (0x000a) or the extended
// timestamp (0x5455) extra field.
struct TZipUnixTime {
  int64_t seconds = 0;
  int64_t nanoseconds = 0;
};
std::optional<TZipUnixTime> ExtraModificationTime(const QByteArray& extra);
// The UTF-8 name of an Info-ZIP Unicode Path field (0x7075), when it belongs to `rawName`.
std::optional<QByteArray> UnicodePathExtra(const QByteArray& extra, const QByteArray& rawName);
