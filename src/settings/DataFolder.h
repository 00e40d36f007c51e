#pragma once
// The data folder's text files: the three list files and the archive comment, and the seeding of
// the data folder from the seed folder at start.
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "settings/Settings.h"
#include "util/ProgramPaths.h"

QString DelListFile(const TProgramPaths& paths);     // delete.dat
QString TxtDelListFile(const TProgramPaths& paths);  // TxtDelete.dat
QString NameDeleteFile(const TProgramPaths& paths);  // NameDelete.dat
QString CommentFile(const TProgramPaths& paths);     // Comment.txt
QString PasswordsFile(const TProgramPaths& paths);   // Passwords.dat

// At start, before anything is read: when the data folder is missing and the seed folder exists,
// the data folder becomes a copy of the seed folder. True when it was seeded. A seed that cannot
// be copied completely leaves no data folder behind, so the next start tries again.
bool SeedDataFolder(const TProgramPaths& paths);

// The lines of a text file (byte-order marks honoured, else the ANSI code page), used as they
// stand; a line break after the last line adds no empty line. Missing or unreadable: empty.
QStringList LoadListFile(const QString& path);
// Told the path of a data file that exists but cannot be read; its content is then not used.
using TUnreadableFile = std::function<void(const QString& path)>;
// The same, telling onUnreadable (when set) about a file that exists but cannot be read.
QStringList LoadListFile(const QString& path, const TUnreadableFile& onUnreadable);

// What a run reads at its start: `delList` and `txtDelList`.
QStringList LoadDelList(const TProgramPaths& paths, const TUnreadableFile& onUnreadable = {});
QStringList LoadTxtDelList(const TProgramPaths& paths, const TUnreadableFile& onUnreadable = {});
// The passwords tried when the decompression password does not open an archive, one a line, in
// order: settings.PasswordsFile when set, which must then be readable (nothing otherwise), else the
// data folder's Passwords.dat (missing: none; unreadable: onUnreadable hears of it, none).
std::optional<QStringList> LoadPasswordList(const TProgramPaths& paths, const TSettings& settings,
                                            const TUnreadableFile& onUnreadable = {});
// Read anew each time a name is filtered.
QStringList LoadNameDeleteList(const TProgramPaths& paths);

// The four texts the settings dialog edits, each as it stands in its file (line breaks as CR LF,
// none added), so opening the dialog and pressing OK leaves the files' bytes as they were.
struct TDataTexts {
  QString delList;     // delete.dat
  QString comment;     // Comment.txt
  QString nameDelete;  // NameDelete.dat
  QString txtDelete;   // TxtDelete.dat
};
TDataTexts LoadDataTexts(const TProgramPaths& paths);

// What OK of the settings dialog writes: delete.dat, Comment.txt, NameDelete.dat, TxtDelete.dat,
// each exactly as its text stands (line breaks as CR LF, none added; ANSI code page, no
// byte-order mark), and then Setting.ini, in this order, stopping at the first file that cannot
// be written. Returns that file's path, or an empty text when all were written.
QString SaveSettingsFiles(const TProgramPaths& paths, const TDataTexts& texts, const TSettings& settings);

// The must-have folder, created with its parents when missing, opened in the file manager.
// The shell's result code (above 32 is success; kShellFileNotFound when it cannot be created).
int OpenMustFilesFolder(const TProgramPaths& paths);
