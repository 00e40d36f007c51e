#include "compress/plugin/PluginList.h"

#include <QDir>
#include <QFileInfo>

#include "compress/plugin/PluginFile.h"
#include "compress/common/ProgramVersion.h"
#include "util/PathSeparators.h"
#include "util/Process.h"
#include "util/SystemInfo.h"

namespace {

QString ProgramVersion(const TPluginFile& plugin, const QString& program) {
  if (!QFileInfo(program).isFile()) return {};
  if (plugin.version.isEmpty()) return FileVersionText(program);
  const QString asked = AskProgramVersion(program, SplitCommandLine(plugin.version));
  return asked.isEmpty() ? kUnknownVersion : asked;
}

}  // namespace

QList<TPluginInfo> ListInstalledPlugins(const QString& engineFolder) {
  QList<TPluginInfo> plugins;
  const QString base = WithTrailingSeparator(engineFolder);
  const QDir folder(base);
  const QFileInfoList files =
      folder.entryInfoList({QStringLiteral("*.pk")}, QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
  for (const QFileInfo& file : files) {
    const TPluginFile plugin = TPluginFile::Read(file.filePath());
    if (plugin.name.isEmpty()) continue;
    TPluginInfo info;
    info.name = plugin.name;
    info.extension = file.fileName().chopped(3);
    info.program = base + plugin.file;  // appended as written, like the extraction does
    info.version = ProgramVersion(plugin, info.program);
    plugins << info;
  }
  return plugins;
}
