#include "update/UpdateHandover.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "update/PackageTrust.h"
#include "update/TextLines.h"
#include "update/UpdateLog.h"
#include "update/UpdateTexts.h"
#include "update/UpdateXml.h"
#include "util/FileOps.h"

namespace {

const QString kUpdateId = QStringLiteral("update");
const QString kId = QStringLiteral("id");
const QString kValue = QStringLiteral("Value");
const QString kKillProcList = QStringLiteral("KillProcList2");
const QString kMainProcName = QStringLiteral("MainProcName");
const QString kMainProcPram = QStringLiteral("MainProcPram");
const QString kDelFileList = QStringLiteral("DelFileList");

QString ValueOf(const TXML& handover, const QString& id, bool base64) {
  const TXmlElement* element = handover.FindList(kId, id);
  if (!element) return {};
  return base64 ? element->ReadBase64(kValue) : element->ReadText(kValue);
}

TInstallResult Refused(const QString& reason) { return {false, TUpdateText::InstallErrorId, reason}; }

bool StartedBy(int shellResult) { return shellResult > kShellNoHandler; }

TInstallResult StartUpdater(const TUpdateOffer& offer, const QString& programFolder) {
  const QString updater = UpdaterPath(programFolder);
  const QFileInfo info(updater);
  if (!info.isFile() || !info.isExecutable()) {
    qCWarning(lcUpdate) << "no updater program at" << updater;
    return Refused(TUpdateText::UpdaterMissing);
  }
  if (!HandoverDocument(offer.xml).SaveToFile(HandoverFilePath(programFolder)))
    return Refused(TUpdateText::HandoverFailed);
  if (!StartedBy(OpenWithShellArgs(updater, kUpdateId))) return Refused(TUpdateText::StartFailed);
  return {true, {}, {}};
}

TInstallResult StartInstaller(const TUpdateOffer& offer, const QString& installer) {
  QFile file(installer);
  if (!file.setPermissions(file.permissions() | QFile::ExeOwner | QFile::ReadOwner))
    return Refused(TUpdateText::StartFailed);
  if (!StartedBy(OpenWithShellArgs(installer, offer.RunPram))) return Refused(TUpdateText::StartFailed);
  return {true, {}, {}};
}

}  // namespace

bool IsZipPackage(const QString& updateDataFormat) { return updateDataFormat == u"zip"; }

QString DownloadTargetPath(const QString& saveDirPath, const QString& programFolder,
                           const QString& updateDataFormat) {
  QString folder = saveDirPath;
  folder.replace(QStringLiteral("<app>"), programFolder);
  const QString name = IsZipPackage(updateDataFormat) ? QStringLiteral("/update/tmp.tmp")
                                                      : QStringLiteral("/update/update.exe");
  return QDir::cleanPath(folder + name);
}

QString HandoverFilePath(const QString& programFolder) { return programFolder + QStringLiteral("tmp.updx"); }

QString UpdaterPath(const QString& programFolder) {
  return programFolder + QStringLiteral("harrowmint-updater");
}

TXML HandoverDocument(const QByteArray& descriptionXml) {
  TXML description;
  description.LoadFromText(descriptionXml);
  const TXmlElement& update = description.SelectList(QStringLiteral("name"), kUpdateId);
  TXML handover;
  handover.SelectList(kId, kKillProcList).WriteBase64(kValue, update.ReadBase64(QStringLiteral("KillProc")));
  handover.SelectList(kId, kMainProcName).WriteText(kValue, update.ReadBase64(QStringLiteral("MainExe")));
  handover.SelectList(kId, kMainProcPram).WriteText(kValue, update.ReadBase64(QStringLiteral("MainPram")));
  handover.SelectList(kId, kDelFileList).WriteBase64(kValue, update.ReadBase64(QStringLiteral("DelFiles")));
  return handover;
}

THandover ReadHandover(const TXML& handover) {
  THandover result;
  result.processNames = SplitLines(ValueOf(handover, kKillProcList, true));
  result.mainExe = ValueOf(handover, kMainProcName, false);
  result.mainPram = ValueOf(handover, kMainProcPram, false);
  result.deleteFiles = SplitLines(ValueOf(handover, kDelFileList, true));
  return result;
}

QByteArray HandoverText(const QByteArray& descriptionXml) {
  return HandoverDocument(descriptionXml).ToText();
}

TInstallResult InstallDownloadedUpdate(const TUpdateOffer& offer, const QString& packagePath,
                                       bool cameOverVerifiedHttps, const QString& programFolder) {
  const TPackageTrust trust = JudgePackage(packagePath, offer.fileSha256, cameOverVerifiedHttps);
  if (!IsTrusted(trust)) {
    qCWarning(lcUpdate) << "not starting" << packagePath << "from" << offer.fileUrl << ":"
                        << (trust == TPackageTrust::Sha256Mismatch ? "SHA-256 differs"
                                                                   : "origin not established");
    QFile::remove(packagePath);
    return Refused(trust == TPackageTrust::Sha256Mismatch ? TUpdateText::HashMismatch
                                                          : TUpdateText::OriginUnverified);
  }
  return IsZipPackage(offer.UpdateDataFormat) ? StartUpdater(offer, programFolder)
                                              : StartInstaller(offer, packagePath);
}
