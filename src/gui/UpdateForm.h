#pragma once
// TfrmUpdate: the update window. It shows the found version, its date and change log, the
// download's progress and its errors, as its update session (TUpdateSession) asks: the session
// holds the state and the order of the steps (support check, download, hand-over, the forced-update
// mark), the window only shows it and forwards its buttons. Closing with the Accepted result after
// the hand-over makes the program end.
//
// Pages: change log (normal mode), progress (downloading), loading (forced mode, checking), error
// (with the manual-download link).
#include <QDialog>
#include <QString>
#include <functional>

#include "update/UpdateSession.h"

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QStackedWidget;

class TfrmUpdate : public QDialog, public IUpdateView {
  Q_OBJECT
 public:
  // programFolder ends in '/': "<app>" of the download folder, and where the updater lies.
  explicit TfrmUpdate(QString programFolder, QWidget* parent = nullptr);
  ~TfrmUpdate() override;

  // Its mode and parameters (rebootUpdate, UpdatePram) are set here before LoadUI.
  TUpdateSession& session() { return session_; }
  void SetOffer(const TUpdateOffer& offer) { session_.SetOffer(offer); }

  // Begins: the change log and the OK button in normal mode; in forced mode the loading page and
  // a check of its own that starts the download when it finds the new version.
  void LoadUI();
  // The OK button (imgBntOK): download and hand over, or offer the manual page when the version
  // may not update automatically.
  void imgBntOKClick();
  // The manual-download link (lblClickUrl).
  void lblClickUrlClick();
  bool IsDownloading() const { return session_.IsDownloading(); }

  // What the session shows (also used for demonstrations).
  void ShowOffer(const TUpdateOffer& offer) override;
  void ShowVersionUnknown() override;
  void ShowChangeLog() override;
  void ShowDownloading() override;
  void ShowLoading() override;
  void ShowError() override;
  void ShowState(const QString& text) override;
  void ShowFigures(const TDownloadFigures& figures) override;
  void ShowMessage(const QString& text, const QString& title) override;
  bool AskManualDownload() override;
  void OpenAddress(const QString& url) override;
  void Close() override;
  // The progress page's figures for these numbers.
  void ShowProgress(qint64 downSize, qint64 fileSize, qint64 speed, qint64 elapsedMs);

  // Opens web addresses (the manual-download page); tests replace it.
  std::function<int(const QString&)> shellOpen;

 protected:
  // Closing ends the session: a running check of forced mode is ended, and a declined forced
  // update is remembered so that the next start opens this window in forced mode.
  void done(int result) override;

 private:
  void BuildControls();
  void SetBusy(bool busy);

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
  TUpdateSession session_;
};
