#pragma once
// What an extraction leaves below its folder, whichever engine or program wrote it.
#include <QString>

#include "compress/common/ExtractLedger.h"

// Makes the folder hold regular files and folders only, each readable and writable by its owner
// and each folder enterable, so that cleanup and packing never meet anything else:
// - a symbolic link becomes a file holding the link's target as text (the ledger notes it as
//   converted), so no later step follows it out of the folder or round in a loop;
// - a device, pipe or socket is removed (the ledger notes it as refused): none is content, and
//   reading one would hang or never end;
// - a file with several names becomes a file of its own, so writing it changes nothing else; the
//   copies keep the ledger's free-space reserve (past it the ledger stops and the names stay).
// An entry that cannot be settled (a folder that cannot be read) is refused as well.
void SettleExtractedTree(const QString& dir, TExtractLedger& ledger);

// The bytes of the regular files below dir, links not followed.
quint64 BytesBelow(const QString& dir);
