#include "settings/MachineKey.h"

#include <QCryptographicHash>
#include <QSysInfo>

QString MachineKey() {
  QByteArray id = QSysInfo::machineUniqueId();  // /etc/machine-id, then D-Bus's copy
  if (id.isEmpty()) id = QSysInfo::machineHostName().toUtf8();
  const QByteArray hash = QCryptographicHash::hash("Harrowmint:" + id, QCryptographicHash::Sha256);
  return QString::fromLatin1(hash.toHex().left(16).toUpper());
}

QString MachineSectionName(const QString& machineKey) {
  return QLatin1Char('M') + machineKey + QStringLiteral("13");
}
