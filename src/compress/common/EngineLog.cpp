#include "compress/common/EngineLog.h"

#include "compress/common/CompressResult.h"

Q_LOGGING_CATEGORY(lcEngine, "harrowmint.engine")

QString CompressResultName(int result) {
  static const struct {
    int code;
    const char* name;
  } kNames[] = {
      {crSuccess, "crSuccess"},
      {crFailed, "crFailed"},
      {crWrongPassword, "crWrongPassword"},
      {crFileNotFound, "crFileNotFound"},
      {crCreateDirFailed, "crCreateDirFailed"},
      {crEngineLoadFailed, "crEngineLoadFailed"},
  };
  for (const auto& [code, name] : kNames)
    if (code == result) return QLatin1String(name);
  return QString::number(result);
}
