#include "update/vxUpdate.h"

#include <QPointer>

#include "update/ForceUpdateMark.h"
#include "update/UpdateAddresses.h"
#include "update/UpdateLog.h"
#include "util/SystemInfo.h"

TvxUpdate::TvxUpdate(IUpdateWindows& windows, QObject* parent)
    : QObject(parent), Url(DefaultUpdateUrls()), windows_(windows) {
  connect(&check_, &TUpdateCheckThread::Finished, this, &TvxUpdate::CheckFinished);
}

void TvxUpdate::SetActive(bool active) {
  active_ = active;
  if (active) StartCheckUpdate();
}

reUpdate TvxUpdate::Params() const {
  reUpdate params;
  params.Verison = AutoVersion ? ProgramVersionText() : CurVerison;
  params.UpdateUrl = Url;
  params.UpdateFrom = UpdateFrom;
  params.SaveDir = SaveDirPath;
  params.SoftId = SoftId;
  return params;
}

void TvxUpdate::StartCheckUpdate() {
  if (check_.IsRunning()) return;
  reUpdate params = Params();
  if (TForceUpdateMark(SoftId).Read() != params.Verison) {
    params.rebootUpdate = false;
    checking_ = params;
    check_.Start(params);
    return;
  }
  qCInfo(lcUpdate) << "a forced update was declined by" << params.Verison << ": forced mode";
  params.rebootUpdate = true;
  if (windows_.RunForced(params)) RequestApplicationClose();
}

void TvxUpdate::CheckFinished(const TCheckResult& result) {
  const QPointer<TvxUpdate> self(this);
  if (result.haveUpdate == kUpdateFound && windows_.ShowUpdate(checking_, result.offer))
    RequestApplicationClose();
  if (self) Q_EMIT OnCheckCompleted(result.haveUpdate);
}

void TvxUpdate::RequestApplicationClose() {
  closeRequested_ = true;
  Q_EMIT OnApplicationClose();
}
