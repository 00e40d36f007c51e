#pragma once
// How the unrar library's error numbers are judged: which end the current operation at once, and
// which result code the facade reports for the last one seen.
#include <QString>

#include "compress/common/CompressResult.h"

// Error number the wrapper adds: library not loaded, or archive not opened.
inline constexpr int kRarErrorNotLoaded = kErrorNotLoaded;

// Newer libraries tell a wrong password (24) from a missing one (22); to the user both mean the
// password did not fit, so both are reported as 22.
int NormalizeRarError(int errorCode);

// Whether the error ends the listing or extraction under way as failed.
bool RarErrorAborts(int errorCode);

// The facade's result for a failed operation: a missing or wrong password (22, 24) is
// crWrongPassword; so is bad data (12) when the library asked for a password, since that is what
// a wrong password gives on archives without a password check. Bad data in an archive that
// needs no password is damage: crFailed, as is everything else.
TCompressResult RarErrorToResult(int errorCode, bool passwordAsked);

// The error number in words, for the log: "12 (damaged data)".
QString RarErrorText(int errorCode);
