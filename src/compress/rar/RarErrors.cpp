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

QString RarErrorText(int errorCode) {
  using namespace unrar;
  const char* meaning = "unknown error";
  switch (errorCode) {
    case ERAR_SUCCESS:
      meaning = "no error reported";
      break;
    case ERAR_NO_MEMORY:
      meaning = "out of memory";
      break;
    case ERAR_BAD_DATA:
      meaning = "damaged data";
      break;
    case ERAR_BAD_ARCHIVE:
      meaning = "not a valid RAR archive";
      break;
    case ERAR_UNKNOWN_FORMAT:
      meaning = "unknown archive format";
      break;
    case ERAR_EOPEN:
      meaning = "cannot open the archive or a volume";
      break;
    case ERAR_ECREATE:
      meaning = "cannot create a file";
      break;
    case ERAR_ECLOSE:
      meaning = "cannot close a file";
      break;
    case ERAR_EREAD:
      meaning = "read error";
      break;
    case ERAR_EWRITE:
      meaning = "write error";
      break;
    case ERAR_SMALL_BUF:
      meaning = "buffer too small";
      break;
    case ERAR_MISSING_PASSWORD:
      meaning = "password missing";
      break;
    case ERAR_EREFERENCE:
      meaning = "a file reference cannot be resolved";
      break;
    case ERAR_BAD_PASSWORD:
      meaning = "wrong password";
      break;
    case kRarErrorNotLoaded:
      meaning = "library not loaded or archive not opened";
      break;
  }
  return QStringLiteral("unrar error %1 (%2)").arg(errorCode).arg(QLatin1String(meaning));
}
