#include "compress/zip/ZipNames.h"

#include <QStringDecoder>

#include "compress/zip/ZipExtractor.h"
#include "util/CodePage.h"

namespace {

QString PrintableAscii() {
  QString s;
  for (char16_t c = 0x20; c < 0x7f; ++c) s += QChar(c);
  return s;
}

bool IsPrintableAscii(const QString& s) {
  for (QChar c : s)
    if (c.unicode() < 0x20 || c.unicode() >= 0x7f) return false;
  return true;
}

bool IsAscii(const QByteArray& bytes) {
  for (char c : bytes)
    if (uchar(c) >= 0x80) return false;
  return true;
}

bool SurvivesCodePages(const QString& name) {
  return AnsiCodePage().roundTrips(name) && OemCodePage().roundTrips(name);
}

QString DecodeName(const TZipEntryRecord& entry) {
  if (entry.IsUtf8()) return QString::fromUtf8(entry.name);
  if (const auto unicode = UnicodePathExtra(entry.extra, entry.name)) return QString::fromUtf8(*unicode);
  // Info-ZIP's zip and others on Unix store UTF-8 names without the flag; 7-Zip reads a
  // Unix-made name that is valid UTF-8 as UTF-8 too.
  if ((entry.versionMadeBy >> 8) == kZipHostUnix && !IsAscii(entry.name)) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString name = utf8(entry.name);
    if (!utf8.hasError()) return name;
  }
  return FromOem(entry.name);
}

}  // namespace

TZipNameEncoder::TZipNameEncoder() {
  const QString ascii = PrintableAscii();
  asciiIsSafe_ = SurvivesCodePages(ascii) && ToOem(ascii) == ascii.toLatin1();
}

TZipName TZipNameEncoder::Encode(const QString& name) const {
  if (asciiIsSafe_ && IsPrintableAscii(name)) return {name.toLatin1(), false};
  if (SurvivesCodePages(name)) return {ToOem(name), false};
  return {name.toUtf8(), true};
}

QString DecodeEntryName(const TZipEntryRecord& entry) {
  QString name = DecodeName(entry);
  if (!IsFolderEntryName(name) && entry.uncompressedSize == 0 && entry.IsFolderByAttributes()) name += '/';
  return name;
}
