#pragma once
// Copy, delete and rename of files and whole trees without any question, sizes and their
// display, file-name checks, and handing things to the desktop. Paths use '/'.
//
// The tree operations never follow a symbolic link: a link is copied or deleted as a link and
// its target is left alone. Failures show only as a false result; what was done before the
// failure stays done.
#include <QLocale>
#include <QString>

// Forms used by the system:
//   CopyPath("dir/*", "target/")  every entry of dir, recursively, into target (created when
//                                  missing); a wildcard in the last component selects files
//                                  and folders alike; matching nothing copies nothing and succeeds.
//   CopyPath("file", "other")     the file to that path, replacing what is there.
//   CopyPath("dir", "target")     dir becomes target, or target/dir when target is a folder.
// Existing files are overwritten (read-only ones too); file times and permission bits are kept.
// Copying a folder into itself fails.
bool CopyPath(const QString& source, const QString& target);

// Removes a file, a link, or a folder with everything in it (read-only content included),
// permanently. A wildcard in the last component removes every match.
bool DeletePath(const QString& path);

// Removes everything inside the folder and keeps the folder; false when something stays.
bool EmptyFolder(const QString& path);

// Renames in place. Identical paths give false at once; a change of letter case alone renames.
// An existing entry at newPath is never replaced: the rename fails.
bool RenamePath(const QString& oldPath, const QString& newPath);

// Size of the file at path; 0 for a folder or anything missing.
qint64 GetFileSize64(const QString& path);

// 512 -> "0.50KB", 1048576 -> "1.00MB", 5 GiB -> "5.00GB": two decimals with the locale's
// separator, no thousands separator, no byte unit. Sizes are taken as unsigned.
QString SizeText(qint64 size);
QString SizeText(qint64 size, const QLocale& locale);
QString FileSizeText(const QString& path);

// Not empty, not a reserved device name (aux, com1, com2, prn, con, nul, with or without one
// extension), none of " * / : < > ? \ |, not ending in '.'.
bool IsValidFileName(const QString& name);

// The name part of the path before its last '.'; a name without '.' is returned whole.
QString FileNameWithoutExt(const QString& path);
// The name part of the path: what follows its last '/'.
QString FileNamePart(const QString& path);
// The extension as written, from the last '.' of the name part, dot included; "" without one.
QString FileExtension(const QString& path);

// Result codes of the shell routines, as ShellExecute's: above 32 is success.
inline constexpr int kShellOk = 33;
inline constexpr int kShellFileNotFound = 2;  // SE_ERR_FNF
inline constexpr int kShellNoHandler = 31;    // SE_ERR_NOASSOC: no opener could be started

// Opens a file or folder with the desktop's default handler (xdg-open), not waiting for it.
int OpenWithShell(const QString& path);
// Runs path with the parameters when it is an executable file, else opens it like OpenWithShell.
int OpenWithShellArgs(const QString& path, const QString& parameters);
// Opens a web address or path with the desktop's default handler.
int ShellOpen(const QString& target);
// Shows the file selected in the file manager (freedesktop FileManager1), falling back to
// opening its folder. Doubled separators in the path are collapsed first.
int ShowInExplorer(const QString& path);

// "//" pairs collapsed to "/" in one left-to-right pass ("a///b" -> "a//b").
QString CollapseDoubledSeparators(const QString& path);
// The folder part of a path, up to and including its last '/'; "" when it has none.
QString FolderPart(const QString& path);
