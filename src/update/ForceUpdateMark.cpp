#include "update/ForceUpdateMark.h"

#include <QSettings>

namespace {
const QString kOrganisation = QStringLiteral("Quorvane");
const QString kKey = QStringLiteral("RebootForceUpdate");
}  // namespace

TForceUpdateMark::TForceUpdateMark(QString softId) : softId_(std::move(softId)) {}

QString TForceUpdateMark::Read() const { return QSettings(kOrganisation, softId_).value(kKey).toString(); }

void TForceUpdateMark::Write(const QString& versionText) {
  QSettings settings(kOrganisation, softId_);
  settings.setValue(kKey, versionText);
}

void TForceUpdateMark::Clear() { Write(QString()); }

bool RemembersDeclinedUpdate(const TUpdateOffer& offer, bool handedOver) {
  return !handedOver && offer.ForceUpdateSoft && offer.RebootForceUpdate;
}
