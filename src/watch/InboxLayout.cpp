#include "watch/InboxLayout.h"

#include <QDir>
#include <QSysInfo>

bool TInboxLayout::Make() const {
  for (const QString& folder : {claimed(), done(), failed()})
    if (!QDir().mkpath(folder)) return false;
  return true;
}

QString WatcherHostName() {
  QString host = QSysInfo::machineHostName();
  // A folder name is made of it.
  host.replace('/', '_');
  return host.isEmpty() ? QStringLiteral("localhost") : host;
}
