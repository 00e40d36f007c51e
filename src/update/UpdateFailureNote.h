#pragma once
// The line the window program shows at its next start when the updater could not install an
// update ("升级失败：" + cause): the updater ends after the window program has, so it leaves the
// line in the program folder (update/failed.txt) until the program shows it.
#include <QString>

// Leaves the line for the cause; false when it cannot be written (the cause is logged anyway).
bool NoteUpdateFailure(const QString& programFolder, const QString& cause);
// The line left, once: it is removed as it is read. Empty when there is none.
QString TakeUpdateFailure(const QString& programFolder);
