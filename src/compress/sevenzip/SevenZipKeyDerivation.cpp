#include "compress/sevenzip/SevenZipKeyDerivation.h"

#include <QFile>
#include <QtEndian>

#include <zlib.h>

#include <cstdint>

#include "compress/common/ArchiveStart.h"

namespace {

const QByteArray kSignature("7z\xBC\xAF\x27\x1C", 6);
constexpr qint64 kStartHeaderSize = 32;
// Far beyond what a plain header of the first folders needs; a hostile size reads no further.
constexpr std::uint64_t kMaxHeaderSize = 0x1000000;
const QByteArray kAesCoder("\x06\xF1\x07\x01", 4);

enum : std::uint8_t {
  kEnd = 0x00,
  kHeader = 0x01,
  kArchiveProperties = 0x02,
  kMainStreamsInfo = 0x04,
  kPackInfo = 0x06,
  kUnpackInfo = 0x07,
  kSize = 0x09,
  kCrc = 0x0A,
  kFolder = 0x0B,
  kEncodedHeader = 0x17,
};

// The format's numbers (the leading one bits of the first byte count the bytes that follow) and
// bytes, within bounds: a read past the end leaves the reader failed.
class TReader {
 public:
  explicit TReader(QByteArrayView bytes) : bytes_(bytes) {}
  std::uint8_t Byte() {
    if (pos_ >= bytes_.size()) return Fail();
    return std::uint8_t(bytes_[pos_++]);
  }
  std::uint64_t Number() {
    const std::uint8_t first = Byte();
    std::uint64_t value = 0;
    std::uint8_t mask = 0x80;
    for (int i = 0; i < 8; ++i, mask >>= 1) {
      if (!(first & mask)) return value | (std::uint64_t(first & (mask - 1)) << (8 * i));
      value |= std::uint64_t(Byte()) << (8 * i);
    }
    return value;
  }
  QByteArrayView Bytes(std::uint64_t count) {
    if (count > std::uint64_t(bytes_.size() - pos_)) {
      Fail();
      return {};
    }
    const qsizetype at = pos_;
    pos_ += qsizetype(count);
    return bytes_.sliced(at, qsizetype(count));
  }
  bool ok() const { return ok_; }
  // Every later read gives nothing.
  std::uint8_t Fail() {
    ok_ = false;
    pos_ = bytes_.size();
    return 0;
  }

 private:
  QByteArrayView bytes_;
  qsizetype pos_ = 0;
  bool ok_ = true;
};

void SkipDigests(TReader& reader, std::uint64_t count) {
  std::uint64_t defined = count;
  if (reader.Byte() == 0) {  // not all defined: a bit each
    defined = 0;
    const QByteArrayView bits = reader.Bytes((count + 7) / 8);
    for (std::uint64_t i = 0; i < count && reader.ok(); ++i)
      if (std::uint8_t(bits[qsizetype(i / 8)]) & (0x80 >> (i % 8))) ++defined;
  }
  reader.Bytes(defined * 4);
}

// One folder's coders; keeps the strongest AES key met.
void ReadFolder(TReader& reader, std::optional<T7zAesKey>& key) {
  const std::uint64_t coders = reader.Number();
  std::uint64_t inStreams = 0, outStreams = 0;
  for (std::uint64_t i = 0; i < coders && reader.ok(); ++i) {
    const std::uint8_t flags = reader.Byte();
    if (flags & 0x80) {  // alternative methods: never written
      reader.Fail();
      return;
    }
    const QByteArrayView id = reader.Bytes(flags & 0x0F);
    const bool complex = flags & 0x10;
    inStreams += complex ? reader.Number() : 1;
    outStreams += complex ? reader.Number() : 1;
    const QByteArrayView props = (flags & 0x20) ? reader.Bytes(reader.Number()) : QByteArrayView();
    if (id != kAesCoder || props.isEmpty()) continue;
    const auto first = std::uint8_t(props[0]);
    T7zAesKey found{first & 0x3F, 0};
    if ((first & 0xC0) && props.size() > 1)
      found.saltSize = ((first >> 7) & 1) + (std::uint8_t(props[1]) >> 4);
    if (!key || found.cyclesPower > key->cyclesPower) key = found;
  }
  const std::uint64_t bindPairs = outStreams == 0 ? 0 : outStreams - 1;
  for (std::uint64_t i = 0; i < bindPairs && reader.ok(); ++i) reader.Number(), reader.Number();
  const std::uint64_t packed = inStreams - bindPairs;
  if (packed > 1)
    for (std::uint64_t i = 0; i < packed && reader.ok(); ++i) reader.Number();
}

// Pack information, then the folders of the unpack information, which name the coders.
std::optional<T7zAesKey> ReadStreamsInfo(TReader& reader) {
  std::uint8_t id = reader.Byte();
  if (id == kPackInfo) {
    reader.Number();  // position
    const std::uint64_t streams = reader.Number();
    for (id = reader.Byte(); id != kEnd && reader.ok(); id = reader.Byte()) {
      if (id == kSize) {
        for (std::uint64_t i = 0; i < streams && reader.ok(); ++i) reader.Number();
      } else if (id == kCrc) {
        SkipDigests(reader, streams);
      } else {
        return std::nullopt;
      }
    }
    id = reader.Byte();
  }
  if (id != kUnpackInfo || reader.Byte() != kFolder) return std::nullopt;
  const std::uint64_t folders = reader.Number();
  if (reader.Byte() != 0) return std::nullopt;  // folders kept elsewhere: never written
  std::optional<T7zAesKey> key;
  for (std::uint64_t i = 0; i < folders && reader.ok(); ++i) ReadFolder(reader, key);
  return reader.ok() ? key : std::nullopt;
}

std::optional<T7zAesKey> ReadHeader(TReader& reader) {
  const std::uint8_t id = reader.Byte();
  if (id == kEncodedHeader) return ReadStreamsInfo(reader);
  if (id != kHeader) return std::nullopt;
  std::uint8_t next = reader.Byte();
  if (next == kArchiveProperties) {
    for (std::uint8_t property = reader.Byte(); property != kEnd && reader.ok(); property = reader.Byte())
      reader.Bytes(reader.Number());
    next = reader.Byte();
  }
  // Additional streams come first only in archives no current packer writes.
  if (next != kMainStreamsInfo) return std::nullopt;
  return ReadStreamsInfo(reader);
}

bool CrcMatches(QByteArrayView bytes, const char* expected) {
  const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), uInt(bytes.size()));
  return std::uint32_t(crc) == qFromLittleEndian<quint32>(expected);
}

}  // namespace

std::optional<T7zAesKey> SevenZipAesKey(const QString& archive) {
  QFile file(archive);
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  const qint64 signature = FindArchiveStart(file, kSignature);
  if (signature < 0 || !file.seek(signature)) return std::nullopt;
  const QByteArray start = file.read(kStartHeaderSize);
  if (start.size() != kStartHeaderSize ||
      !CrcMatches(QByteArrayView(start).sliced(12), start.constData() + 8))
    return std::nullopt;
  const auto offset = qFromLittleEndian<quint64>(start.constData() + 12);
  const auto size = qFromLittleEndian<quint64>(start.constData() + 20);
  if (size == 0 || size > kMaxHeaderSize || offset > quint64(file.size()) ||
      !file.seek(signature + kStartHeaderSize + qint64(offset)))
    return std::nullopt;
  const QByteArray header = file.read(qint64(size));
  if (header.size() != qsizetype(size) || !CrcMatches(header, start.constData() + 28)) return std::nullopt;
  TReader reader(header);
  return ReadHeader(reader);
}
