#include "compress/rar/Rar5KeyDerivation.h"

#include "compress/rar/Rar5Headers.h"

namespace {

constexpr std::uint64_t kFileEncryptionRecord = 1;
// Enough to pass the files a solid or mixed archive stores before its first encrypted one.
constexpr int kMaxHeaders = 64;

// Version and flags, then the count: the same in the archive encryption header and a file's
// encryption record.
std::optional<int> CountIn(QByteArrayView fields) {
  TRar5Reader reader(fields);
  if (!reader.Vint() || !reader.Vint()) return std::nullopt;
  const auto count = reader.Byte();
  return count ? std::optional<int>(*count) : std::nullopt;
}

}  // namespace

std::optional<int> Rar5KdfCount(const QString& archive) {
  std::optional<int> count;
  int headers = 0;
  WalkRar5Headers(archive, [&](const TRar5Header& header) {
    if (header.type == kRar5EncryptionHeader) {
      count = CountIn(header.fields);
    } else if (header.type == kRar5FileHeader || header.type == kRar5ServiceHeader) {
      if (const auto record = Rar5ExtraRecord(header.extra, kFileEncryptionRecord)) count = CountIn(*record);
    }
    return !count && ++headers < kMaxHeaders;
  });
  return count;
}
