#include "app/ContentCleanup.h"

#include <utility>

#include "app/JobLog.h"
#include "app/OutputNaming.h"
#include "settings/DataFolder.h"
#include "util/EasyFileSearch.h"
#include "util/FileOps.h"
#include "util/TextFile.h"
#include "util/Wildcard.h"

namespace {

bool HasExtension(const QString& name, const QString& lowerExt) {
  return FileExtension(name).toLower() == lowerExt;
}

// A filtered name that would leave the folder or name nothing is not used.
bool UsableName(const QString& name) {
  return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..");
}

}  // namespace

TContentCleaner::TContentCleaner(TCleanupRules rules, TUnreadableFile onUnreadable)
    : rules_(std::move(rules)), onUnreadable_(std::move(onUnreadable)) {}

TCleanupReport TContentCleaner::CleanFolder(const QString& root) {
  if (!rules_.DeleteAds) return {};
  root_ = root;
  report_.clear();
  tmpDelFileList.clear();
  nameDeleteList_ = LoadListFile(rules_.nameDeleteFile, onUnreadable_);

  TEasyFileSearch search;
  search.SetRootPath(root);
  search.SetFileNames({QStringLiteral("*")});
  search.SetSkipMissingFolders(true);
  search.OnFileFound = [this](const TFileInformations& entry) { OnSearchFileFound(entry); };
  search.OnChangeFolder = [this](const QString& folder) { OnSearchChangeFolder(folder); };
  search.Search();

  // Deeper folders come later in the walk; renaming them first keeps the stored paths valid.
  for (qsizetype i = tmpDelFileList.size() - 1; i >= 0; --i) {
    const QString& path = tmpDelFileList[i];
    const qsizetype slash = path.lastIndexOf('/');
    FilterEntryName(path.left(slash + 1), path.mid(slash + 1));
  }
  tmpDelFileList.clear();
  return std::exchange(report_, {});
}

void TContentCleaner::OnSearchChangeFolder(const QString& folder) {
  if (folder == root_) return;
  if (const QString pattern = DelListPattern(FileNamePart(folder)); !pattern.isNull())
    Delete(folder, pattern, false);
}

void TContentCleaner::OnSearchFileFound(const TFileInformations& entry) {
  const QString fullPath = entry.FullPath();
  if (const QString pattern = DelListPattern(entry.Name); !pattern.isNull()) {
    Delete(fullPath, pattern, false);
    return;
  }
  // Only regular files and folders are read or renamed: a link's target may lie outside the
  // tree, a pipe would block the run and a device would be read without end.
  const bool regularFile = (entry.Attributes & (faDirectory | faSymLink | faSysFile)) == 0;
  if (regularFile && HasExtension(entry.Name, QStringLiteral(".txt")) && CleanTextFile(fullPath)) return;
  if (!rules_.DelRarFileName || !(regularFile || entry.IsDirectory())) return;
  if (entry.IsDirectory())
    tmpDelFileList << fullPath;
  else if (!HasExtension(entry.Name, QStringLiteral(".ini")))
    FilterEntryName(entry.Path, entry.Name);
}

QString TContentCleaner::DelListPattern(const QString& name) const {
  for (const QString& pattern : rules_.delList) {
    if (MatchWildcard(name, pattern)) return pattern;
  }
  return {};
}

QString TContentCleaner::TxtDelListPattern(const QString& text) const {
  for (const QString& pattern : rules_.txtDelList) {
    const bool wildcard = pattern.contains('*') || pattern.contains('?') || pattern.contains('#');
    if (wildcard ? MatchWildcard(text, pattern) : (!pattern.isEmpty() && text.contains(pattern)))
      return pattern;
  }
  return {};
}

bool TContentCleaner::MatchesTxtDelList(const QString& text) const {
  return !TxtDelListPattern(text).isNull();
}

bool TContentCleaner::CleanTextFile(const QString& path) {
  const QString text = ReplaceTextByRules(LoadTextFile(path), path);
  const QString pattern = TxtDelListPattern(text);
  if (pattern.isNull()) return false;
  Delete(path, pattern, true);
  return true;
}

void TContentCleaner::FilterEntryName(const QString& folder, const QString& name) {
  const QString filtered = FilterFileName(name, nameDeleteList_);
  // RenamePath never replaces an existing entry, so two names that filter alike both stay.
  if (filtered == name || !UsableName(filtered) || !RenamePath(folder + name, folder + filtered)) return;
  TCleanupAction renamed;
  renamed.kind = TCleanupAction::Renamed;
  renamed.path = Relative(folder + name);
  renamed.replacement = filtered;
  report_ << renamed;
}

void TContentCleaner::Delete(const QString& path, const QString& pattern, bool byContent) {
  if (!DeletePath(path)) return;
  TCleanupAction deleted;
  deleted.kind = TCleanupAction::Deleted;
  deleted.path = Relative(path);
  deleted.rule = pattern;
  deleted.byContent = byContent;
  report_ << deleted;
}

void TContentCleaner::NoteRewrites(const QString& path, const QString& before, const TxtReplaceRule& rule) {
  TCleanupAction rewritten;
  rewritten.kind = TCleanupAction::Rewritten;
  rewritten.path = Relative(path);
  rewritten.rule = rule.sValue1;
  rewritten.replacement = rule.sValue2;
  const QStringList lines = before.split(QLatin1Char('\n'));
  bool noted = false;
  for (int i = 0; i < lines.size(); ++i) {
    if (!lines[i].contains(rule.sValue1)) continue;
    rewritten.line = i + 1;
    rewritten.lineText = QString(lines[i]).replace(rule.sValue1, rule.sValue2).remove(QLatin1Char('\r'));
    report_ << rewritten;
    noted = true;
  }
  // A found text that spans lines has no one line to show.
  if (!noted) report_ << rewritten;
}

QString TContentCleaner::Relative(const QString& path) const {
  if (root_.isEmpty() || !path.startsWith(root_ + '/')) return path;
  return path.mid(root_.size() + 1);
}

const std::vector<TxtReplaceRule>& TContentCleaner::Rules() {
  // The rules cannot change during a run (the settings are closed), so one reading serves every
  // tree the cleaner cleans.
  if (replaceRules_) return *replaceRules_;
  QString error;
  replaceRules_ = TryLoadTxtReplaceRules(rules_.databaseFile, &error);
  if (!replaceRules_) {
    qCWarning(lcJob) << "the text-replacement rules in" << rules_.databaseFile << "cannot be read:" << error;
    if (onUnreadable_) onUnreadable_(rules_.databaseFile);
    replaceRules_.emplace();
  }
  return *replaceRules_;
}

QString TContentCleaner::ReplaceTextByRules(const QString& text, const QString& file) {
  QString result = text;
  bool hit = false;
  for (const TxtReplaceRule& rule : Rules()) {
    if (rule.sValue1.isEmpty() || !result.contains(rule.sValue1)) continue;
    hit = true;
    NoteRewrites(file, result, rule);
    result.replace(rule.sValue1, rule.sValue2);
  }
  if (hit) SaveTextFile(result, file);
  return result;
}
