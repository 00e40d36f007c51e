#include "compress/rar/RarErrors.h"

#include "compress/rar/UnRarApi.h"

int NormalizeRarError(int errorCode) {
  return errorCode == unrar::ERAR_BAD_PASSWORD ? unrar::ERAR_MISSING_PASSWORD : errorCode;
}

bool RarErrorAborts(int errorCode) {
  using namespace unrar;
  if (errorCode == kRarErrorNotLoaded || errorCode == ERAR_NO_MEMORY || errorCode == ERAR_BAD_DATA)
    return true;
  return errorCode >= ERAR_UNKNOWN_FORMAT && errorCode <= ERAR_UNKNOWN;
}

TCompressResult RarErrorToResult(int errorCode, bool passwordAsked) {
  switch (NormalizeRarError(errorCode)) {
    case unrar::ERAR_MISSING_PASSWORD:
      return crWrongPassword;
    case unrar::ERAR_BAD_DATA:
      return passwordAsked ? crWrongPassword : crFailed;
    default:
      return crFailed;
  }
}
