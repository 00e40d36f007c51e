#pragma once
// The batch item record: one hangs on every list row, and one per row makes up a run's snapshot.
#include <QList>
#include <QString>

// Values of TMyData::state.
enum TItemState : int { isNotProcessed = 0, isPlausible = 1, isFailed = -1 };

// TMyData: the record of one batch item (a row, or an entry of a run's snapshot).
struct TMyData {
  // On a row: the output archive of the last run that reached it. In a snapshot: the source.
  QString path;
  // On a row: the password that output was made with (empty when none).
  QString pwd;
  // In a snapshot: the row's check box at run start.
  bool checked = false;
  // On a row: TItemState.
  int state = isNotProcessed;
};
using PMyData = TMyData*;

// A run's snapshot of the list (`t_List`): entry i describes row i.
using TSnapshot = QList<TMyData>;
