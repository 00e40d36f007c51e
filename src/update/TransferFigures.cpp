#include "update/TransferFigures.h"

#include <algorithm>

#include "update/UpdateTexts.h"
#include "util/FileOps.h"

qint64 TransferSpeed(qint64 bytesNow, qint64 bytesBefore, qint64 msNow, qint64 msBefore) {
  const qint64 ms = msNow - msBefore;
  if (ms <= 0) return 0;
  return (bytesNow - bytesBefore) * 1000 / ms;
}

int TransferPercent(qint64 bytes, qint64 total) {
  if (total <= 0) return -1;
  return static_cast<int>(bytes * 100 / total);
}

qint64 RangeStart(bool resume, qint64 existingLength) {
  return resume && existingLength > 0 ? existingLength - 1 : 0;
}

QByteArray RangeHeader(bool resume, qint64 existingLength, qint64 total) {
  if (!resume || existingLength <= 0) return QByteArrayLiteral("bytes=0-");
  const QByteArray from = "bytes=" + QByteArray::number(existingLength - 1) + '-';
  return total > 0 ? from + QByteArray::number(total) : from;
}

QString SpeedText(qint64 bytesPerSecond) { return SizeText(bytesPerSecond) + QStringLiteral("/s"); }

QString ElapsedText(qint64 milliseconds) {
  const qint64 seconds = milliseconds / 1000;
  return QStringLiteral("%1:%2:%3")
      .arg(seconds / 3600, 2, 10, QChar(u'0'))
      .arg(seconds / 60 % 60, 2, 10, QChar(u'0'))
      .arg(seconds % 60, 2, 10, QChar(u'0'));
}

TDownloadFigures DownloadFigures(qint64 downSize, qint64 fileSize, qint64 speed, qint64 elapsedMs) {
  TDownloadFigures figures;
  if (fileSize > 0) {
    figures.permille = int(std::clamp<qint64>(downSize * 1000 / fileSize, 0, 1000));
    figures.total = SizeText(fileSize);
  } else {
    figures.total = TUpdateText::Unknown;
  }
  figures.speed = SpeedText(speed);
  figures.elapsed = ElapsedText(elapsedMs);
  return figures;
}
