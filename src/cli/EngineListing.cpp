#include "cli/EngineListing.h"

#include "compress/EngineList.h"
#include "compress/plugin/PluginList.h"

namespace {

QString Row(const QString& name, const QString& version, const QString& detail) {
  return QStringLiteral("  %1 %2 %3\n").arg(name, -24).arg(version, -10).arg(detail);
}

}  // namespace

QString EngineListingText(const QString& engineFolder) {
  QString text = QStringLiteral("Engine folder: %1\n\nEngines:\n").arg(engineFolder);
  for (const TEngineInfo& engine : ListEngines(engineFolder)) {
    if (!engine.installed) {
      text += Row(engine.name, QStringLiteral("-"), QStringLiteral("missing"));
      continue;
    }
    QString detail = engine.usable ? QString() : QStringLiteral("not usable");
    if (!engine.note.isEmpty()) detail += (detail.isEmpty() ? QString() : QStringLiteral(": ")) + engine.note;
    text += Row(engine.name, engine.version, detail);
  }

  text += QStringLiteral("\nPlug-ins:\n");
  const QList<TPluginInfo> plugins = ListInstalledPlugins(engineFolder);
  if (plugins.isEmpty()) text += QStringLiteral("  (none)\n");
  for (const TPluginInfo& plugin : plugins) {
    const QString version = plugin.version.isEmpty() ? QStringLiteral("-") : plugin.version;
    const QString detail =
        plugin.version.isEmpty() ? plugin.program + QStringLiteral(" (missing)") : plugin.program;
    text += Row(plugin.Caption(), version, detail);
  }
  return text;
}
