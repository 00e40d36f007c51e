#include "compress/rar/Rar5Versions.h"

#include "compress/rar/Rar5Headers.h"

namespace {

enum : std::uint64_t { kFileHasTime = 0x02, kFileHasCrc = 0x04 };
constexpr std::uint64_t kVersionRecord = 4;

// One file header's name with its version appended, when it has one.
std::optional<QString> VersionedName(const TRar5Header& header) {
  TRar5Reader reader(header.fields);
  const auto fileFlags = reader.Vint();
  if (!fileFlags || !reader.Vint() || !reader.Vint()) return std::nullopt;  // unpacked size, attributes
  if ((*fileFlags & kFileHasTime) && !reader.Skip(4)) return std::nullopt;
  if ((*fileFlags & kFileHasCrc) && !reader.Skip(4)) return std::nullopt;
  if (!reader.Vint() || !reader.Vint()) return std::nullopt;  // compression, host system
  const auto nameSize = reader.Vint();
  const auto name = nameSize ? reader.Bytes(*nameSize) : std::nullopt;
  if (!name) return std::nullopt;
  const auto record = Rar5ExtraRecord(header.extra, kVersionRecord);
  if (!record) return std::nullopt;
  TRar5Reader fields(*record);
  fields.Vint();  // flags
  const std::uint64_t version = fields.Vint().value_or(0);
  if (version == 0) return std::nullopt;
  return QString::fromUtf8(*name) + ';' + QString::number(version);
}

}  // namespace

QSet<QString> Rar5OlderVersions(const QString& archive) {
  QSet<QString> versions;
  WalkRar5Headers(archive, [&versions](const TRar5Header& header) {
    if (header.type == kRar5FileHeader)
      if (const auto name = VersionedName(header)) versions.insert(*name);
    return true;
  });
  return versions;
}
