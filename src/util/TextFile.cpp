#include "util/TextFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "util/CodePage.h"

namespace {

bool StartsWith(const QByteArray& data, std::initializer_list<unsigned char> mark) {
  if (data.size() < static_cast<qsizetype>(mark.size())) return false;
  qsizetype i = 0;
  for (const unsigned char b : mark)
    if (static_cast<unsigned char>(data[i++]) != b) return false;
  return true;
}

QString DecodeUtf16(const QByteArray& data, qsizetype offset, bool bigEndian) {
  const qsizetype units = (data.size() - offset) / 2;
  QString text(units, Qt::Uninitialized);
  const auto* bytes = reinterpret_cast<const unsigned char*>(data.constData() + offset);
  char16_t* out = reinterpret_cast<char16_t*>(text.data());
  for (qsizetype i = 0; i < units; ++i) {
    const unsigned char first = bytes[2 * i];
    const unsigned char second = bytes[2 * i + 1];
    out[i] =
        bigEndian ? static_cast<char16_t>(first << 8 | second) : static_cast<char16_t>(second << 8 | first);
  }
  return text;
}

QString Decode(const QByteArray& data) {
  if (StartsWith(data, {0xEF, 0xBB, 0xBF})) return QString::fromUtf8(data.constData() + 3, data.size() - 3);
  if (StartsWith(data, {0xFF, 0xFE})) return DecodeUtf16(data, 2, false);
  if (StartsWith(data, {0xFE, 0xFF})) return DecodeUtf16(data, 2, true);
  return FromAnsi(data);
}

// Decoded by its mark, cut at the first NUL; "" when missing, nothing when it cannot be read.
std::optional<QString> ReadText(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    if (QFileInfo::exists(path)) return std::nullopt;
    return QString();
  }
  const QByteArray data = file.readAll();
  if (file.error() != QFileDevice::NoError) return std::nullopt;
  QString text = Decode(data);
  const qsizetype nul = text.indexOf(QChar(u'\0'));
  if (nul >= 0) text.truncate(nul);
  return text;
}

// In the ANSI code page without a mark; replaced only once completely on disk.
int WriteAnsiText(const QString& text, const QString& path) {
  const QFileInfo info(path);
  // Replacing a device or pipe by a regular file would be worse than failing.
  if (info.exists() && !info.isFile()) return -1;
  if (!QDir().mkpath(info.absolutePath())) return -1;
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return -1;
  const QByteArray bytes = ToAnsi(text);
  if (file.write(bytes) != bytes.size()) return -1;
  return file.commit() ? 1 : -1;
}

}  // namespace

QString CrLfLineBreaks(const QString& text) {
  QString out;
  out.reserve(text.size() + text.size() / 16);
  const QChar* p = text.constData();
  const QChar* end = p + text.size();
  const QChar* lineStart = p;
  while (p < end) {
    if (*p != u'\r' && *p != u'\n') {
      ++p;
      continue;
    }
    out.append(lineStart, p - lineStart);
    out.append(u"\r\n");
    if (*p == u'\r' && p + 1 < end && p[1] == u'\n') ++p;
    lineStart = ++p;
  }
  out.append(lineStart, end - lineStart);
  return out;
}

QString NormalizeLineBreaks(const QString& text) {
  QString out = CrLfLineBreaks(text);
  if (!out.isEmpty() && !out.endsWith(u"\r\n")) out.append(u"\r\n");
  return out;
}

QString LoadTextFile(const QString& path) { return TryLoadTextFile(path).value_or(QString()); }

std::optional<QString> TryLoadTextFile(const QString& path) {
  const std::optional<QString> text = ReadText(path);
  if (!text) return std::nullopt;
  return NormalizeLineBreaks(*text);
}

QString LoadTextFileAsTyped(const QString& path) {
  return CrLfLineBreaks(ReadText(path).value_or(QString()));
}

int SaveTextFile(const QString& text, const QString& path) {
  return WriteAnsiText(NormalizeLineBreaks(text), path);
}

int SaveTextFileAsTyped(const QString& text, const QString& path) {
  return WriteAnsiText(CrLfLineBreaks(text), path);
}
