#pragma once
// What a run fixes at its start and reads, unchanged, until its end.
#include <QString>
#include <QStringList>

#include "settings/Settings.h"
#include "util/ProgramPaths.h"

struct TRunContext {
  TProgramPaths paths;
  TSettings settings;      // with the run's overrides (the window's password box, command-line options)
  QString outputPath;      // the resolved output folder, ending in exactly one '/'
  QString outputExt;       // ".rar", ".zip" or ".7z"
  QStringList delList;     // delete.dat
  QStringList txtDelList;  // TxtDelete.dat
  // Tried in order when the decompression password does not open an archive: Passwords.dat, or
  // the list file the run was given.
  QStringList passwordList;
  // Data files found at start that exist but cannot be read (their content is not used).
  QStringList unreadableFiles;
  // Extract and clean in work folders only: nothing is packed, no source and no output folder is
  // touched, and each item reports what its cleanup did.
  bool dryRun = false;
};
