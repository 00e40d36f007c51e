#include "compress/InstalledEngines.h"

#include "compress/EngineList.h"
#include "compress/plugin/PluginList.h"

namespace {

TInstalledEngine FromEngine(const TEngineInfo& engine) {
  TInstalledEngine row;
  row.kind = TInstalledEngine::ekEngine;
  row.state = !engine.installed ? TInstalledEngine::esMissing
              : engine.usable   ? TInstalledEngine::esReady
                                : TInstalledEngine::esUnusable;
  row.caption = engine.name;
  row.program = engine.path;
  row.version = engine.version;
  row.note = engine.note;
  return row;
}

// The plug-in listing leaves the version empty exactly when the program is not there.
TInstalledEngine FromPlugin(const TPluginInfo& plugin) {
  TInstalledEngine row;
  row.kind = TInstalledEngine::ekPlugin;
  row.state = plugin.version.isEmpty() ? TInstalledEngine::esMissing : TInstalledEngine::esReady;
  row.caption = plugin.Caption();
  row.program = plugin.program;
  row.version = plugin.version;
  return row;
}

}  // namespace

QList<TInstalledEngine> ListInstalledEngines(const QString& engineFolder) {
  QList<TInstalledEngine> rows;
  for (const TEngineInfo& engine : ListEngines(engineFolder)) rows << FromEngine(engine);
  for (const TPluginInfo& plugin : ListInstalledPlugins(engineFolder)) rows << FromPlugin(plugin);
  return rows;
}
