#pragma once
// What an output archive holds, read by the independent tools (unrar, 7z): to compare the outputs
// of runs that should have made the same archives.
#include <QCryptographicHash>
#include <QMap>

#include "support/TestSupport.h"

namespace clitest {

// Every entry an archive holds, by path, with its bytes.
inline QMap<QString, QByteArray> Contents(const QString& archive) {
  testsupport::TempDir dir;
  // p7zip does not read the RAR packer's newest compression method.
  const testsupport::ToolRun x = archive.endsWith(".rar")
                                     ? testsupport::RunTool("unrar", {"x", "-idq", archive, dir.path() + '/'})
                                     : testsupport::RunTool("7z", {"x", "-y", "-o" + dir.path(), archive});
  EXPECT_EQ(x.exitCode, 0) << archive.toStdString() << x.out.constData();
  QMap<QString, QByteArray> contents;
  for (const QString& entry : testsupport::TreeListing(dir.path()))
    contents[entry] = entry.endsWith('/') ? QByteArray() : testsupport::ReadFile(dir.file(entry));
  return contents;
}

// The contents of an archive as one fingerprint, whatever its name.
inline QByteArray Fingerprint(const QString& archive) {
  QCryptographicHash hash(QCryptographicHash::Sha256);
  const QMap<QString, QByteArray> contents = Contents(archive);
  for (auto it = contents.begin(); it != contents.end(); ++it) {
    hash.addData(it.key().toUtf8() + '\0');
    hash.addData(QCryptographicHash::hash(it.value(), QCryptographicHash::Sha256));
  }
  return hash.result().toHex();
}

}  // namespace clitest
