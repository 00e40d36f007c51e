#pragma once
// Handing a downloaded update over: where it is saved, the hand-over file "tmp.updx" for the
// external updater, and starting the updater or an installer.
//
// A zip package goes to the updater "harrowmint-updater" beside the program, started with the
// single argument "update" in the program folder; it reads "tmp.updx" and the package. Any other
// format is an installer, started with the description's parameters.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include "update/UpdateParams.h"
#include "update/UpdateXml.h"

// Whether the package is handed to the updater (the format "zip") rather than run as an installer.
bool IsZipPackage(const QString& updateDataFormat);

// The file a download is saved to: saveDirPath with "<app>" replaced by the program folder
// (ending in '/'), then "/update/tmp.tmp" for a zip package or "/update/update.exe" for an
// installer, with doubled separators removed.
QString DownloadTargetPath(const QString& saveDirPath, const QString& programFolder,
                           const QString& updateDataFormat);

QString HandoverFilePath(const QString& programFolder);
QString UpdaterPath(const QString& programFolder);

// The hand-over document made from the description's text: root "root" with four `list`
// elements (`id`, `Value`): "KillProcList2" the description's KillProc text in Base64,
// "MainProcName" its MainExe text and "MainProcPram" its MainPram text plain, "DelFileList" its
// DelFiles text in Base64.
TXML HandoverDocument(const QByteArray& descriptionXml);
QByteArray HandoverText(const QByteArray& descriptionXml);

// The instructions of a hand-over file, as the updater reads them. Lists are split into lines
// (CR LF, CR or LF), empty lines dropped; missing elements give empty values.
struct THandover {
  QStringList processNames;  // programs to end before files are replaced
  QString mainExe;           // the program to start afterwards, relative to the program folder
  QString mainPram;
  QStringList deleteFiles;  // relative to the program folder
};
THandover ReadHandover(const TXML& handover);

struct TInstallResult {
  bool started = false;
  QString errorId;  // when not: the id and reason to show
  QString reason;
};

// After a complete download: judges the package's origin (PackageTrust.h) and, when it is
// established, writes "tmp.updx" and starts the updater (zip) or makes the installer executable
// and starts it with RunPram. A package whose origin is not established is removed and nothing is
// started; a missing updater starts nothing either.
TInstallResult InstallDownloadedUpdate(const TUpdateOffer& offer, const QString& packagePath,
                                       bool cameOverVerifiedHttps, const QString& programFolder);
