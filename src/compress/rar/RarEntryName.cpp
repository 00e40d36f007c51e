#include "compress/rar/RarEntryName.h"

#include <QByteArray>

#include <utility>

#include "util/DiskNames.h"

QString RarEntryName(const QString& wideName) {
  constexpr char16_t kMappedMark = 0xFFFE;
  constexpr char16_t kMapStart = 0xE000;
  if (!wideName.contains(QChar(kMappedMark))) return wideName;
  QByteArray bytes;
  QString text;
  for (const QChar c : wideName) {
    if (c.unicode() == kMappedMark) continue;
    if (c.unicode() >= kMapStart + 0x80 && c.unicode() <= kMapStart + 0xFF) {
      bytes += std::exchange(text, {}).toUtf8();
      bytes += char(c.unicode() - kMapStart);
    } else {
      text += c;
    }
  }
  return DecodeDiskPath(bytes + text.toUtf8());
}
