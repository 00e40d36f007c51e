#include "compress/common/EngineLog.h"

#include "compress/common/CompressResult.h"

Q_LOGGING_CATEGORY(lcEngine, "harrowmint.engine")

QString CompressResultName(int result) {
  switch (result) {
    case crSuccess:
      return QStringLiteral("crSuccess");
    case crFailed:
      return QStringLiteral("crFailed");
    case crWrongPassword:
      return QStringLiteral("crWrongPassword");
    case crFileNotFound:
      return QStringLiteral("crFileNotFound");
    case crCreateDirFailed:
      return QStringLiteral("crCreateDirFailed");
    case crEngineLoadFailed:
      return QStringLiteral("crEngineLoadFailed");
    default:
      return QString::number(result);
  }
}
