#pragma once
// One showing of the update window, apart from the window: the offer it shows, the OK button's
// ways (the manual page, a download already running, the download), the download with its
// figures, the hand-over, the errors, the check of forced mode, and the forced-update mark when
// the window closes. The session decides; the window (IUpdateView) only shows what it is told,
// so the whole flow runs without a dialog.
#include <QObject>
#include <QString>

#include "update/TransferFigures.h"
#include "update/UpdateCheck.h"
#include "update/UpdateParams.h"
#include "update/vxDownFile.h"

// What an update window shows.
class IUpdateView {
 public:
  virtual ~IUpdateView() = default;
  // The offered version, its date and its change log.
  virtual void ShowOffer(const TUpdateOffer& offer) = 0;
  // The check of forced mode found no newer version.
  virtual void ShowVersionUnknown() = 0;
  // The pages: the change log and the loading page with the OK button, the progress page busy,
  // the error page ("状态:发生错误。") with the OK button back.
  virtual void ShowChangeLog() = 0;
  virtual void ShowLoading() = 0;
  virtual void ShowDownloading() = 0;
  virtual void ShowError() = 0;
  // The state line of the progress page.
  virtual void ShowState(const QString& text) = 0;
  virtual void ShowFigures(const TDownloadFigures& figures) = 0;
  // A message box with an OK button.
  virtual void ShowMessage(const QString& text, const QString& title) = 0;
  // Whether to open the manual download page (OK and Cancel); true for OK.
  virtual bool AskManualDownload() = 0;
  virtual void OpenAddress(const QString& url) = 0;
  // The update was handed over: the window closes with its OK result, and the program ends.
  virtual void Close() = 0;
};

class TUpdateSession : public QObject {
  Q_OBJECT
 public:
  // programFolder ends in '/': "<app>" of the download folder, and where the updater lies.
  TUpdateSession(IUpdateView& view, QString programFolder, QObject* parent = nullptr);

  // Set by whoever opens the window, before Begin.
  bool rebootUpdate = false;  // forced mode
  reUpdate UpdatePram;

  // The update a check found; shown at once.
  void SetOffer(const TUpdateOffer& offer);
  const TUpdateOffer& Offer() const { return offer_; }

  // Normal mode: the change log and the OK button. Forced mode: the loading page, and a check of
  // its own that starts the download when it finds the new version.
  void Begin();
  // The OK button: download and hand over. The manual page is offered instead when the version
  // may not update automatically; a second click while downloading gets a message; in forced mode
  // after a failed check, it checks again.
  void Accept();
  // The manual-download link: the description's page, or the maker's home page.
  void OpenManualPage();
  // The window closes; handedOver: with its OK result. A running check ends, and a declined forced
  // update is remembered (the forced-update mark) so that the next start opens the window in
  // forced mode.
  void End(bool handedOver);

  bool IsDownloading() const { return isRunning; }
  // A download that receives nothing for this long fails: the server stopped answering.
  void SetTransferTimeout(int ms) { vxDownFile1.SetTransferTimeout(ms); }

 private:
  void StartForcedCheck();
  void ForcedCheckFinished(const TCheckResult& result);
  // The download component's (vxDownFile1) events.
  void vxDownFile1Down(qint64 downSize, qint64 fileSize, int percent, qint64 speed,
                       qint64 elapsedMs);        // progress
  void vxDownFile1DownEnd(bool isDownComplete);  // the transfer ended: hand the package over
  void vxDownFile1Error(const QString& errorId, const QString& errorStr);  // the error page and message

  IUpdateView& view_;
  QString programFolder_;
  TUpdateOffer offer_;
  bool haveOffer_ = false;
  bool isRunning = false;  // a download is under way
  QString savePath;
  TUpdateCheckThread thread1;  // the check forced mode runs by itself
  TvxDownFile vxDownFile1;     // the download of the package
};
