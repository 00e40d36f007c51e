#include "app/ItemJob.h"

#include <QFileInfo>

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
                   TStopRequests stopRequests)
    : run_(run),
      compress_(compress),
      observer_(observer),
      naming_(run.settings, run.outputPath, run.outputExt, NameDeleteFile(run.paths)),
      cleaner_(CleanupRulesOf(run)),
      packer_(compress, run.paths.mustFilesFolder(), run.settings.MustToFolder, run.settings.LockRAR,
              std::move(stopRequests)) {}

TItemOutcome TItemJob::Process(int index, const QString& source) {
  index_ = index;
  path_ = source;
  CompressPath_.clear();
  status_ = TStatusText::Packed;
  failed_ = false;
  discardOutput_ = false;

  ShowState(TStatusText::Processing);
  observer_.ClearOutputColumns(index);
  {
    TWorkFolders folders(run_.paths.tempRoot());
    workFolders_ = &folders;
    try {
      const TOutputName name = naming_.Name(source);
      CompressPath_ = name.CompressPath;
      outputBaseName_ = name.baseName;
      const QFileInfo info(source);
      if (info.isDir())
        ProcessFolder(name.eligible);
      else if (info.isFile())
        ProcessFile(name.eligible);
      else  // gone, a dangling link, or a device, pipe or socket
        Fail(info.exists() ? TStatusText::Unsupported : TStatusText::SourceMissing);
    } catch (const E7zLoadError&) {
      Fail(TStatusText::EngineLoadFailed);
    } catch (...) {
      Fail(TStatusText::UnexpectedError);
    }
    workFolders_ = nullptr;
  }  // every work folder of the item is gone here

  if (discardOutput_ && CompressPath_ != path_) RemoveUnfinishedOutput(CompressPath_);
  return {CompressPath_, status_, failed_};
}

void TItemJob::ProcessFolder(bool eligible) {
  if (!eligible) {
    status_ = TStatusText::FolderIgnored;
    return;
  }
  QString folder = path_;
  if (run_.settings.CopyFolder) {
    const QString workFolder = workFolders_->NewWorkFolder();
    ShowState(TStatusText::Copying);
    if (!CopyPath(path_ + "/*", workFolder + '/')) return Fail(TStatusText::CopyFailed);
    folder = workFolder;
  }
  ShowState(TStatusText::Cleaning);
  cleaner_.CleanFolder(folder);
  ShowState(TStatusText::Compressing);
  TakePackResult(PackInRunFormat(folder));
}

void TItemJob::ProcessFile(bool eligible) {
  if (!eligible) {
    status_ = TStatusText::FileIgnored;
    return;
  }
  const QString detected = compress_.GetFileRealExt(path_);
  if (compress_.isSupportExt(detected))
    ProcessArchive(detected);
  else
    PackSourceFile(false);
}

void TItemJob::ProcessArchive(const QString& detected) {
  const bool exe = detected == QLatin1String(".exe");
  const bool skip = run_.settings.NoCompressEXE && FileExtension(path_).toLower() == QLatin1String(".exe");
  int code = crFailed;
  QString workFolder;
  if (!skip) {
    workFolder = workFolders_->NewWorkFolder();
    ShowState(TStatusText::Extracting);
    // The facade leaves no link pointing out of the work folder, so nothing below follows one.
    code = compress_.UnCompressFile(path_, workFolder);
  }

  if (code == crSuccess) {
    if (exe)
      observer_.SetLvExName(
          index_, QString(compress_.CompressFileExt()).remove('.') + TRunText::SelfExtractingSuffix);
    ShowState(TStatusText::Compressing);
    cleaner_.CleanFolder(workFolder);
    if (TakePackResult(packer_.PackFolder(workFolder, CompressPath_, FileExtension(CompressPath_))) &&
        run_.settings.RARToFrom)
      ReplaceSource();
  } else if (exe) {
    if (PackSourceFile(true)) status_ = TStatusText::ExePacked;
  } else if (code == crEngineLoadFailed) {
    status_ = TStatusText::EngineLoadFailed;
  } else if (code == crWrongPassword) {
    status_ = TStatusText::WrongPassword;
  } else {
    status_ = TStatusText::CannotExtract;
  }
}

bool TItemJob::PackSourceFile(bool showSteps) {
  const QString workFolder = workFolders_->NewWorkFolder();
  if (showSteps) ShowState(TStatusText::Copying);
  if (!CopyPath(path_, workFolder + '/' + FileNamePart(path_))) {
    Fail(TStatusText::CopyFailed);
    return false;
  }
  if (showSteps) ShowState(TStatusText::Compressing);
  return TakePackResult(PackInRunFormat(workFolder));
}

int TItemJob::PackInRunFormat(const QString& folder) {
  // In replace-source mode the name carries the source's extension, meant for an archive that is
  // repacked in its own format and then takes the source's place. Anything else is named by the
  // format it really has and stays beside the other outputs.
  if (FileExtension(CompressPath_) != run_.outputExt)
    CompressPath_ = naming_.FreePath(outputBaseName_, run_.outputExt);
  return packer_.PackFolder(folder, CompressPath_, run_.outputExt);
}

bool TItemJob::TakePackResult(int packResult) {
  switch (packResult) {
    case prPacked:
      return true;
    case prUnsupported:
      status_ = TStatusText::Unsupported;
      return false;
    case prEngineMissing:
      Fail(TStatusText::EngineLoadFailed);
      return false;
    case prStopped:
      Fail(TStatusText::Stopped);
      return false;
    default:
      Fail(TStatusText::PackFailed);
      return false;
  }
}

void TItemJob::ReplaceSource() {
  if (ReplaceSourceWithOutput(compress_, CompressPath_, path_)) {
    CompressPath_ = path_;
    return;
  }
  // The output stays in the output folder; the source is as it was.
  status_ = TStatusText::ReplaceFailed;
  failed_ = true;
}

void TItemJob::Fail(const QString& status) {
  status_ = status;
  failed_ = true;
  discardOutput_ = true;
}
