#include "update/UpdateSession.h"

#include "update/ForceUpdateMark.h"
#include "update/UpdateAddresses.h"
#include "update/UpdateHandover.h"
#include "update/UpdateLog.h"
#include "update/UpdateTexts.h"

TUpdateSession::TUpdateSession(IUpdateView& view, QString programFolder, QObject* parent)
    : QObject(parent), view_(view), programFolder_(std::move(programFolder)) {
  connect(&vxDownFile1, &TvxDownFile::OnDown, this, &TUpdateSession::vxDownFile1Down);
  connect(&vxDownFile1, &TvxDownFile::OnDownEnd, this, &TUpdateSession::vxDownFile1DownEnd);
  connect(&vxDownFile1, &TvxDownFile::OnError, this, &TUpdateSession::vxDownFile1Error);
  connect(&thread1, &TUpdateCheckThread::Finished, this, &TUpdateSession::ForcedCheckFinished);
}

void TUpdateSession::SetOffer(const TUpdateOffer& offer) {
  offer_ = offer;
  haveOffer_ = true;
  view_.ShowOffer(offer);
}

void TUpdateSession::Begin() {
  if (rebootUpdate)
    StartForcedCheck();
  else
    view_.ShowChangeLog();
}

void TUpdateSession::StartForcedCheck() {
  view_.ShowLoading();
  reUpdate params = UpdatePram;
  params.rebootUpdate = true;
  thread1.Start(params);
}

void TUpdateSession::ForcedCheckFinished(const TCheckResult& result) {
  if (result.haveUpdate == kUpdateFound) {
    SetOffer(result.offer);
    view_.ShowDownloading();
    Accept();
    return;
  }
  view_.ShowVersionUnknown();
  view_.ShowError();
}

void TUpdateSession::Accept() {
  if (!haveOffer_) {
    // Forced mode whose check failed: OK checks again.
    StartForcedCheck();
    return;
  }
  if (offer_.SupportUpdate <= 0) {
    if (view_.AskManualDownload() && !offer_.NoUpdateUrl.isEmpty()) view_.OpenAddress(offer_.NoUpdateUrl);
    return;
  }
  if (isRunning) {
    view_.ShowMessage(TUpdateText::AlreadyRunning, TUpdateText::MessageTitle);
    return;
  }
  isRunning = true;
  view_.ShowState(TUpdateText::StateDownloading);
  view_.ShowDownloading();
  savePath = DownloadTargetPath(UpdatePram.SaveDir, programFolder_, offer_.UpdateDataFormat);
  vxDownFile1.SavePath = savePath;
  vxDownFile1.SetUrl(offer_.fileUrl);
  vxDownFile1.Start(false);
}

void TUpdateSession::vxDownFile1Down(qint64 downSize, qint64 fileSize, int, qint64 speed, qint64 elapsedMs) {
  view_.ShowFigures(DownloadFigures(downSize, fileSize, speed, elapsedMs));
}

void TUpdateSession::vxDownFile1DownEnd(bool isDownComplete) {
  isRunning = false;
  if (!isDownComplete) return;
  view_.ShowState(TUpdateText::StateDone);
  const TInstallResult installed =
      InstallDownloadedUpdate(offer_, savePath, vxDownFile1.CameOverVerifiedHttps(), programFolder_);
  if (!installed.started) {
    vxDownFile1Error(installed.errorId, installed.reason);
    return;
  }
  if (rebootUpdate) TForceUpdateMark(UpdatePram.SoftId).Clear();
  view_.Close();
}

void TUpdateSession::vxDownFile1Error(const QString& errorId, const QString& errorStr) {
  view_.ShowError();
  view_.ShowMessage(TUpdateText::ErrorMessage(errorId, errorStr), TUpdateText::ErrorTitle);
}

void TUpdateSession::OpenManualPage() {
  view_.OpenAddress(offer_.NoUpdateUrl.isEmpty() ? MakerHomePage() : offer_.NoUpdateUrl);
}

void TUpdateSession::End(bool handedOver) {
  thread1.Terminate();
  if (RemembersDeclinedUpdate(offer_, handedOver)) {
    qCInfo(lcUpdate) << "forced update declined by" << UpdatePram.Verison;
    TForceUpdateMark(UpdatePram.SoftId).Write(UpdatePram.Verison);
  }
}
