#pragma once
// Small fixtures for the RAR tests: a source tree with the awkward cases (nested and empty
// folders, a dotfile, non-ASCII names), archives made by the independent rar and unrar tools,
// and stored RAR 4.x archives written byte by byte, since RAR 7 can no longer write that format.
#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>
#include <QStringList>

#include <ostream>

#include "compress/common/EngineContext.h"
#include "support/TestSupport.h"

// Failure messages show texts, not code units.
inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

namespace rarfixtures {

// The engine folder the build lays out, ending with '/'.
TEngineContext EngineContext();

// Writes the tree below root and returns its listing (testsupport::TreeListing form).
QStringList MakeSourceTree(const QString& root);

// Names as a listing shows them: files and folders, no trailing '/', sorted.
QStringList EntryNames(const QStringList& treeListing);
// Same listing below both roots, and the same bytes in every file.
void ExpectSameTree(const QString& expectedRoot, const QString& actualRoot);

// Runs the rar or unrar tool with stdin closed; the tests check rc and output.
testsupport::ToolRun Rar(const QStringList& args, const QString& workDir = {});
testsupport::ToolRun UnRar(const QStringList& args, const QString& workDir = {});

// Bytes no compressor can shrink.
QByteArray RandomBytes(qsizetype size);

struct Rar4Entry {
  QByteArray name;  // as stored: '\' separators; UTF-8 when utf8Name
  QByteArray data;
  bool directory = false;
  bool utf8Name = false;
  quint32 unixMode = 0;  // non-zero: made on Unix with this mode (0120777: a symbolic link)
};
// A RAR 4.x archive: marker block, main header, one stored file header (with the CRC16 of the
// header and the CRC32 of the data) per entry, end-of-archive block. Host OS Windows unless the
// entry names a Unix mode.
QByteArray MakeStoredRar4(const QList<Rar4Entry>& entries);

}  // namespace rarfixtures
