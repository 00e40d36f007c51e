#include "util/SystemInfo.h"

#include <QCryptographicHash>
#include <QFileInfo>

#include "BuildVersion.h"

QString InstanceKey(const QString& text) {
  QByteArray bytes;
  bytes.reserve(text.size());
  for (const QChar c : text) bytes.append(c.unicode() < 128 ? static_cast<char>(c.unicode()) : '?');
  return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex().toUpper());
}

QString ProgramVersionText() { return QStringLiteral(HM_VERSION_TEXT); }

QString FileVersionText(const QString& path) {
  const QString file = QFileInfo(path).canonicalFilePath();
  if (!file.isEmpty() && file == QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath())
    return ProgramVersionText();
  return QStringLiteral("0.0.0.0");
}
