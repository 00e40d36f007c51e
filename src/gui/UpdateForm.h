#pragma once
// TfrmUpdate: the update window. Shows the found version, its date and change log; on OK it
// downloads the update and hands it over (UpdateHandover.h), then closes with the Accepted result
// so that the program ends. In forced mode it checks by itself and downloads without asking.
//
// Pages: change log (normal mode), progress (downloading), loading (forced mode, checking), error
// (with the manual-download link). Every decision (target path, origin of the package, hand-over,
// the forced-update mark) is the update library's; the window shows and forwards.
#include <QDialog>
#include <QString>
#include <functional>

#include "update/UpdateCheck.h"
#include "update/UpdateParams.h"
#include "update/vxDownFile.h"

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QStackedWidget;

class TfrmUpdate : public QDialog {
  Q_OBJECT
 public:
  // programFolder ends in '/': "<app>" of the download folder, and where the updater lies.
  explicit TfrmUpdate(QString programFolder, QWidget* parent = nullptr);
  ~TfrmUpdate() override;

  // Set by whoever opens the window, before LoadUI.
  bool rebootUpdate = false;  // forced mode
  reUpdate UpdatePram;
  void SetOffer(const TUpdateOffer& offer);
  const TUpdateOffer& Offer() const { return offer_; }

  // Normal mode: the change log and the OK button. Forced mode: the loading page, and a check of
  // its own that starts the download when it finds the new version.
  void LoadUI();

  // The OK button: download and hand over, or offer the manual page when the version may not
  // update automatically.
  void imgBntOKClick();
  // The manual-download link.
  void lblClickUrlClick();

  // The pages as the window's states show them (also used for demonstrations).
  void ShowChangeLog();
  void ShowDownloading();
  void ShowLoading();
  void ShowError();
  void ShowProgress(qint64 downSize, qint64 fileSize, qint64 speed, qint64 elapsedMs);

  bool IsDownloading() const { return isRunning; }

  // Opens web addresses (the manual-download page); tests replace it.
  std::function<int(const QString&)> shellOpen;

 protected:
  // Closing: a running check of forced mode is ended, and a declined forced update is remembered
  // (the forced-update mark) so that the next start opens this window in forced mode.
  void done(int result) override;

 private:
  void BuildControls();
  void SetBusy(bool busy);
  void StartForcedCheck();
  void ForcedCheckFinished(const TCheckResult& result);
  void vxDownFile1Down(qint64 downSize, qint64 fileSize, int percent, qint64 speed, qint64 elapsedMs);
  void vxDownFile1DownEnd(bool isDownComplete);
  void vxDownFile1Error(const QString& errorId, const QString& errorStr);

  QString programFolder_;
  TUpdateOffer offer_;
  bool haveOffer_ = false;
  bool isRunning = false;
  QString savePath;
  TUpdateCheckThread thread1;
  TvxDownFile vxDownFile1;

  QLabel* Label5 = nullptr;
  QLabel* lblVer = nullptr;
  QLabel* lblVerDate = nullptr;
  QStackedWidget* RzPageControl1 = nullptr;
  QWidget* TabSheet1 = nullptr;
  QWidget* TabSheet2 = nullptr;
  QWidget* rzTabLoading = nullptr;
  QWidget* rzTabError = nullptr;
  QPlainTextEdit* mmoDes = nullptr;
  QProgressBar* RzProgressBar1 = nullptr;
  QLabel* lblTotalCount = nullptr;
  QLabel* lblSpeed = nullptr;
  QLabel* lblTime = nullptr;
  QLabel* lblState = nullptr;
  QLabel* lblState2 = nullptr;
  QLabel* lblClickUrl = nullptr;
  QPushButton* imgBntOK = nullptr;
  QPushButton* imgBntCancel = nullptr;
  QProgressBar* imgUpdating = nullptr;
};
