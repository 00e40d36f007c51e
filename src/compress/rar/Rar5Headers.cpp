#include "compress/rar/Rar5Headers.h"

#include <QFile>
#include <QtEndian>

#include <zlib.h>

#include "compress/common/ArchiveStart.h"

namespace {

const QByteArray kRar5Signature("Rar!\x1A\x07\x01\x00", 8);
constexpr qint64 kMaxHeaderSize = 0x200000;
constexpr std::uint64_t kEndHeader = 5;
enum : std::uint64_t { kHasExtraArea = 0x01, kHasDataArea = 0x02 };

}  // namespace

std::optional<std::uint64_t> TRar5Reader::Vint() {
  std::uint64_t value = 0;
  for (int shift = 0; shift < 64 && pos_ < bytes_.size(); shift += 7) {
    const auto byte = std::uint8_t(bytes_[pos_++]);
    value |= std::uint64_t(byte & 0x7F) << shift;
    if (!(byte & 0x80)) return value;
  }
  return std::nullopt;
}

std::optional<std::uint8_t> TRar5Reader::Byte() {
  if (pos_ >= bytes_.size()) return std::nullopt;
  return std::uint8_t(bytes_[pos_++]);
}

bool TRar5Reader::Skip(std::uint64_t count) {
  if (count > std::uint64_t(bytes_.size() - pos_)) return false;
  pos_ += qsizetype(count);
  return true;
}

std::optional<QByteArrayView> TRar5Reader::Bytes(std::uint64_t count) {
  const qsizetype at = pos_;
  if (!Skip(count)) return std::nullopt;
  return bytes_.sliced(at, qsizetype(count));
}

bool WalkRar5Headers(const QString& archive, const std::function<bool(const TRar5Header&)>& visit) {
  QFile file(archive);
  if (!file.open(QIODevice::ReadOnly)) return false;
  const qint64 signature = FindArchiveStart(file, kRar5Signature);
  if (signature < 0) return false;
  qint64 pos = signature + kRar5Signature.size();
  while (file.seek(pos)) {
    // CRC32, then the header size: at most three bytes, as a header is at most 2 MiB. The
    // checksum covers the size and the header.
    const QByteArray start = file.read(7);
    TRar5Reader sizeReader(QByteArrayView(start).sliced(qMin<qsizetype>(4, start.size())));
    const auto headerSize = sizeReader.Vint();
    if (!headerSize || *headerSize > kMaxHeaderSize) break;
    const qint64 headerStart = pos + 4 + sizeReader.pos();
    if (!file.seek(pos + 4)) break;
    const QByteArray checked = file.read(sizeReader.pos() + qint64(*headerSize));
    if (checked.size() != sizeReader.pos() + qsizetype(*headerSize)) break;
    const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(checked.constData()), uInt(checked.size()));
    if (std::uint32_t(crc) != qFromLittleEndian<quint32>(start.constData())) break;
    const QByteArrayView header = QByteArrayView(checked).sliced(sizeReader.pos());
    TRar5Reader reader(header);
    const auto type = reader.Vint();
    const auto flags = reader.Vint();
    const auto extraSize =
        flags && (*flags & kHasExtraArea) ? reader.Vint() : std::optional<std::uint64_t>(0);
    const auto dataSize = flags && (*flags & kHasDataArea) ? reader.Vint() : std::optional<std::uint64_t>(0);
    if (!type || !flags || !extraSize || !dataSize ||
        *extraSize > std::uint64_t(header.size() - reader.pos()))
      break;
    if (*type == kEndHeader) break;
    const QByteArrayView fields = header.sliced(reader.pos());
    if (!visit({*type, fields, fields.last(qsizetype(*extraSize))}) || *type == kRar5EncryptionHeader) break;
    pos = headerStart + qint64(*headerSize) + qint64(*dataSize);
  }
  return true;
}

std::optional<QByteArrayView> Rar5ExtraRecord(QByteArrayView extra, std::uint64_t type) {
  TRar5Reader reader(extra);
  while (reader.pos() < extra.size()) {
    const auto size = reader.Vint();
    const qsizetype start = reader.pos();
    const auto recordType = reader.Vint();
    if (!size || !recordType || *size < std::uint64_t(reader.pos() - start)) return std::nullopt;
    const std::uint64_t left = *size - std::uint64_t(reader.pos() - start);
    const auto data = reader.Bytes(left);
    if (!data) return std::nullopt;
    if (*recordType == type) return data;
  }
  return std::nullopt;
}
