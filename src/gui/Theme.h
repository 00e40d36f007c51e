#pragma once
// The program's look: the Fusion style with a dark palette, the icons drawn for the program, and
// the text colours a batch row takes from its result.
#include <QColor>
#include <QIcon>

class QApplication;

namespace theme {

// Fusion, the dark palette, and the program's icon as every window's icon.
void Apply(QApplication& app);

// Row text of an output that is there and plausible, and of a failed item. Both are readable on
// the dark list background; an item not processed yet keeps the palette's text colour.
QColor PlausibleText();
QColor FailedText();

// Icons from the program's resources (SVG).
QIcon ProgramIcon();
QIcon StartIcon();
QIcon StopIcon();
QIcon AddFolderIcon();
QIcon AddFilesIcon();
QIcon ClearIcon();

}  // namespace theme
