#pragma once
// The headers of a RAR 5 archive as the format description lays them out, read without the
// library: what it does not pass on (a file's version record, the key-derivation count a
// password costs) is read here.
#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

// Reads the format's variable-length integers (7 bits a byte, low bits first) and bytes, within
// bounds: a read past the end gives nothing.
class TRar5Reader {
 public:
  explicit TRar5Reader(QByteArrayView bytes) : bytes_(bytes) {}
  std::optional<std::uint64_t> Vint();
  std::optional<std::uint8_t> Byte();
  bool Skip(std::uint64_t count);
  std::optional<QByteArrayView> Bytes(std::uint64_t count);
  qsizetype pos() const { return pos_; }

 private:
  QByteArrayView bytes_;
  qsizetype pos_ = 0;
};

enum : std::uint64_t { kRar5FileHeader = 2, kRar5ServiceHeader = 3, kRar5EncryptionHeader = 4 };

struct TRar5Header {
  std::uint64_t type = 0;
  QByteArrayView fields;  // what follows the common fields (type, flags, area sizes), extra area included
  QByteArrayView extra;   // the extra area, the last part of `fields`
};

// Visits the headers of the RAR 5 archive in the file (behind a self-extracting stub of up to
// 2 MiB) in order, while `visit` returns true. The walk ends at the end-of-archive header, after
// an archive encryption header (what follows it is encrypted), or at a header that cannot be read
// or whose checksum is wrong. False when the file holds no RAR 5 signature.
bool WalkRar5Headers(const QString& archive, const std::function<bool(const TRar5Header&)>& visit);

// The data of the first record of `type` in an extra area, after its type; none when absent or
// malformed.
std::optional<QByteArrayView> Rar5ExtraRecord(QByteArrayView extra, std::uint64_t type);
