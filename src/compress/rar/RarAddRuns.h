#pragma once
// How many packer runs a new archive of several sources needs. The packer adds every source of
// one run side by side: a path that two sources of one run both hold is stored twice (a file
// twice, a folder twice), where a later run into the same archive replaces the file and merges the
// folder. So sources go into one run as long as none holds a path an earlier one of the run holds.
#include <QList>
#include <QStringList>

// The sources (folders, with or without a trailing '/', or single files) in order, grouped into
// runs: one run for sources that share no path, a new run from the first source that shares one
// with the run so far. A source that cannot be read shares nothing as far as is known.
QList<QStringList> RarAddRuns(const QStringList& sources);
