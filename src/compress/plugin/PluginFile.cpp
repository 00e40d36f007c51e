#include "compress/plugin/PluginFile.h"

#include <QFileInfo>

#include "util/FileOps.h"
#include "util/IniFile.h"

TPluginFile TPluginFile::Read(const QString& path) {
  TPluginFile plugin;
  const TIniFile ini(path);
  plugin.name = ini.ReadString("info", "name", plugin.name);
  plugin.file = ini.ReadString("info", "file", plugin.file);
  plugin.useExternal = ini.ReadString("info", "useExternal", plugin.useExternal);
  plugin.uncompress = ini.ReadString("cmd", "uncompress", plugin.uncompress);
  plugin.version = ini.ReadString("cmd", "version", plugin.version);
  plugin.ok = ini.ReadInteger("result", "ok", plugin.ok);
  return plugin;
}

QString PluginFilePath(const QString& engineFolder, const QString& extension) {
  return engineFolder + QString(extension).remove('.') + QStringLiteral(".pk");
}

bool PluginFileExists(const QString& engineFolder, const QString& extension) {
  return QFileInfo(PluginFilePath(engineFolder, extension)).isFile();
}

QStringList MultiPartExtensions(const QString& path) {
  // The first part is the name itself, also when it is empty (".gz").
  const QStringList parts = FileNamePart(path).split(u'.');
  QStringList extensions;
  QString extension;
  for (qsizetype i = parts.size() - 1; i >= 1 && !parts[i].isEmpty(); --i) {
    extension.prepend(u'.' + parts[i]);
    extensions.prepend(extension);
  }
  return extensions;
}

QString FindPluginExtension(const QString& engineFolder, const QString& path) {
  for (const QString& extension : MultiPartExtensions(path))
    if (PluginFileExists(engineFolder, extension)) return extension;
  return {};
}
