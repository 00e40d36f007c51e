#pragma once
// The state of one facade instance that its engines read and report into. The facade owns it
// and hands a reference to each engine it creates for an operation.
#include <QString>
#include <QStringList>

struct TEngineContext {
  QString engineFolder;   // ends with '/'
  QString commentFile;    // RAR and ZIP comments; empty: none
  bool lockFile = false;  // RAR: lock while creating
  QString compressPwd;    // for archives being created; empty: none
  QString unCompressPwd;  // offered when extracting or listing
  int m_Error = 0;        // last engine error number (RAR library numbering, 22 = bad password)
};
