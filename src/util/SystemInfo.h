#pragma once
// Facts about this installation and its files: the single-instance key and version texts.
#include <QString>

// MD5 of the text (one byte per UTF-16 unit, '?' for units above 127) as 32 upper-case hex
// digits. The single-instance lock is named after the program folder's key.
QString InstanceKey(const QString& text);

// The running program's version, "major.minor.release.build", fixed by the build.
QString ProgramVersionText();

// ELF files carry no version record. The running program's own file gives ProgramVersionText();
// every other file, missing or not, gives "0.0.0.0" (ask an engine itself for its version).
QString FileVersionText(const QString& path);
