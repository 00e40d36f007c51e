#include "support/TestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QThread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <filesystem>

namespace testsupport {

QString BinDir() { return QStringLiteral(HM_BIN_DIR); }
QString SourceDir() { return QStringLiteral(HM_SOURCE_DIR); }
QString EngineDir() { return BinDir() + QStringLiteral("/Engine"); }

bool MissingIsFailure() {
  return qEnvironmentVariable("HM_REQUIRE_ENGINES") == QLatin1String("1") ||
         qEnvironmentVariable("CI") == QLatin1String("true");
}

TempDir::TempDir() : dir_(QDir::tempPath() + QStringLiteral("/hm-test-XXXXXX")) {
  EXPECT_TRUE(dir_.isValid());
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(QFile::encodeName(dir_.path()).toStdString(), ec);
}

QByteArray RandomBytes(qsizetype size) {
  QByteArray bytes(size, Qt::Uninitialized);
  QRandomGenerator gen{quint32(size)};
  for (char& c : bytes) c = char(gen.bounded(256));
  return bytes;
}

void WriteFile(const QString& path, const QByteArray& content) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
  ASSERT_EQ(f.write(content), content.size());
}

QByteArray ReadFile(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return f.readAll();
}

void MakeDir(const QString& path) { QDir().mkpath(path); }

void WriteFileAtRawPath(const QString& root, const QByteArray& relative, const QByteArray& content) {
  MakeDir(root);
  QByteArray path = QFile::encodeName(root);
  const QList<QByteArray> parts = relative.split('/');
  for (qsizetype i = 0; i + 1 < parts.size(); ++i) ::mkdir((path += '/' + parts[i]).constData(), 0755);
  path += '/' + parts.last();
  const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ASSERT_GE(fd, 0) << path.constData();
  const bool written = ::write(fd, content.constData(), size_t(content.size())) == content.size();
  ::close(fd);
  ASSERT_TRUE(written);
}

QStringList TreeListing(const QString& root) {
  QStringList out;
  const QDir base(root);
  QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                  QDirIterator::Subdirectories);
  while (it.hasNext()) {
    it.next();
    const QFileInfo info = it.fileInfo();
    QString rel = base.relativeFilePath(info.filePath());
    if (info.isDir() && !info.isSymLink()) rel += '/';
    out << rel;
  }
  out.sort();
  return out;
}

ToolRun RunTool(const QString& program, const QStringList& args, const QString& workDir,
                const QByteArray& input, int timeoutMs) {
  return ToolProcess(program, args, workDir).Finish(input, timeoutMs);
}

bool HaveTool(const QString& program) { return !QStandardPaths::findExecutable(program).isEmpty(); }

bool WaitFor(const std::function<bool()>& condition, int timeoutMs) {
  QElapsedTimer timer;
  timer.start();
  while (!condition()) {
    if (timer.elapsed() > timeoutMs) return false;
    QThread::msleep(10);
  }
  return true;
}

bool MakeRar5WithKdfCount(const QString& source, const QString& archive, int count) {
  if (RunTool("rar", {"a", "-hpsecret", "-ep1", "-idq", archive, source}).exitCode != 0) return false;
  // The archive encryption header follows the signature: CRC32, size, then type 4, flags,
  // version, encryption flags and the count, one byte each.
  static const char kScript[] = R"(
import struct, sys, zlib
path, count = sys.argv[1], int(sys.argv[2])
data = bytearray(open(path, 'rb').read())
start = data.index(b'Rar!\x1a\x07\x01\x00') + 8
size = data[start + 4]
header = start + 5
assert size < 0x80 and data[header] == 4
data[header + 4] = count
data[start:start + 4] = struct.pack('<I', zlib.crc32(bytes(data[start + 4:header + size])))
open(path, 'wb').write(data)
)";
  return RunTool("python3", {"-c", kScript, archive, QString::number(count)}).exitCode == 0;
}

}  // namespace testsupport

void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

void PrintTo(const QStringList& list, std::ostream* os) {
  *os << '{';
  for (qsizetype i = 0; i < list.size(); ++i) {
    if (i) *os << ", ";
    PrintTo(list[i], os);
  }
  *os << '}';
}

void PrintTo(const QByteArray& bytes, std::ostream* os) {
  *os << '"' << QString::fromLatin1(bytes.toPercentEncoding(" /:._-[]{}()!?,;=+*#@<>'")).toStdString() << '"';
}
