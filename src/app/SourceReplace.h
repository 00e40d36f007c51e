#pragma once
// Replace-source mode: a repacked archive takes its source's place.
#include <QString>

#include "compress/ArchiveFacade.h"

// Puts the output in the source's place, or leaves the source exactly as it was and returns
// false. The output must exist with at least the plausible output size (a smaller one may be a
// packer's partial archive) and the facade must read its entry list back; it is then written
// beside the source, flushed, and renamed over it in one step, so a failed or interrupted copy or
// a full disk never leaves a damaged or missing source. The output is removed once it has taken
// the source's place.
bool ReplaceSourceWithOutput(IArchiveFacade& compress, const QString& output, const QString& source);
