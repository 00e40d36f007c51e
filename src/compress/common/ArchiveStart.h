#pragma once
// Where an archive starts in a file: at its first byte, or behind a self-extracting program's stub
// of up to 2 MiB, as far as the engines look for one.
#include <QByteArray>
#include <QFile>

// The offset of the first `signature` in the open file, or -1. Reads the first bytes only when the
// archive starts there.
qint64 FindArchiveStart(QFile& file, const QByteArray& signature);
