#include "update/LiveUpdate.h"

#include "update/HttpGet.h"
#include "update/TextLines.h"
#include "update/UpdateLog.h"
#include "util/TextHelpers.h"

namespace {

bool IsAtMostVersion(const QString& lower, const QString& higher) {
  const int order = CompareVer(lower, higher);
  return order == 0 || order == 1;
}

}  // namespace

int SupportUpdateOf(const QString& currentVersion, const QString& allowUpdateMinVer, bool canDown) {
  if (CompareVer(currentVersion, allowUpdateMinVer) > 0) return 0;
  return canDown ? 1 : -1;
}

bool ForceRuleCovers(const QString& forceUpdateRule, const QString& currentVersion) {
  for (const QString& line : SplitLines(forceUpdateRule)) {
    const QStringList range = SplitText(line, QStringLiteral("-"));
    if (range.size() != 2) continue;
    if (IsAtMostVersion(range[0], currentVersion) && IsAtMostVersion(currentVersion, range[1])) return true;
  }
  return false;
}

void TLiveUpdate::SetCurrentVersion(const tVersion& version) {
  MajVer = version.MajVer;
  MinVer = version.MinVer;
  ReleaseVer = version.ReleaseVer;
  BuildVer = version.BuildVer;
}

int TLiveUpdate::LoadUpdate(const QString& address, const std::atomic<bool>* cancel) {
  const THttpGetResult fetched = HttpGet(address, {}, cancel);
  if (!fetched.ok) {
    qCInfo(lcUpdate) << "no update description at" << address << ":" << fetched.error;
    return 0;
  }
  return LoadUpdateText(fetched.body);
}

int TLiveUpdate::LoadUpdateText(const QByteArray& xml) {
  if (!UpdateXML.LoadFromText(xml)) return 0;
  UpdateText = xml;
  const TXmlElement& list = UpdateXML.SelectList(QStringLiteral("name"), QStringLiteral("update"));
  F_newMajVer = list.ReadInteger(QStringLiteral("newMajVer"), 0);
  F_newMinVer = list.ReadInteger(QStringLiteral("newMinVer"), 0);
  F_newReleaseVer = list.ReadInteger(QStringLiteral("newReleaseVer"), 0);
  F_newBuildVer = list.ReadInteger(QStringLiteral("newBuildVer"), 0);
  F_newUpdateDate = list.ReadBase64(QStringLiteral("newUpdateDate"));
  F_newDes = list.ReadBase64(QStringLiteral("newDes"));
  F_newFileUrl = list.ReadBase64(QStringLiteral("newFileUrl"));
  F_newFileSha256 = list.ReadText(QStringLiteral("newFileSha256")).trimmed().toLower();
  F_CanDown = list.ReadFlag(QStringLiteral("CanDown"), true);
  F_RunPram = list.ReadBase64(QStringLiteral("RunPram"));
  F_UpdateDataFormat = list.ReadBase64(QStringLiteral("UpdateDataFormat"), QStringLiteral("zip"));
  AllowUpdateMinVer = list.ReadText(QStringLiteral("AllowUpdateMinVer"), QStringLiteral("0.0.0.0"));
  F_NoUpdateUrl = list.ReadBase64(QStringLiteral("NoUpdateUrl"));
  const bool forceUpdate = list.ReadFlag(QStringLiteral("ForceUpdate"), false);
  const QString forceUpdateRule = list.ReadBase64(QStringLiteral("ForceUpdateRule"));

  const QString current = CurrentVerStr();
  F_SupportUpdate = SupportUpdateOf(current, AllowUpdateMinVer, F_CanDown);
  F_ForceUpdateSoft = forceUpdate && ForceRuleCovers(forceUpdateRule, current);
  F_RebootForceUpdate = list.ReadFlag(QStringLiteral("RebootForceUpdate"), false);
  return 1;
}

int TLiveUpdate::HaveNewVer() const {
  return ::HaveNewVer(tVersion{MajVer, MinVer, ReleaseVer, BuildVer},
                      tVersion{F_newMajVer, F_newMinVer, F_newReleaseVer, F_newBuildVer});
}

QString TLiveUpdate::NewVerStr() const {
  return GetVerStr(F_newMajVer, F_newMinVer, F_newBuildVer, F_newReleaseVer);
}

QString TLiveUpdate::CurrentVerStr() const { return GetVerStr(MajVer, MinVer, BuildVer, ReleaseVer); }

TUpdateOffer TLiveUpdate::Offer() const {
  TUpdateOffer offer;
  offer.newVersion = NewVerStr();
  offer.updateDate = F_newUpdateDate;
  offer.des = F_newDes;
  offer.fileUrl = F_newFileUrl;
  offer.fileSha256 = F_newFileSha256;
  offer.SupportUpdate = F_SupportUpdate;
  offer.NoUpdateUrl = F_NoUpdateUrl;
  offer.RunPram = F_RunPram;
  offer.UpdateDataFormat = F_UpdateDataFormat;
  offer.ForceUpdateSoft = F_ForceUpdateSoft;
  offer.RebootForceUpdate = F_RebootForceUpdate;
  offer.xml = UpdateText;
  return offer;
}
