#include "app/ItemJob.h"

#include <QFileInfo>

#include <exception>

#include "app/JobLog.h"
#include "app/SourceReplace.h"
#include "app/StatusTexts.h"
#include "compress/common/CompressResult.h"
#include "compress/common/EngineLoadError.h"
#include "settings/DataFolder.h"
#include "util/FileOps.h"

namespace {

TCleanupRules CleanupRulesOf(const TRunContext& run) {
  TCleanupRules rules;
  rules.delList = run.delList;
  rules.txtDelList = run.txtDelList;
  rules.DeleteAds = run.settings.DeleteAds;
  rules.DelRarFileName = run.settings.DelRarFileName;
  rules.databaseFile = run.paths.databaseFile();
  rules.nameDeleteFile = NameDeleteFile(run.paths);
  return rules;
}

// Only a file can be an output this item began; a folder of that name is never touched.
void RemoveUnfinishedOutput(const QString& path) {
  const QFileInfo info(path);
  if (!path.isEmpty() && info.isFile() && !info.isSymLink()) DeletePath(path);
}

}  // namespace

TItemJob::TItemJob(const TRunContext& run, IArchiveFacade& compress, IJobObserver& observer,
                   TStopRequests stopRequests, TUnreadableFile onUnreadable)
    : run_(run),
      compress_(compress),
      observer_(observer),
      naming_(run.settings, run.outputPath, run.outputExt, NameDeleteFile(run.paths), onUnreadable),
      cleaner_(CleanupRulesOf(run), onUnreadable),
      packer_(compress, run.paths.mustFilesFolder(), run.settings.MustToFolder, run.settings.LockRAR,
              std::move(stopRequests)),
      throttle_([this](const TProgress& progress) { observer_.ShowItemProgress(progressIndex_, progress); }) {
}

TItemOutcome TItemJob::Process(int index, const QString& source) {
  observer_.ShowLvState(index, TStatusText::Processing);
  observer_.ClearOutputColumns(index);
  progressIndex_ = index;
  throttle_.Reset();
  compress_.SetOnProgress([this](const TProgress& progress) { throttle_.Report(progress); });
  TItemOutcome outcome;
  {
    TItem item(index, source, run_.paths.tempRoot());
    try {
      outcome = ProcessSource(item);
    } catch (const E7zLoadError&) {
      // The facade has logged why.
      outcome = Discarded(item, TStatusText::EngineLoadFailed);
    } catch (const std::exception& error) {
      qCWarning(lcJob) << source << ": unexpected error:" << error.what();
      outcome = Discarded(item, TStatusText::UnexpectedError);
    } catch (...) {
      qCWarning(lcJob) << source << ": unexpected error";
      outcome = Discarded(item, TStatusText::UnexpectedError);
    }
  }  // every work folder of the item is gone here
  compress_.SetOnProgress({});
  return JudgeOutput(std::move(outcome));
}

TItemOutcome TItemJob::ProcessSource(TItem& item) {
  const QFileInfo info(item.source);
  // Known before naming: a file a plug-in extracts loses its whole format extension (".tar.gz").
  const TSourceFormat format = info.isFile()
                                   ? DetectSourceFormat(compress_, item.source, run_.settings.PluginFormats)
                                   : TSourceFormat{};
  const TOutputName name = naming_.Name(item.source, format.pluginExt);
  item.output = name.CompressPath;
  item.outputBaseName = name.baseName;
  if (info.isDir()) return name.eligible ? ProcessFolder(item) : Failed(item, TStatusText::FolderIgnored);
  if (info.isFile())
    return name.eligible ? ProcessFile(item, format) : Failed(item, TStatusText::FileIgnored);
  // Gone, a dangling link, or a device, pipe or socket.
  return Discarded(item, info.exists() ? TStatusText::Unsupported : TStatusText::SourceMissing);
}

TItemOutcome TItemJob::ProcessFolder(TItem& item) {
  QString folder = item.source;
  if (run_.settings.CopyFolder) {
    const QString workFolder = item.folders.NewWorkFolder();
    ShowState(item, TStatusText::Copying);
    if (!CopyPath(item.source + "/*", workFolder + '/')) return CopyFailed(item, workFolder);
    folder = workFolder;
  }
  ShowState(item, TStatusText::Cleaning);
  cleaner_.CleanFolder(folder);
  ShowState(item, TStatusText::Compressing);
  return PackInRunFormat(item, folder);
}

TItemOutcome TItemJob::ProcessFile(TItem& item, const TSourceFormat& format) {
  if (format.archive) return ProcessArchive(item, format);
  return PackSourceFile(item, false);
}

