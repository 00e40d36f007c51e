#pragma once
// TvxUpdate: the update check the main window owns.
//
// Wiring (the main window):
//   - own a TvxUpdate over an IUpdateWindows (the windows library provides TUpdateWindows);
//   - SoftId "Harrowmint"; Url, SaveDirPath and the version settings keep their defaults;
//   - connect OnApplicationClose to closing the main window;
//   - at creation, SetActive(true). When the forced-update mark equals the running version, this
//     call shows the update window in forced mode at once and returns only when it has closed;
//     if ApplicationCloseRequested() is then true, do not show the main window at all. Otherwise
//     the check runs on its own thread and the window thread goes on at once.
#include <QObject>
#include <QString>

#include "update/UpdateCheck.h"
#include "update/UpdateParams.h"

// Shows the update window; implemented by the windows library, faked by tests.
class IUpdateWindows {
 public:
  virtual ~IUpdateWindows() = default;
  // A check found a newer version: show it and let the user start it (modal). True when the
  // update was handed over and the program must end.
  virtual bool ShowUpdate(const reUpdate& params, const TUpdateOffer& offer) = 0;
  // Forced mode: the window checks by itself and downloads without asking (modal). True when
  // the update was handed over and the program must end.
  virtual bool RunForced(const reUpdate& params) = 0;
};

class TvxUpdate : public QObject {
  Q_OBJECT
 public:
  explicit TvxUpdate(IUpdateWindows& windows, QObject* parent = nullptr);

  QString Url;  // description addresses, one per line; "<SoftId>" is replaced
  QString SoftId;
  QString SaveDirPath = QStringLiteral("<app>");
  bool AutoVersion = true;                         // the running program's version ...
  QString CurVerison = QStringLiteral("1.0.0.0");  // ... or this one
  int UpdateFrom = 0;

  bool Active() const { return active_; }
  // Setting it to true starts a check (StartCheckUpdate).
  void SetActive(bool active);

  // Forced mode when the forced-update mark equals the current version (the update window, modal,
  // before this returns); otherwise a check on its own thread. A check still running is not
  // started twice.
  void StartCheckUpdate();

  // The parameters a check gets now.
  reUpdate Params() const;
  bool IsChecking() const { return check_.IsRunning(); }
  // OnApplicationClose has been fired: an update was handed over.
  bool ApplicationCloseRequested() const { return closeRequested_; }

 Q_SIGNALS:
  // A check has ended (after the update window it opened, if any, has closed): kCheckFailed,
  // kNoUpdate or kUpdateFound.
  void OnCheckCompleted(int haveUpdate);
  // An update was handed over; the program must end.
  void OnApplicationClose();

 private:
  void CheckFinished(const TCheckResult& result);
  void RequestApplicationClose();

  IUpdateWindows& windows_;
  TUpdateCheckThread check_;
  reUpdate checking_;
  bool active_ = false;
  bool closeRequested_ = false;
};
