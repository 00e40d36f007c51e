#pragma once
// What testing an archive through the facade gave, in one value: whether every entry's data reads
// back and matches its checksum, and why not.
#include <QString>

#include "compress/common/CompressResult.h"

struct TTestResult {
  // crSuccess: every entry read back whole; crWrongPassword: the password does not open it (where
  // the engine can tell); crEngineLoadFailed: no engine to test the format with; crFailed: damaged,
  // unreadable, or a format the facade does not test.
  int code = crFailed;
  // Why it failed, in words for the log (the facade has logged it); empty on success.
  QString cause;

  bool passed() const { return code == crSuccess; }
};
