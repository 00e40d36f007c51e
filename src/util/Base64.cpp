#include "util/Base64.h"

#include <QByteArray>

#include "util/CodePage.h"

QString Base64EncodeText(const QString& text) {
  return QString::fromLatin1(ToAnsi(text).toBase64(QByteArray::Base64Encoding));
}

QString Base64DecodeText(const QString& encoded) {
  for (const QChar c : encoded)
    if (c.unicode() > 0x7F) return {};
  const auto decoded = QByteArray::fromBase64Encoding(
      encoded.toLatin1(), QByteArray::Base64Encoding | QByteArray::AbortOnBase64DecodingErrors);
  if (!decoded) return {};
  return FromAnsi(*decoded);
}
