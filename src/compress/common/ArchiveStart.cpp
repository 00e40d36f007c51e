#include "compress/common/ArchiveStart.h"

namespace {
constexpr qint64 kMaxStubSize = 0x200000;
}  // namespace

qint64 FindArchiveStart(QFile& file, const QByteArray& signature) {
  if (!file.seek(0)) return -1;
  if (file.read(signature.size()) == signature) return 0;
  if (!file.seek(0)) return -1;
  return file.read(kMaxStubSize + signature.size()).indexOf(signature);
}
