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
