#pragma once
// What harrowmint-updater does with a hand-over: wait for the installation's programs named in it
// to end (they are never killed: a running batch must not lose its work), unpack
// the package into a staging folder with the archive facade (so every entry name passes the one
// guard against escaping names), copy it over the program folder file by file (each written beside
// and renamed, so running programs can be replaced), delete the listed files, clean up, and start
// the program again (the hand-over's, or the window program when it names none).
//
// Nothing in the program folder changes before the package has been unpacked completely, and
// every path taken from the hand-over stays inside the program folder. A package that is missing,
// cannot be unpacked completely (a damaged one, a name leaving the folder, a link) or cannot be
// copied whole leaves the line the program shows at its next start (UpdateFailureNote.h); the
// package and the hand-over file are removed, and the program as it was is started again. When
// the programs do not end in time, the line is left too, and nothing else is touched.
#include <QString>

struct TUpdaterOptions {
  int waitMs = 30 * 60 * 1000;  // for the programs to end; then nothing is installed
};

enum TUpdaterExit : int {
  kUpdaterDone = 0,
  kUpdaterFailed = 1,  // nothing installed; the reason is logged
  kUpdaterUsage = 2,
};

// programFolder ends in '/'.
int RunUpdater(const QString& programFolder, const TUpdaterOptions& options);
