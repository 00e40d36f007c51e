#pragma once
// Looks at a watched folder: the names that can arrive there, and what one of them holds now.
#include <QString>
#include <QStringList>

#include <optional>

#include "watch/ArrivalTracker.h"

// The arrival names (IsArrivalName) at the folder's top level; nothing when the folder cannot be
// read (gone, not a folder).
std::optional<QStringList> ArrivalNames(const QString& folder);

// The entry at path as it is now; a folder's figures cover everything below it, links are not
// followed. Nothing when the entry is gone.
std::optional<TEntrySignature> LookAt(const QString& path);

// Whether some process of this machine has the regular file at path open for writing, asked of
// the kernel with a read lease, which it refuses then. Nothing when it cannot tell: the file is
// not ours to lease (another user's, without the right to lease it), the file system has no
// leases (NFS), it is no regular file. Call IgnoreLeaseBreaks() once before: a writer opening the
// file while the lease is held would signal this process.
std::optional<bool> HasWriters(const QString& path);
void IgnoreLeaseBreaks();
