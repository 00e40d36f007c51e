#include "app/ItemJob.h"

#include <QElapsedTimer>
#include <QFileInfo>

#include <exception>
#include <optional>

#include "app/ItemCauses.h"
#include "app/JobLog.h"
#include "app/PasswordBudget.h"
#include "app/SourceReplace.h"
#include "app/StatusTexts.h"
#include "compress/common/CompressResult.h"
#include "compress/common/EngineLoadError.h"
#include "settings/DataFolder.h"
#include "util/FileOps.h"
#include "util/NativePath.h"

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

TItemJob::TItemJob(const TRunContext& run, const TVolumeSetPlan& volumePlan, TRunFolder& runFolder,
                   IArchiveFacade& compress, IJobObserver& observer, TStopRequests stopRequests,
                   TUnreadableFile onUnreadable)
    : run_(run),
      volumePlan_(volumePlan),
      runFolder_(runFolder),
      compress_(compress),
      observer_(observer),
      stopRequests_(stopRequests),
      naming_(run.settings, run.outputPath, run.outputExt, NameDeleteFile(run.paths), onUnreadable),
      cleaner_(CleanupRulesOf(run), onUnreadable),
      packer_(compress, run.paths.mustFilesFolder(), run.settings.MustToFolder, run.settings.LockRAR,
              std::move(stopRequests)),
      throttle_([this](const TProgress& progress) { observer_.ShowItemProgress(progressIndex_, progress); }) {
}

