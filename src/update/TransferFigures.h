#pragma once
// The figures a download shows while it runs, and the byte range it asks for.
#include <QByteArray>
#include <QString>

// Bytes per second between two progress steps; 0 when no time has passed.
qint64 TransferSpeed(qint64 bytesNow, qint64 bytesBefore, qint64 msNow, qint64 msBefore);
// bytes * 100 / total; -1 when the size is not known (total not above 0).
int TransferPercent(qint64 bytes, qint64 total);

// The Range header of a download. Resuming a file of existingLength > 0 asks again for its last
// byte onwards ("bytes=L-1-total", or "bytes=L-1-" when the total is not known); a fresh download asks for
// everything ("bytes=0-").
QByteArray RangeHeader(bool resume, qint64 existingLength, qint64 total);
// Where writing starts: existingLength - 1 when resuming, else 0.
qint64 RangeStart(bool resume, qint64 existingLength);

// SizeText of the speed, whole bytes, then "/s": 1048576 -> "1.00MB/s".
QString SpeedText(qint64 bytesPerSecond);
// Elapsed time as "hh:mm:ss".
QString ElapsedText(qint64 milliseconds);

// What the progress page shows of a download.
struct TDownloadFigures {
  int permille = -1;  // of the progress bar; -1 while the size is unknown
  QString total;      // after "已下载:": the package's size, "未知" while the server gives none
  QString speed;      // SpeedText
  QString elapsed;    // ElapsedText
};
TDownloadFigures DownloadFigures(qint64 downSize, qint64 fileSize, qint64 speed, qint64 elapsedMs);
