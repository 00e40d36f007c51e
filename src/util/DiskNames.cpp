#include "util/DiskNames.h"

#include <QStringDecoder>
#include <QStringList>

#include "util/CodePage.h"

namespace {

std::optional<QString> ExactUtf8(QByteArrayView bytes) {
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString text = utf8(bytes);
  if (utf8.hasError()) return std::nullopt;
  return text;
}

// Length of the valid UTF-8 character at the start of bytes, 0 when there is none.
qsizetype Utf8CharacterLength(QByteArrayView bytes) {
  for (qsizetype length = 1; length <= 4 && length <= bytes.size(); ++length)
    if (ExactUtf8(bytes.first(length))) return length;
  return 0;
}

QString EscapeInvalidBytes(QByteArrayView bytes) {
  QString text;
  while (!bytes.isEmpty()) {
    const qsizetype length = Utf8CharacterLength(bytes);
    if (length > 0) {
      text += *ExactUtf8(bytes.first(length));
      bytes = bytes.sliced(length);
    } else {
      text += QStringLiteral("%%1").arg(uchar(bytes.front()), 2, 16, QLatin1Char('0')).toUpper();
      bytes = bytes.sliced(1);
    }
  }
  return text;
}

}  // namespace

QString DecodeDiskName(const QByteArray& bytes) {
  if (std::optional<QString> text = ExactUtf8(bytes)) return *text;
  if (std::optional<QString> text = AnsiCodePage().toUnicodeExact(bytes)) return *text;
  return EscapeInvalidBytes(bytes);
}

QString DecodeDiskPath(const QByteArray& path) {
  QStringList parts;
  for (const QByteArray& part : path.split('/')) parts << DecodeDiskName(part);
  return parts.join('/');
}
