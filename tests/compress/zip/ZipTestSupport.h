#pragma once
// Shared by the ZIP engine tests: an engine with its context, small trees, python3 as the
// independent reader and writer of archives, and raw archive bytes for damaged fixtures.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QString>
#include <QStringList>

#include "compress/common/CompressResult.h"
#include "compress/zip/ZipEngine.h"
#include "support/TestSupport.h"

namespace ziptest {

struct Engine {
  explicit Engine(const QString& compressPwd = {}, const QString& unCompressPwd = {}) {
    context.compressPwd = compressPwd;
    context.unCompressPwd = unCompressPwd;
  }
  TEngineContext context;
  TZipEngine zip{context};
};

// Files by relative path; a path ending in '/' is an (empty) folder.
inline void MakeTree(const QString& root, const QMap<QString, QByteArray>& entries) {
  for (auto it = entries.begin(); it != entries.end(); ++it) {
    if (it.key().endsWith('/'))
      testsupport::MakeDir(root + '/' + it.key());
    else
      testsupport::WriteFile(root + '/' + it.key(), it.value());
  }
}

// Runs a python3 script with arguments; its standard output, UTF-8.
inline testsupport::ToolRun Python(const QString& script, const QStringList& args = {}) {
  return testsupport::RunTool(QStringLiteral("python3"), QStringList{QStringLiteral("-c"), script} + args);
}

// python's zipfile reading the archive: "name|flags|method|size|crc-ok" per entry and the comment
// in hex on the last line. Names are printed as python decodes them.
inline QStringList PythonListing(const QString& archive) {
  const char* script = R"(
import sys, zipfile
z = zipfile.ZipFile(sys.argv[1])
bad = z.testzip()
for i in z.infolist():
    print("%s|%d|%d|%d|%s" % (i.filename, i.flag_bits, i.compress_type, i.file_size, "ok" if bad is None else bad))
print("comment:" + z.comment.hex())
)";
  const auto run = Python(QString::fromLatin1(script), {archive});
  EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
  return QString::fromUtf8(run.out).split('\n', Qt::SkipEmptyParts);
}

inline QByteArray Hex(const QByteArray& bytes) { return bytes.toHex(); }

}  // namespace ziptest
