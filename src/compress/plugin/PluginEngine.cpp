#include "compress/plugin/PluginEngine.h"

#include <QFileInfo>

#include "compress/common/RunEngine.h"
#include "compress/plugin/PluginCommand.h"
#include "compress/plugin/PluginFile.h"
#include "util/FileOps.h"

TPluginEngine::TPluginEngine(TEngineContext& context) : context_(context) {}

int TPluginEngine::UnCompressByPlugin(const QString& CompressFile, const QString& Dir) {
  const TPluginFile plugin =
      TPluginFile::Read(PluginFilePath(context_.engineFolder, FileExtension(CompressFile)));
  // The engine folder itself (no "file" key) is no program either.
  const QString program = context_.engineFolder + plugin.file;
  if (!QFileInfo(program).isFile()) return crEngineLoadFailed;
  if (plugin.uncompress.isEmpty()) return crFailed;

  QString destination = Dir;
  if (destination.endsWith('/') && destination.size() > 1) destination.chop(1);
  const QStringList arguments =
      PluginArguments(plugin.uncompress, {CompressFile, destination, context_.unCompressPwd});
  return IsExpectedExitCode(RunEngine(program, arguments), plugin.ok) ? crSuccess : crFailed;
}
