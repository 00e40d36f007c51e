#pragma once
// What watchers of this host that are gone (killed, crashed, the power cut) left claimed. An item
// whose end was written down is finished as written: its journal line once, its entries moved to
// done/ or failed/. Any other item goes back into the inbox, where it arrives again, whole; a
// volume set's volumes find each other there again. Watchers of other hosts are left alone: only
// a process of this host can be told dead.
#include <QString>

#include <functional>

#include "watch/InboxLayout.h"
#include "watch/Journal.h"

// Looks at every claimed folder of this host but livePid's (the caller's own, or -1 before the
// caller has one; a folder named for the caller's process number that is not its own was left by
// an earlier process of that number). sweepRuns is called once, before the first item is looked
// at, to remove what the dead watchers' runs left: an output whose run died before its result
// was recorded is gone then, and its item runs again even when its end was written down. Returns
// how many folders were taken back; a folder whose items cannot all go back is left, without its
// lock, for the next look.
int TakeBackClaims(const TInboxLayout& layout, const QString& host, qint64 livePid, const TJournal& journal,
                   const std::function<void()>& sweepRuns);
