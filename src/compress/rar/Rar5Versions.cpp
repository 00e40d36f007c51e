#include "compress/rar/Rar5Versions.h"

#include <QFile>

#include <cstdint>
#include <optional>

namespace {

const QByteArray kRar5Signature("Rar!\x1A\x07\x01\x00", 8);
// A self-extracting stub before the signature, as far as the library looks.
constexpr qint64 kMaxStubSize = 0x200000;
constexpr qint64 kMaxHeaderSize = 0x200000;

enum : std::uint64_t { kFileHeader = 2, kEncryptionHeader = 4, kEndHeader = 5 };
enum : std::uint64_t { kHasExtraArea = 0x01, kHasDataArea = 0x02 };
enum : std::uint64_t { kFileHasTime = 0x02, kFileHasCrc = 0x04 };
constexpr std::uint64_t kVersionRecord = 4;

// Reads the format's variable-length integers (7 bits a byte, low bits first).
class TReader {
 public:
  explicit TReader(QByteArrayView bytes) : bytes_(bytes) {}
  std::optional<std::uint64_t> Vint() {
    std::uint64_t value = 0;
    for (int shift = 0; shift < 64 && pos_ < bytes_.size(); shift += 7) {
      const auto byte = std::uint8_t(bytes_[pos_++]);
      value |= std::uint64_t(byte & 0x7F) << shift;
      if (!(byte & 0x80)) return value;
    }
    return std::nullopt;
  }
  bool Skip(std::uint64_t count) {
    if (count > std::uint64_t(bytes_.size() - pos_)) return false;
    pos_ += qsizetype(count);
    return true;
  }
  std::optional<QByteArrayView> Bytes(std::uint64_t count) {
    const qsizetype at = pos_;
    if (!Skip(count)) return std::nullopt;
    return bytes_.sliced(at, qsizetype(count));
  }
  qsizetype pos() const { return pos_; }

 private:
  QByteArrayView bytes_;
  qsizetype pos_ = 0;
};

// The version in a file header's extra area; 0 when there is none.
std::uint64_t VersionIn(QByteArrayView extra) {
  TReader reader(extra);
  while (reader.pos() < extra.size()) {
    const auto size = reader.Vint();
    const qsizetype start = reader.pos();
    const auto type = reader.Vint();
    if (!size || !type) return 0;
    if (*type == kVersionRecord) {
      reader.Vint();  // flags
      return reader.Vint().value_or(0);
    }
    if (!reader.Skip(*size - std::uint64_t(reader.pos() - start))) return 0;
  }
  return 0;
}

// One file header's name with its version appended, when it has one.
std::optional<QString> VersionedName(QByteArrayView header, std::uint64_t extraSize) {
  TReader reader(header);
  const auto fileFlags = reader.Vint();
  if (!fileFlags || !reader.Vint() || !reader.Vint()) return std::nullopt;  // unpacked size, attributes
  if ((*fileFlags & kFileHasTime) && !reader.Skip(4)) return std::nullopt;
  if ((*fileFlags & kFileHasCrc) && !reader.Skip(4)) return std::nullopt;
  if (!reader.Vint() || !reader.Vint()) return std::nullopt;  // compression, host system
  const auto nameSize = reader.Vint();
  const auto name = nameSize ? reader.Bytes(*nameSize) : std::nullopt;
  if (!name || extraSize > std::uint64_t(header.size())) return std::nullopt;
  const std::uint64_t version = VersionIn(header.last(qsizetype(extraSize)));
  if (version == 0) return std::nullopt;
  return QString::fromUtf8(*name) + ';' + QString::number(version);
}

}  // namespace

QSet<QString> Rar5OlderVersions(const QString& archive) {
  QSet<QString> versions;
  QFile file(archive);
  if (!file.open(QIODevice::ReadOnly)) return versions;
  const qsizetype signature = file.read(kMaxStubSize + kRar5Signature.size()).indexOf(kRar5Signature);
  if (signature < 0) return versions;
  qint64 pos = signature + kRar5Signature.size();
  while (file.seek(pos)) {
    // CRC32, then the header size: at most three bytes, as a header is at most 2 MiB.
    const QByteArray start = file.read(7);
    TReader sizeReader(QByteArrayView(start).sliced(qMin<qsizetype>(4, start.size())));
    const auto headerSize = sizeReader.Vint();
    if (!headerSize || *headerSize > kMaxHeaderSize) break;
    const qint64 headerStart = pos + 4 + sizeReader.pos();
    if (!file.seek(headerStart)) break;
    const QByteArray header = file.read(qint64(*headerSize));
    if (header.size() != qsizetype(*headerSize)) break;
    TReader reader(header);
    const auto type = reader.Vint();
    const auto flags = reader.Vint();
    const auto extraSize =
        flags && (*flags & kHasExtraArea) ? reader.Vint() : std::optional<std::uint64_t>(0);
    const auto dataSize = flags && (*flags & kHasDataArea) ? reader.Vint() : std::optional<std::uint64_t>(0);
    if (!type || !flags || !extraSize || !dataSize) break;
    if (*type == kEncryptionHeader || *type == kEndHeader) break;
    if (*type == kFileHeader)
      if (const auto name = VersionedName(QByteArrayView(header).sliced(reader.pos()), *extraSize))
        versions.insert(*name);
    pos = headerStart + qint64(*headerSize) + qint64(*dataSize);
  }
  return versions;
}
