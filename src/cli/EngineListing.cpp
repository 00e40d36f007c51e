#include "cli/EngineListing.h"

#include "compress/InstalledEngines.h"

namespace {

QString Row(const QString& name, const QString& version, const QString& detail) {
  return QStringLiteral("  %1 %2 %3\n").arg(name, -24).arg(version, -10).arg(detail);
}

QString EngineRow(const TInstalledEngine& engine) {
  if (engine.state == TInstalledEngine::esMissing)
    return Row(engine.caption, QStringLiteral("-"), QStringLiteral("missing"));
  QString detail = engine.state == TInstalledEngine::esUnusable ? QStringLiteral("not usable") : QString();
  if (!engine.note.isEmpty()) detail += (detail.isEmpty() ? QString() : QStringLiteral(": ")) + engine.note;
  return Row(engine.caption, engine.version, detail);
}

QString PluginRow(const TInstalledEngine& plugin) {
  if (plugin.state == TInstalledEngine::esMissing)
    return Row(plugin.caption, QStringLiteral("-"), plugin.program + QStringLiteral(" (missing)"));
  return Row(plugin.caption, plugin.version, plugin.program);
}

}  // namespace

QString EngineListingText(const QString& engineFolder) {
  const QList<TInstalledEngine> rows = ListInstalledEngines(engineFolder);
  QString engines;
  QString plugins;
  for (const TInstalledEngine& row : rows) {
    if (row.kind == TInstalledEngine::ekEngine)
      engines += EngineRow(row);
    else
      plugins += PluginRow(row);
  }
  if (plugins.isEmpty()) plugins = QStringLiteral("  (none)\n");
  return QStringLiteral("Engine folder: %1\n\nEngines:\n").arg(engineFolder) + engines +
         QStringLiteral("\nPlug-ins:\n") + plugins;
}
