#pragma once
// harrowmint-cli as the command-line tests run it: a program folder of its own, and its lines.
#include <QFile>
#include <QFileInfo>

#include "support/TestSupport.h"

namespace clitest {

inline QString Cli() { return testsupport::BinDir() + "/harrowmint-cli"; }

// A program folder of its own: the built engines, and a seed data folder that the first run
// turns into the data folder.
struct CliHome {
  testsupport::TempDir dir;
  QString home = dir.path();

  CliHome() {
    QFile::link(testsupport::EngineDir(), home + "/Engine");
    testsupport::WriteFile(home + "/SysDb/Data/delete.dat", "*.url\r\n");
    testsupport::WriteFile(home + "/SysDb/Data/MustFiles/Readme.txt", "must have\r\n");
    testsupport::MakeDir(home + "/in");
  }
  QString In(const QString& name) const { return home + "/in/" + name; }
  QString Out(const QString& name) const { return home + "/out/" + name; }
  testsupport::ToolRun Run(const QStringList& args) const {
    return testsupport::RunTool(Cli(), QStringList{"--home", home} + args);
  }
  // A ZIP made by zip(1) holding a payload and an advertising link.
  void MakeZip(const QString& name) const {
    const QString tree = home + "/tree-" + name;
    testsupport::WriteFile(tree + "/data.bin", testsupport::RandomBytes(20000));
    testsupport::WriteFile(tree + "/visit.url", "ad");
    ASSERT_EQ(testsupport::RunTool("zip", {"-qr", In(name), "."}, tree).exitCode, 0);
  }
  // A ZIP at `path` holding inner.zip (as MakeZip makes it) and broken.rar, which opens as no
  // archive: what --nested 1 opens and keeps.
  void MakeNestedZip(const QString& path) const {
    MakeZip("inner.zip");
    const QString tree = home + "/outer";
    testsupport::MakeDir(tree);
    ASSERT_TRUE(QFile::rename(In("inner.zip"), tree + "/inner.zip"));
    testsupport::WriteFile(tree + "/broken.rar", "Rar!\x1a\x07\x01" + testsupport::RandomBytes(3000));
    ASSERT_EQ(testsupport::RunTool("zip", {"-qr", path, "."}, tree).exitCode, 0);
  }
};

inline QStringList Lines(const QByteArray& out) {
  return QString::fromUtf8(out).split('\n', Qt::SkipEmptyParts);
}

// The files a ZIP holds as unzip lists them, sorted, without folder entries.
inline QStringList ZipFiles(const QString& archive) {
  QStringList files =
      QString::fromUtf8(testsupport::RunTool("unzip", {"-Z1", archive}).out).split('\n', Qt::SkipEmptyParts);
  files.removeIf([](const QString& name) { return name.endsWith('/'); });
  files.sort();
  return files;
}

inline QString Line(int index, const QString& status, const QString& output) {
  return QStringLiteral("%1\t%2\t%3\t%4").arg(index).arg(status, output).arg(QFileInfo(output).size());
}

}  // namespace clitest
