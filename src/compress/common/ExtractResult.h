#pragma once
// What one extraction through the facade gave, in one value: the caller reads everything it may
// rely on about the folder the extraction filled from here, never from the facade afterwards.
#include <QString>

#include "compress/common/CompressResult.h"

struct TExtractResult {
  int code = crFailed;  // TCompressResult
  // The format found: ".rar", ".zip", ".7z" or ".exe" by the file's signature, a self-extracting
  // archive's once an engine opened it (".exe" when none did); "" for a file no signature claims.
  QString format;
  // A success in which every entry came out as itself, none refused and none converted (a link
  // written as a file holding its target). Only such an extraction may take its source's place.
  bool complete = false;
  // The engine met encrypted content (it asked for the password), whatever the code: a failure
  // of an engine that cannot tell a wrong password from damage (7z) may then be the password's.
  bool encrypted = false;
  // The extraction limits stopped it (MaxUnpackMB, MinFreeMB): no password or engine does better.
  bool overLimit = false;
  // The bytes it wrote below its folder, for a later extraction that counts them (priorBytes).
  quint64 written = 0;
  // Why it failed, in words for the log (the facade has logged it); empty on success.
  QString cause;
  // The engine's error number: the unrar library's numbering, 22 also for a ZIP password.
  int m_Error = 0;

  bool succeeded() const { return code == crSuccess; }
};
