#include "updater/UpdaterJob.h"

#include <QDir>
#include <QFileInfo>

#include "compress/common/EntryPath.h"
#include "compress/vxCompress.h"
#include "update/UpdateFailureNote.h"
#include "update/UpdateHandover.h"
#include "update/UpdateLog.h"
#include "update/UpdateTexts.h"
#include "updater/ProgramProcesses.h"
#include "util/FileOps.h"
#include "util/Process.h"

namespace {

// A path from the hand-over, below the program folder; empty when it would leave it.
QString InsideProgramFolder(const QString& programFolder, const QString& relative) {
  if (!IsPlainRelativeEntryName(relative)) return {};
  return SafeEntryPath(programFolder, relative).value_or(QString());
}

QString PackagePath(const QString& programFolder) { return programFolder + QStringLiteral("update/tmp.tmp"); }

// Unpacked into a fresh folder beside the package; empty when the package is not complete: an
// entry refused (a name leaving the folder) or not written as itself (a link), or no ZIP at all.
QString Unpack(const QString& programFolder) {
  const QString staging = programFolder + QStringLiteral("update/staging");
  DeletePath(staging);
  if (!QDir().mkpath(staging)) return {};
  TvxCompress facade(programFolder + QStringLiteral("Engine/"));
  const TExtractResult unpacked = facade.UnCompressFile(PackagePath(programFolder), staging);
  if (!unpacked.complete || unpacked.format != QLatin1String(".zip")) {
    qCWarning(lcUpdate) << "the update package could not be unpacked completely:" << unpacked.code
                        << unpacked.format << unpacked.cause;
    DeletePath(staging);
    return {};
  }
  RemoveEscapingLinks(staging);
  return staging;
}

void DeleteListed(const QString& programFolder, const QStringList& files) {
  for (const QString& file : files) {
    const QString path = InsideProgramFolder(programFolder, file);
    if (path.isEmpty()) {
      qCWarning(lcUpdate) << "not deleting" << file << ": outside the program folder";
      continue;
    }
    DeletePath(path);
  }
}

// The program named in the hand-over, or the window program when it names none.
void StartProgram(const QString& programFolder, const THandover& handover) {
  const QString mainExe = handover.mainExe.isEmpty() ? QStringLiteral("harrowmint") : handover.mainExe;
  const QString program = InsideProgramFolder(programFolder, mainExe);
  if (program.isEmpty()) {
    qCWarning(lcUpdate) << "not starting" << mainExe << ": outside the program folder";
    return;
  }
  if (RunAndWait(program, handover.mainPram, programFolder, kSwShowNormal, false) == kStartFailed)
    qCWarning(lcUpdate) << "could not start" << program;
}

// Whatever happened, what was handed over is gone afterwards: a refused package is not tried again.
void RemoveHandedOver(const QString& programFolder) {
  DeletePath(programFolder + QStringLiteral("update/staging"));
  DeletePath(PackagePath(programFolder));
  DeletePath(HandoverFilePath(programFolder));
}

// Installs the hand-over's package; the cause of a failure, empty on success.
QString Install(const QString& programFolder, const THandover& handover) {
  const QString staging = Unpack(programFolder);
  if (staging.isEmpty()) return TUpdateText::PackageRefused;
  const bool copied = CopyPath(staging + QStringLiteral("/*"), programFolder);
  DeletePath(staging);
  if (!copied) return TUpdateText::FilesNotWritten;
  DeleteListed(programFolder, handover.deleteFiles);
  return {};
}

}  // namespace

int RunUpdater(const QString& programFolder, const TUpdaterOptions& options) {
  TXML document;
  if (!document.LoadFromFile(HandoverFilePath(programFolder))) {
    qCWarning(lcUpdate) << "no hand-over file in" << programFolder;
    return kUpdaterFailed;
  }
  const THandover handover = ReadHandover(document);
  if (!WaitForProgramsToEnd(programFolder, handover.processNames, options.waitMs)) {
    // Not started a second time; the hand-over stays, to be run again once they have ended.
    NoteUpdateFailure(programFolder, TUpdateText::ProgramStillRunning);
    return kUpdaterFailed;
  }
  const QString failure = QFileInfo(PackagePath(programFolder)).isFile() ? Install(programFolder, handover)
                                                                         : TUpdateText::PackageMissing;
  if (!failure.isEmpty()) NoteUpdateFailure(programFolder, failure);
  RemoveHandedOver(programFolder);
  StartProgram(programFolder, handover);
  return failure.isEmpty() ? kUpdaterDone : kUpdaterFailed;
}
