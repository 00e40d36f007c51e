#include "compress/plugin/PluginFile.h"

#include <QFileInfo>

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

