#pragma once
// The one check every engine calls before it writes an archive entry, so that no entry name,
// whatever reader decoded it, can place a file outside the destination folder.
#include <QString>

#include <optional>

// Entry name as stored ('/' or '\' separators) -> the path below destDir to write, or nothing
// when the entry must be skipped. Leading separators and drive letters are dropped (the name is
// taken relative to the destination); "." components are dropped; a name with a ".." component,
// or one that is empty after that, or one holding a NUL character, is refused.
std::optional<QString> SafeEntryPath(const QString& destDir, const QString& entryName);

// True when the entry name needed no change to be safe (relative, no "..", no drive).
bool IsPlainRelativeEntryName(const QString& entryName);

// After an external program extracted into destDir: removes every symbolic link in the tree
// whose target lies outside destDir (or cannot be resolved), so later steps never follow one
// out. Returns the number of links removed.
int RemoveEscapingLinks(const QString& destDir);
