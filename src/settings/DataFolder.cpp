#include "settings/DataFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "util/FileOps.h"
#include "util/PathSeparators.h"
#include "util/TextFile.h"
#include "util/TextHelpers.h"

QString DelListFile(const TProgramPaths& paths) { return paths.dataFolder() + QStringLiteral("delete.dat"); }
QString TxtDelListFile(const TProgramPaths& paths) {
  return paths.dataFolder() + QStringLiteral("TxtDelete.dat");
}
QString NameDeleteFile(const TProgramPaths& paths) {
  return paths.dataFolder() + QStringLiteral("NameDelete.dat");
}
QString CommentFile(const TProgramPaths& paths) { return paths.dataFolder() + QStringLiteral("Comment.txt"); }
QString PasswordsFile(const TProgramPaths& paths) {
  return paths.dataFolder() + QStringLiteral("Passwords.dat");
}

bool SeedDataFolder(const TProgramPaths& paths) {
  const QString data = WithoutTrailingSeparators(paths.dataFolder());
  const QString seed = paths.seedDataFolder();
  if (QFileInfo::exists(data) || QFileInfo(data).isSymLink() || !QFileInfo(seed).isDir()) return false;

  // Copied beside and renamed into place: a copy cut short (full disk) must not become a data
  // folder that later starts take as complete.
  const QString staging =
      data + QStringLiteral(".seeding-") + QString::number(QCoreApplication::applicationPid());
  DeletePath(staging);
  if (!QDir().mkpath(staging) || !CopyPath(seed + QLatin1Char('*'), staging + QLatin1Char('/')) ||
      !QDir().rename(staging, data)) {
    DeletePath(staging);
    return false;
  }
  return true;
}

QStringList LoadListFile(const QString& path) { return LoadListFile(path, {}); }

QStringList LoadListFile(const QString& path, const TUnreadableFile& onUnreadable) {
  const std::optional<QString> text = TryLoadTextFile(path);
  if (!text && onUnreadable) onUnreadable(path);
  // Every line ends with CR LF, the last one included.
  QStringList lines = text.value_or(QString()).split(QStringLiteral("\r\n"));
  if (lines.last().isEmpty()) lines.removeLast();
  return lines;
}

QStringList LoadDelList(const TProgramPaths& paths, const TUnreadableFile& onUnreadable) {
  return LoadListFile(DelListFile(paths), onUnreadable);
}
QStringList LoadTxtDelList(const TProgramPaths& paths, const TUnreadableFile& onUnreadable) {
  return LoadListFile(TxtDelListFile(paths), onUnreadable);
}
std::optional<QStringList> LoadPasswordList(const TProgramPaths& paths, const TSettings& settings,
                                            const TUnreadableFile& onUnreadable) {
  if (settings.PasswordsFile.isEmpty()) return LoadListFile(PasswordsFile(paths), onUnreadable);
  // A list the user named and that is not there is a mistake, not an empty list.
  if (!QFileInfo(settings.PasswordsFile).isFile()) return std::nullopt;
  bool unreadable = false;
  QStringList list =
      LoadListFile(settings.PasswordsFile, [&unreadable](const QString&) { unreadable = true; });
  if (unreadable) return std::nullopt;
  return list;
}

QStringList LoadNameDeleteList(const TProgramPaths& paths) { return LoadListFile(NameDeleteFile(paths)); }

TDataTexts LoadDataTexts(const TProgramPaths& paths) {
  return {LoadTextFileAsTyped(DelListFile(paths)), LoadTextFileAsTyped(CommentFile(paths)),
          LoadTextFileAsTyped(NameDeleteFile(paths)), LoadTextFileAsTyped(TxtDelListFile(paths))};
}

QString SaveSettingsFiles(const TProgramPaths& paths, const TDataTexts& texts, const TSettings& settings) {
  const std::pair<QString, const QString*> files[] = {
      {DelListFile(paths), &texts.delList},
      {CommentFile(paths), &texts.comment},
      {NameDeleteFile(paths), &texts.nameDelete},
      {TxtDelListFile(paths), &texts.txtDelete},
  };
  for (const auto& [path, text] : files)
    if (SaveTextFileAsTyped(*text, path) != 1) return path;
  if (!SaveSettings(paths, settings)) return paths.settingsFile();
  return {};
}

int OpenMustFilesFolder(const TProgramPaths& paths) {
  const QString folder = paths.mustFilesFolder();
  if (!QDir().mkpath(folder)) return kShellFileNotFound;
  return OpenWithShell(folder);
}
