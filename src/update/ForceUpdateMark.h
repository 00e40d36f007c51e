#pragma once
// The forced-update mark: the version text of the program that declined a forced update, kept in
// the user's settings (organisation "Quorvane", application = the software id, key
// "RebootForceUpdate"). When it equals the running version at start, the update window opens in
// forced mode before the main window.
#include <QString>

#include "update/UpdateParams.h"

class TForceUpdateMark {
 public:
  explicit TForceUpdateMark(QString softId);

  // "" when missing.
  QString Read() const;
  void Write(const QString& versionText);
  void Clear();

 private:
  QString softId_;
};

// Whether closing the update window should set the mark: the window closed without handing the
// update over, and the check found a forced update whose description asks to repeat it.
bool RemembersDeclinedUpdate(const TUpdateOffer& offer, bool handedOver);
