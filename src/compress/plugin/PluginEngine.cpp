#include "compress/plugin/PluginEngine.h"

#include <QFileInfo>

#include "compress/common/ExtractedTree.h"
#include "compress/common/RunEngine.h"
#include "compress/plugin/PluginCommand.h"
#include "compress/plugin/PluginFile.h"
#include "util/FileOps.h"
#include "util/PathSeparators.h"

TPluginEngine::TPluginEngine(TEngineContext& context) : context_(context) {}

int TPluginEngine::UnCompressByPlugin(const QString& CompressFile, const QString& Dir) {
  return UnCompressByPlugin(CompressFile, Dir, FileExtension(CompressFile));
}

int TPluginEngine::UnCompressByPlugin(const QString& CompressFile, const QString& Dir,
                                      const QString& extension) {
  const QString pluginFile = PluginFilePath(context_.engineFolder, extension);
  const TPluginFile plugin = TPluginFile::Read(pluginFile);
  // The engine folder itself (no "file" key) is no program either.
  const QString program = context_.engineFolder + plugin.file;
  if (!QFileInfo(program).isFile()) {
    const QString why = QFileInfo::exists(pluginFile)
                            ? QStringLiteral("the program %1 of %2 is missing").arg(program, pluginFile)
                            : QStringLiteral("no plug-in file %1").arg(pluginFile);
    return context_.Fail(crEngineLoadFailed, why);
  }
  if (plugin.uncompress.isEmpty())
    return context_.Fail(crFailed, QStringLiteral("%1 has no uncompress template").arg(pluginFile));

  const QString destination = WithoutTrailingSeparator(Dir);
  const QStringList arguments =
      PluginArguments(plugin.uncompress, {CompressFile, destination, context_.unCompressPwd});
  // The program writes the folder itself: the ledger can only watch what it has written so far.
  TExtractLedger* ledger = context_.ledger;
  const int exitCode =
      ledger ? RunEngineWatched(program, arguments, [&] { return ledger->Observe(BytesBelow(destination)); })
             : RunEngine(program, arguments);
  // A program that ended before the first look is measured once it has.
  if (ledger && (ledger->stopped() || !ledger->Observe(BytesBelow(destination))))
    return context_.Fail(crFailed, ledger->stopCause());
  if (IsExpectedExitCode(exitCode, plugin.ok)) return crSuccess;
  return context_.Fail(
      crFailed, QStringLiteral("%1 exited with %2, success is %3").arg(program).arg(exitCode).arg(plugin.ok));
}
