#pragma once
// How a claimed item ends, written down beside it before it is carried out: its journal line and
// the folder its entries go to (done/ or failed/). A watcher killed half-way through leaves the
// record, and whoever takes its items back finishes the item from it instead of running it again.
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <optional>

#include "watch/Journal.h"

struct TClaimEnd {
  QJsonObject line;     // the journal line, without "kept"
  QString toFolder;     // done/ or failed/, ending with '/'
  QStringList entries;  // by name in the claimed folder: the item, then the other volumes of its set
  // The item's own file or folder, so it is found again once it has been moved.
  quint64 device = 0;
  quint64 inode = 0;
};

// Writes the record beside the first entry (atomically, flushed to the disk). Nothing when it
// cannot be written; the cause is logged.
std::optional<TClaimEnd> WriteClaimEnd(const QString& claimFolder, const QStringList& entries,
                                       const QJsonObject& line, const QString& toFolder);

// The record written for the item of that name in claimFolder (ending with '/'), if any.
std::optional<TClaimEnd> ReadClaimEnd(const QString& claimFolder, const QString& item);

// Carries the end out: every entry still in claimFolder is renamed into toFolder under its name,
// or, where that is taken, under the name with "_1", "_2", ... before its first dot (the same
// number for a set's volumes where it can); then the journal gets the line, with "kept" naming
// where the item lies (once, with journalOnce); then the record goes. Returns that place; nothing,
// with the record kept, when a move or the journal failed: carrying it out again finishes it.
std::optional<QString> CarryOutClaimEnd(const QString& claimFolder, const TClaimEnd& end,
                                        const TJournal& journal, bool journalOnce = false);

// Gives the record up: the entries stay where they are, to run again.
void DropClaimEnd(const QString& claimFolder, const TClaimEnd& end);

// Whether a name in a claimed folder is one of the watcher's own files (records and their
// temporaries) rather than a claimed entry: arrivals never start with a dot.
bool IsClaimRecordName(const QString& name);
