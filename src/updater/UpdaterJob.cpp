#include "updater/UpdaterJob.h"

#include <QDir>
#include <QFileInfo>

#include "compress/common/EntryPath.h"
#include "compress/vxCompress.h"
#include "update/UpdateHandover.h"
#include "update/UpdateLog.h"
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

// Unpacked into a fresh folder beside the package; empty when the package is not complete.
QString Unpack(const QString& programFolder) {
  const QString staging = programFolder + QStringLiteral("update/staging");
  DeletePath(staging);
  if (!QDir().mkpath(staging)) return {};
  TvxCompress facade(programFolder + QStringLiteral("Engine/"));
  const TExtractResult unpacked = facade.UnCompressFile(PackagePath(programFolder), staging);
  if (!unpacked.succeeded() || unpacked.format != QLatin1String(".zip")) {
    qCWarning(lcUpdate) << "the update package could not be unpacked:" << unpacked.code << unpacked.format;
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

void StartProgram(const QString& programFolder, const THandover& handover) {
  if (handover.mainExe.isEmpty()) return;
  const QString program = InsideProgramFolder(programFolder, handover.mainExe);
  if (program.isEmpty()) {
    qCWarning(lcUpdate) << "not starting" << handover.mainExe << ": outside the program folder";
    return;
  }
  if (RunAndWait(program, handover.mainPram, programFolder, kSwShowNormal, false) == kStartFailed)
    qCWarning(lcUpdate) << "could not start" << program;
}

}  // namespace

int RunUpdater(const QString& programFolder, const TUpdaterOptions& options) {
  TXML document;
  if (!document.LoadFromFile(HandoverFilePath(programFolder))) {
    qCWarning(lcUpdate) << "no hand-over file in" << programFolder;
    return kUpdaterFailed;
  }
  if (!QFileInfo(PackagePath(programFolder)).isFile()) {
    qCWarning(lcUpdate) << "no update package in" << programFolder;
    return kUpdaterFailed;
  }
  const THandover handover = ReadHandover(document);
  if (!WaitForProgramsToEnd(programFolder, handover.processNames, options.waitMs)) {
    qCWarning(lcUpdate) << "the program is still running; nothing installed";
    return kUpdaterFailed;
  }
  const QString staging = Unpack(programFolder);
  if (staging.isEmpty()) return kUpdaterFailed;
  const bool copied = CopyPath(staging + QStringLiteral("/*"), programFolder);
  DeletePath(staging);
  if (!copied) {
    qCWarning(lcUpdate) << "some files of the update could not be written";
    return kUpdaterFailed;
  }
  DeleteListed(programFolder, handover.deleteFiles);
  DeletePath(PackagePath(programFolder));
  DeletePath(HandoverFilePath(programFolder));
  StartProgram(programFolder, handover);
  return kUpdaterDone;
}
