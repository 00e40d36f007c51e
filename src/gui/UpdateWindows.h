#pragma once
// The update windows as the update component asks for them: TfrmUpdate, modal, centred on the
// screen, in normal or forced mode.
#include <QString>
#include <functional>

#include "update/vxUpdate.h"

class TfrmUpdate;

class TUpdateWindows : public IUpdateWindows {
 public:
  // programFolder ends in '/'.
  explicit TUpdateWindows(QString programFolder);

  bool ShowUpdate(const reUpdate& params, const TUpdateOffer& offer) override;
  bool RunForced(const reUpdate& params) override;

  // Called with each window before it is shown; tests use it to reach the window.
  std::function<void(TfrmUpdate&)> prepare;

 private:
  bool Run(TfrmUpdate& form);

  QString programFolder_;
};