TItemOutcome TItemJob::ProcessArchive(TItem& item, const TSourceFormat& format) {
  const bool exe = format.detected == QLatin1String(".exe");
  const bool skip =
      run_.settings.NoCompressEXE && FileExtension(item.source).toLower() == QLatin1String(".exe");
  int code = crFailed;
  QString workFolder;
  if (!skip) {
    workFolder = item.folders.NewWorkFolder();
    ShowState(item, TStatusText::Extracting);
    // The facade leaves regular files and folders only, so nothing below follows a link.
    code = ExtractSource(compress_, format, item.source, workFolder);
  }
  // Read at once: only the extraction sets it.
  const bool complete = code == crSuccess && compress_.ExtractionComplete();

  if (code == crSuccess) {
    if (exe)
      observer_.SetLvExName(
          item.index, QString(compress_.CompressFileExt()).remove('.') + TRunText::SelfExtractingSuffix);
    if (format.byPlugin()) observer_.SetLvExName(item.index, TRunText::PluginFormatType(format.pluginExt));
    ShowState(item, TStatusText::Compressing);
    cleaner_.CleanFolder(workFolder);
    const TItemOutcome packed =
        PackOutcome(item, packer_.PackFolder(workFolder, item.output, FileExtension(item.output)));
    if (packed.verdict != TItemVerdict::Success || !run_.settings.RARToFrom) return packed;
    return ReplaceSource(item, complete);
  }
  if (exe) {
    TItemOutcome packed = PackSourceFile(item, true);
    if (packed.verdict == TItemVerdict::Success) packed.status = TStatusText::ExePacked;
    return packed;
  }
  if (code == crEngineLoadFailed) return Failed(item, TStatusText::EngineLoadFailed);
  if (code == crWrongPassword) return Failed(item, TStatusText::WrongPassword);
  return Failed(item, TStatusText::CannotExtract);
}

TItemOutcome TItemJob::PackSourceFile(TItem& item, bool showSteps) {
  const QString workFolder = item.folders.NewWorkFolder();
  if (showSteps) ShowState(item, TStatusText::Copying);
  if (!CopyPath(item.source, workFolder + '/' + FileNamePart(item.source)))
    return CopyFailed(item, workFolder);
  if (showSteps) ShowState(item, TStatusText::Compressing);
  return PackInRunFormat(item, workFolder);
}

TItemOutcome TItemJob::PackInRunFormat(TItem& item, const QString& folder) {
  // In replace-source mode the name carries the source's extension, meant for an archive that is
  // repacked in its own format and then takes the source's place. Anything else is named by the
  // format it really has and stays beside the other outputs.
  if (FileExtension(item.output) != run_.outputExt)
    item.output = naming_.FreePath(item.outputBaseName, run_.outputExt);
  return PackOutcome(item, packer_.PackFolder(folder, item.output, run_.outputExt));
}

TItemOutcome TItemJob::PackOutcome(const TItem& item, int packResult) {
  switch (packResult) {
    case prPacked:
      return Made(item, TStatusText::Packed);
    case prUnsupported:
      return Failed(item, TStatusText::Unsupported);
    case prEngineMissing:
      return Discarded(item, TStatusText::EngineLoadFailed);
    case prStopped:
      return Discarded(item, TStatusText::Stopped, TItemVerdict::Stopped);
    default:
      return Discarded(item, TStatusText::PackFailed);
  }
}

TItemOutcome TItemJob::ReplaceSource(const TItem& item, bool extractionComplete) {
  if (!extractionComplete)
    qCWarning(lcJob) << "not replacing" << item.source
                     << ": not every entry came out as itself (the engine has logged which)";
  if (extractionComplete && ReplaceSourceWithOutput(compress_, item.output, item.source)) {
    TItemOutcome replaced = Made(item, TStatusText::Packed);
    replaced.CompressPath = item.source;
    return replaced;
  }
  // The output stays in the output folder; the source is as it was.
  return Failed(item, TStatusText::ReplaceFailed);
}

TItemOutcome TItemJob::CopyFailed(const TItem& item, const QString& workFolder) {
  qCWarning(lcJob) << "copying" << item.source << "into the work folder" << workFolder << "failed";
  return Discarded(item, TStatusText::CopyFailed);
}

TItemOutcome TItemJob::Made(const TItem& item, const QString& status) {
  return {item.output, status, TItemVerdict::Success};
}

TItemOutcome TItemJob::Failed(const TItem& item, const QString& status) {
  return {item.output, status, TItemVerdict::Failed};
}

TItemOutcome TItemJob::Discarded(const TItem& item, const QString& status, TItemVerdict verdict) {
  if (item.output != item.source) RemoveUnfinishedOutput(item.output);
  return {item.output, status, verdict};
}