TItemOutcome TItemJob::Process(int index, const QString& source) {
  observer_.ShowLvState(index, TStatusText::Processing);
  observer_.ClearOutputColumns(index);
  if (volumePlan_.PackedByOther(index)) {
    qCInfo(lcJob) << source << "is a volume of a set that another item of the run packs";
    return JudgeOutput({{}, TStatusText::OtherVolume, TItemVerdict::Skipped});
  }
  progressIndex_ = index;
  throttle_.Reset();
  compress_.SetOnProgress([this](const TProgress& progress) { throttle_.Report(progress); });
  const TItemCauses causes;
  TItemOutcome outcome;
  {
    TItem item(index, source, runFolder_, run_.dryRun);
    try {
      outcome = ProcessSource(item);
      outcome.unpackPasswordIndex = item.unpackPasswordIndex;
      outcome.nestedOpened = item.nestedOpened;
      outcome.nestedKept = item.nestedKept;
      if (run_.settings.KeepTime && outcome.verdict == TItemVerdict::Success) KeepSourceTime(item, outcome);
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
  TItemOutcome judged = JudgeOutput(std::move(outcome));
  judged.causes = causes.lines();
  return judged;
}

TItemOutcome TItemJob::ProcessSource(TItem& item) {
  std::error_code error;
  const auto sourceTime = std::filesystem::last_write_time(FileSystemPath(item.source), error);
  if (!error) item.sourceTime = sourceTime;
  const QFileInfo info(item.source);
  if (info.isFile()) item.volumeSet = FindVolumeSet(item.source);
  // Known before naming: a file a plug-in extracts loses its whole format extension (".tar.gz").
  // A set is one archive of the format its names say (a later ZIP volume need not start with a
  // signature), named as that archive: x.part1.rar as x.rar, x.7z.001 as x.7z.
  const TSourceFormat format = item.volumeSet ? TSourceFormat{item.volumeSet->format, true, {}}
                               : info.isFile()
                                   ? DetectSourceFormat(compress_, item.source, run_.settings.PluginFormats)
                                   : TSourceFormat{};
  const TOutputName name = naming_.Name(item.volumeSet ? item.volumeSet->setPath : item.source,
                                        format.pluginExt, item.reservations());
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
  // A dry run cleans a copy even when the run would clean the folder in place.
  if (run_.settings.CopyFolder || item.dryRun) {
    const QString workFolder = item.folders.NewWorkFolder();
    ShowState(item, TStatusText::Copying);
    if (!CopyPath(item.source + "/*", workFolder + '/')) return CopyFailed(item, workFolder);
    folder = workFolder;
  }
  ShowState(item, TStatusText::Cleaning);
  Clean(item, folder);
  ShowState(item, TStatusText::Compressing);
  return PackInRunFormat(item, folder);
}

TItemOutcome TItemJob::ProcessFile(TItem& item, const TSourceFormat& format) {
  if (item.volumeSet) return ProcessVolumeSet(item, format);
  if (format.archive) return ProcessArchive(item, item.source, format);
  return PackSourceFile(item, false);
}

TItemOutcome TItemJob::ProcessVolumeSet(TItem& item, const TSourceFormat& format) {
  const TVolumeSet& set = *item.volumeSet;
  // Every volume is read through the one that opens the set; a gap would leave files out.
  if (!set.complete()) {
    qCWarning(lcJob) << item.source << ": the volume set lacks" << set.missing;
    return Failed(item, TStatusText::CannotExtract);
  }
  return ProcessArchive(item, set.openedBy, format);
}

TItemOutcome TItemJob::ProcessArchive(TItem& item, const QString& archive, const TSourceFormat& format) {
  const bool exe = format.detected == QLatin1String(".exe");
  const bool skip =
      run_.settings.NoCompressEXE && FileExtension(item.source).toLower() == QLatin1String(".exe");
  TExtraction extraction;
  if (!skip) {
    ShowState(item, TStatusText::Extracting);
    extraction = Extract(item, archive, format);
  }
  if (extraction.stopped) return Discarded(item, TStatusText::Stopped, TItemVerdict::Stopped);
  const int code = extraction.result.code;
  const QString& workFolder = extraction.folder;
  item.unpackPasswordIndex = extraction.passwordIndex;

  if (code == crSuccess) {
    if (exe)
      observer_.SetLvExName(item.index,
                            QString(extraction.result.format).remove('.') + TRunText::SelfExtractingSuffix);
    if (format.byPlugin()) observer_.SetLvExName(item.index, TRunText::PluginFormatType(format.pluginExt));
    bool complete = extraction.result.complete;
    if (run_.settings.NestedDepth > 0 && !OpenNested(item, workFolder, extraction.result.written, &complete))
      return Failed(item, TStatusText::CannotExtract);
    ShowState(item, TStatusText::Compressing);
    Clean(item, workFolder);
    const bool replaces = run_.settings.RARToFrom && !item.volumeSet;
    if (item.dryRun) return Previewed(item, replaces ? item.source : item.output);
    const TItemOutcome packed =
        PackOutcome(item, PackFolder(item, workFolder, FileExtension(item.output), replaces));
    if (packed.verdict != TItemVerdict::Success || !run_.settings.RARToFrom) return packed;
    if (item.volumeSet) {
      // One archive cannot take the place of several files; the set stays as it was.
      qCInfo(lcJob) << "replace-source mode leaves the" << item.volumeSet->count() << "volumes of"
                    << item.volumeSet->setPath << "untouched; the output stays at" << item.output;
      return Made(item, TStatusText::VolumesKept);
    }
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

TExtraction TItemJob::Extract(TItem& item, const QString& archive, const TSourceFormat& format) {
  const QString& boxPassword = run_.settings.UnCompressPwd;
  QStringList tried;
  std::optional<int> otherFailure;
  TExtractResult extracted;
  TPasswordBudget budget(run_.settings.MaxPasswordSeconds);
  bool stopped = false;
  for (int i = -1; i < int(run_.passwordList.size()); ++i) {
    // Before a try, and after one that failed: a failure then is the stop's.
    if ((stopped = StopRequested())) break;
    const QString& password = i < 0 ? boxPassword : run_.passwordList[i];
    if (tried.contains(password)) continue;
    tried << password;
    compress_.SetUnCompressPwd(password);
    const double estimated = compress_.PasswordTrySeconds(archive);
    if (!budget.Allows(estimated)) {
      qCWarning(lcJob).noquote() << item.source
                                 << ": no further password tried: the next try would take about"
                                 << QString::number(budget.Expected(estimated), 'f', 1)
                                 << "s (key derivation) after" << QString::number(budget.spent(), 'f', 1)
                                 << "s spent, beyond MaxPasswordSeconds ="
                                 << run_.settings.MaxPasswordSeconds;
      extracted.code = crWrongPassword;
      break;
    }
    const QString folder = item.folders.NewWorkFolder();
    QElapsedTimer timer;
    timer.start();
    // The facade leaves no link pointing out of the work folder, so nothing below follows one.
    extracted = ExtractSource(compress_, format, archive, folder);
    budget.Spend(double(timer.nsecsElapsed()) * 1e-9, estimated);
    if (extracted.succeeded()) {
      compress_.SetUnCompressPwd(boxPassword);
      if (i >= 0) qCInfo(lcJob) << archive << "opened with line" << i + 1 << "of the password list";
      return {extracted, folder, i};
    }
    // The next try starts from an empty folder.
    item.folders.Remove(folder);
    if (extracted.code != crWrongPassword && !otherFailure) otherFailure = extracted.code;
    if ((stopped = StopRequested()) || !AnotherPasswordMayOpen(extracted)) break;
  }
  compress_.SetUnCompressPwd(boxPassword);
  extracted.code = otherFailure.value_or(extracted.code);
  return {extracted, {}, -1, stopped};
}

bool TItemJob::AnotherPasswordMayOpen(const TExtractResult& extracted) {
  // 7z cannot tell a wrong password from damage: a failure on encrypted content may be either.
  // The extraction limits stop every try alike.
  if (extracted.overLimit) return false;
  return extracted.code == crWrongPassword || (extracted.code == crFailed && extracted.encrypted);
}

bool TItemJob::OpenNested(TItem& item, const QString& folder, quint64 written, bool* complete) {
  const TExtractLimits& runLimits = run_.settings.extractLimits;
  // The facade serves the worker's next items too: its limits are the run's again whatever ends this.
  struct TRestoreLimits {
    IArchiveFacade& compress;
    const TExtractLimits& limits;
    ~TRestoreLimits() { compress.SetExtractLimits(limits); }
  } restore{compress_, runLimits};
  TNestedArchives nested(compress_, run_.settings.PluginFormats, item.folders,
                         [&](const QString& archive, const TSourceFormat& format, quint64 priorBytes) {
                           TExtractLimits limits = runLimits;
                           limits.priorBytes = priorBytes;
                           compress_.SetExtractLimits(limits);
                           return Extract(item, archive, format);
                         });
  const TNestedReport report = nested.Open(folder, run_.settings.NestedDepth, written);
  item.nestedOpened = report.opened;
  item.nestedKept = report.kept;
  if (report.overLimit) {
    qCWarning(lcJob) << item.source << ": the archives inside it reach the extraction limits together";
    return false;
  }
  *complete = *complete && report.complete;
  return true;
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
  if (FileExtension(item.output) != run_.outputExt) {
    if (TOutputReservations* const names = item.reservations()) names->LetGo(item.output);
    item.output = naming_.FreePath(item.outputBaseName, run_.outputExt, item.reservations());
  }
  if (item.dryRun) return Previewed(item, item.output);
  return PackOutcome(item, PackFolder(item, folder, run_.outputExt, false));
}

int TItemJob::PackFolder(const TItem& item, const QString& folder, const QString& format, bool replacesSource) {
  // Nothing new begins once the user asked to stop.
  if (StopRequested()) return prStopped;
  runFolder_.BeginOutput(item.output);
  const int test = run_.settings.TestOutput;
  return packer_.PackFolder(folder, item.output, format,
                            test == toAlways || (test == toWhenReplacing && replacesSource));
}

void TItemJob::KeepSourceTime(const TItem& item, const TItemOutcome& outcome) {
  std::error_code error;
  if (item.sourceTime)
    std::filesystem::last_write_time(FileSystemPath(outcome.CompressPath), *item.sourceTime, error);
  // The archive is whole either way; only its time is not the source's.
  if (!item.sourceTime || error)
    qCWarning(lcJob) << "cannot give" << outcome.CompressPath << "the modification time of" << item.source;
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

TItemOutcome TItemJob::Previewed(const TItem& item, const QString& output) {
  TItemOutcome previewed{output, TStatusText::DryRunDone, TItemVerdict::Previewed};
  previewed.cleanup = item.cleanup;
  return previewed;
}

TItemOutcome TItemJob::Made(const TItem& item, const QString& status) {
  return {item.output, status, TItemVerdict::Success};
}

TItemOutcome TItemJob::Failed(const TItem& item, const QString& status) {
  return {item.output, status, TItemVerdict::Failed};
}

TItemOutcome TItemJob::Discarded(const TItem& item, const QString& status, TItemVerdict verdict) {
  // A dry run begins no output; whatever lies at the name is someone else's.
  if (item.output != item.source && !item.dryRun) RemoveUnfinishedOutput(item.output);
  return {item.output, status, verdict};
}
