#pragma once
// Archives for the facade tests, made by the independent tools (rar, 7z), and engine folders
// that hold the build's real engines.
#include <QDir>
#include <QFileInfo>

#include "compress/plugin/PluginFixture.h"
#include "support/TestSupport.h"

namespace facadefixture {

// The tree every archive fixture holds, and its listing.
inline void WriteTree(const QString& root) {
  testsupport::WriteFile(root + "/readme.txt", "read me\r\n");
  testsupport::WriteFile(root + "/sub/data.bin", QByteArray(3000, 'd'));
}
inline const QStringList kTree{"readme.txt", "sub/", "sub/data.bin"};

// Archives of WriteTree's content (names relative to the tree), written to `archive`.
inline int MakeRar(const QString& source, const QString& archive, const QString& password = {}) {
  QStringList args{"a", "-r", "-ep1", "-idq"};
  if (!password.isEmpty()) args << "-p" + password;
  return testsupport::RunTool("rar", args << archive << source + "/*").exitCode;
}
inline int Make7z(const QString& source, const QString& archive, const QString& type = "7z") {
  return testsupport::RunTool("7z", {"a", "-bd", "-t" + type, archive, "*"}, source).exitCode;
}

// A self-extracting program as far as detection and the engines can tell: an "MZ" stub with
// the archive behind it.
inline QByteArray SelfExtracting(const QByteArray& archive) {
  return "MZ" + QByteArray(4094, '\0') + archive;
}

// An engine folder with links to the build's engines (those that are installed).
inline void LinkBuiltEngines(const pluginfixture::TEngineFolder& engine) {
  for (const char* name : {"rar", "libunrar.so", "7z.so"}) {
    const QString built = testsupport::EngineDir() + "/" + name;
    if (QFileInfo::exists(built)) engine.LinkProgram(name, QFileInfo(built).canonicalFilePath());
  }
}

}  // namespace facadefixture
