#include "compress/common/EngineInfo.h"

#include <QFileInfo>

TEngineInfo EngineFileInfo(const QString& path) {
  TEngineInfo info;
  info.path = path;
  info.name = QFileInfo(path).fileName();
  info.installed = QFileInfo(path).isFile();
  return info;
}
