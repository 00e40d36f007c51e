#pragma once
// Shared by the ZIP engine tests: an engine with its context, small trees, python3 as the
// independent reader and writer of archives, and raw archive bytes for damaged fixtures.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
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

// One entry for BuildWithPython: a name with the encoding its bytes are stored in ("utf-8" sets
// flag bit 11, any other leaves it clear), the content, and optionally a Unix mode, or the host
// system (the high byte of "version made by") with the raw external attributes.
struct PyEntry {
  QString name;
  QByteArray data;
  QString encoding = QStringLiteral("utf-8");
  bool deflate = true;
  int unixMode = 0;
  int host = -1;  // with externalAttributes, in place of unixMode
  quint32 externalAttributes = 0;
};

// Writes an archive with python's zipfile, names stored exactly as asked (a subclass chooses the
// name bytes and flag, which zipfile otherwise decides itself). With `stream` the archive goes
// through a pipe-like stream, so every entry gets a data descriptor.
inline bool BuildWithPython(const QString& archive, const QList<PyEntry>& entries, bool stream = false) {
  const char* script = R"(
import io, json, sys, zipfile
class Info(zipfile.ZipInfo):
    def _encodeFilenameFlags(self):
        flag = 0x800 if self.hm_encoding == 'utf-8' else 0
        return self.filename.encode(self.hm_encoding), (self.flag_bits & ~0x800) | flag
class Unseekable(io.RawIOBase):
    def __init__(self, f): self.f = f
    def writable(self): return True
    def write(self, b): return self.f.write(b)
    def flush(self): self.f.flush()
out = open(sys.argv[1], 'wb')
target = Unseekable(out) if sys.argv[2] == '1' else out
with zipfile.ZipFile(target, 'w') as z:
    for e in json.load(sys.stdin):
        i = Info(e['name'], date_time=(2021, 3, 4, 5, 6, 8))
        i.hm_encoding = e['encoding']
        i.compress_type = zipfile.ZIP_DEFLATED if e['deflate'] else zipfile.ZIP_STORED
        if e['mode']:
            i.create_system = 3
            i.external_attr = e['mode'] << 16
        if e['host'] >= 0:
            i.create_system = e['host']
            i.external_attr = e['attributes']
        z.writestr(i, bytes.fromhex(e['data']))
out.close()
)";
  // Entries go through standard input: an argument is limited to 128 KiB.
  QJsonArray list;
  for (const PyEntry& e : entries)
    list.append(QJsonObject{{"name", e.name},
                            {"data", QString::fromLatin1(e.data.toHex())},
                            {"encoding", e.encoding},
                            {"deflate", e.deflate},
                            {"mode", e.unixMode},
                            {"host", e.host},
                            {"attributes", qint64(e.externalAttributes)}});
  const auto run =
      testsupport::RunTool(QStringLiteral("python3"),
                           {QStringLiteral("-c"), QString::fromLatin1(script), archive, stream ? "1" : "0"},
                           {}, QJsonDocument(list).toJson(QJsonDocument::Compact));
  EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
  return run.exitCode == 0;
}

// Writes dir/NAME.zip for the name of each case of a table, each a case of zip_craft.py (hand-made
// archives no writer makes).
template <class Cases>
bool Craft(const testsupport::TempDir& dir, const Cases& cases) {
  QStringList names;
  for (const auto& c : cases) names << c.name;
  const QString script = testsupport::SourceDir() + QStringLiteral("/tests/compress/zip/zip_craft.py");
  const auto run = testsupport::RunTool(QStringLiteral("python3"), QStringList{script, dir.path()} + names);
  EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
  return run.exitCode == 0;
}
// The archive Craft wrote for a case.
inline QString Crafted(const testsupport::TempDir& dir, const char* name) {
  return dir.file(QString("%1.zip").arg(name));
}

}  // namespace ziptest
