#include "RarFixtures.h"

#include <QDataStream>
#include <QRandomGenerator>

#include <zlib.h>

namespace rarfixtures {

TEngineContext EngineContext() {
  TEngineContext context;
  context.engineFolder = testsupport::EngineDir() + '/';
  return context;
}

QStringList MakeSourceTree(const QString& root) {
  using testsupport::WriteFile;
  WriteFile(root + "/readme.txt", "top level\r\n");
  WriteFile(root + "/.hidden", "dotfile");
  WriteFile(root + "/sub/deeper/data.bin", RandomBytes(5000));
  WriteFile(root + QString::fromUtf8("/sub/Grüße €.txt"), "non-ASCII name");
  WriteFile(root + QString::fromUtf8("/中文目录/说明.txt"), QString::fromUtf8("中文内容").toUtf8());
  testsupport::MakeDir(root + "/empty");
  return testsupport::TreeListing(root);
}

QStringList EntryNames(const QStringList& treeListing) {
  QStringList names;
  for (QString entry : treeListing) {
    if (entry.endsWith('/')) entry.chop(1);
    names << entry;
  }
  names.sort();
  return names;
}

void ExpectSameTree(const QString& expectedRoot, const QString& actualRoot) {
  const QStringList expected = testsupport::TreeListing(expectedRoot);
  ASSERT_EQ(testsupport::TreeListing(actualRoot), expected);
  for (const QString& entry : expected) {
    if (entry.endsWith('/')) continue;
    EXPECT_EQ(testsupport::ReadFile(actualRoot + '/' + entry),
              testsupport::ReadFile(expectedRoot + '/' + entry))
        << entry.toStdString();
  }
}

testsupport::ToolRun Rar(const QStringList& args, const QString& workDir) {
  return testsupport::RunTool("rar", args, workDir);
}

testsupport::ToolRun UnRar(const QStringList& args, const QString& workDir) {
  return testsupport::RunTool("unrar", args, workDir);
}

QByteArray RandomBytes(qsizetype size) {
  QByteArray bytes(size, Qt::Uninitialized);
  QRandomGenerator generator(20240611);
  for (qsizetype i = 0; i < size; ++i) bytes[i] = char(generator.generate() & 0xFF);
  return bytes;
}

namespace {

quint32 Crc32(const QByteArray& bytes) {
  return quint32(
      crc32(crc32(0, nullptr, 0), reinterpret_cast<const Bytef*>(bytes.constData()), uInt(bytes.size())));
}

// A block: CRC16 (low half of the CRC32 of everything after the CRC field), then the rest.
QByteArray Block(const QByteArray& afterCrc) {
  QByteArray block;
  QDataStream out(&block, QIODevice::WriteOnly);
  out.setByteOrder(QDataStream::LittleEndian);
  out << quint16(Crc32(afterCrc) & 0xFFFF);
  block += afterCrc;
  return block;
}

}  // namespace

QByteArray MakeStoredRar4(const QList<Rar4Entry>& entries) {
  QByteArray archive("Rar!\x1A\x07\x00", 7);
  {
    QByteArray main;
    QDataStream out(&main, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint8(0x73) << quint16(0) << quint16(13) << quint16(0) << quint32(0);
    archive += Block(main);
  }
  for (const Rar4Entry& entry : entries) {
    quint16 flags = 0x8000;                // data size field follows
    if (entry.directory) flags |= 0x00E0;  // "dictionary" bits all set: a folder
    if (entry.utf8Name) flags |= 0x0200;   // Unicode name with no zero byte inside: UTF-8
    const quint32 dosTime = (quint32(2024 - 1980) << 25) | (6u << 21) | (11u << 16) | (12u << 11);
    QByteArray header;
    QDataStream out(&header, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint8(0x74) << flags << quint16(32 + entry.name.size()) << quint32(entry.data.size())
        << quint32(entry.data.size()) << quint8(entry.unixMode ? 3 : 2)                 /* Unix : Windows */
        << Crc32(entry.data) << dosTime << quint8(20) /* version 2.0 */ << quint8(0x30) /* stored */
        << quint16(entry.name.size())
        << quint32(entry.unixMode    ? entry.unixMode
                   : entry.directory ? 0x10
                                     : 0x20);
    header += entry.name;
    archive += Block(header) + entry.data;
  }
  archive += Block(QByteArray("\x7B\x00\x40\x07\x00", 5));  // end of archive
  return archive;
}

}  // namespace rarfixtures
