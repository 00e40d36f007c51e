#pragma once
// TLiveUpdate: reads an update description and compares it with the running version.
//
// The description is an XML document whose root holds `<list name="update" .../>`; the values
// are its attributes: numbers in decimal, flags true exactly for "1", texts Base64 of their ANSI
// bytes. A missing attribute, or an unreadable number, takes its default. `newFileSha256`
// (plain hex) is optional; a description without it stays valid.
#include <QByteArray>
#include <QString>
#include <atomic>

#include "update/UpdateParams.h"
#include "update/UpdateXml.h"
#include "update/Version.h"

// F_SupportUpdate: 0 when the current version is below the lowest allowed one, else 1 when the
// download may be fetched automatically, else -1. Only a value above 0 lets the window download.
int SupportUpdateOf(const QString& currentVersion, const QString& allowUpdateMinVer, bool canDown);

// Whether some line of the rule covers the current version. Lines end at CR LF, CR or LF; a line
// counts only when it splits at "-" into exactly two versions, from and to, both included.
bool ForceRuleCovers(const QString& forceUpdateRule, const QString& currentVersion);

class TLiveUpdate {
 public:
  void SetCurrentVersion(const tVersion& version);

  // Fetches the description and reads it: 1 when loaded, 0 when the address cannot be fetched or
  // does not hold XML. cancel, when set, ends a fetch early.
  int LoadUpdate(const QString& address, const std::atomic<bool>* cancel = nullptr);
  // The same from the document's text.
  int LoadUpdateText(const QByteArray& xml);

  // Offered against current, as ::HaveNewVer.
  int HaveNewVer() const;
  QString NewVerStr() const;
  QString CurrentVerStr() const;

  // What the window needs of a loaded description.
  TUpdateOffer Offer() const;

  // The running version.
  int MajVer = 0;
  int MinVer = 0;
  int ReleaseVer = 0;
  int BuildVer = 0;

  TXML UpdateXML;
  QByteArray UpdateText;  // the description as fetched

  int F_newMajVer = 0;
  int F_newMinVer = 0;
  int F_newReleaseVer = 0;
  int F_newBuildVer = 0;
  QString F_newUpdateDate;
  QString F_newDes;
  QString F_newFileUrl;
  QString F_newFileSha256;
  bool F_CanDown = true;
  int F_SupportUpdate = 1;
  QString F_NoUpdateUrl;
  QString F_RunPram;
  bool F_ForceUpdateSoft = false;
  bool F_RebootForceUpdate = false;
  QString F_UpdateDataFormat = QStringLiteral("zip");
  QString AllowUpdateMinVer = QStringLiteral("0.0.0.0");
};
