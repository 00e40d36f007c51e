#pragma once
// The cleanup of a prepared tree by the user's rules, in place: entries whose names match a
// deletion pattern are deleted, .txt files get the text-replacement rules and are deleted when
// their content matches a content pattern, and the name-filter strings are removed from names.
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "settings/DataFolder.h"
#include "settings/TxtReplaceRules.h"
#include "util/FileSearch.h"

struct TCleanupRules {
  QStringList delList;     // delete.dat: wildcard patterns of names
  QStringList txtDelList;  // TxtDelete.dat: content patterns of .txt files
  bool DeleteAds = true;   // master switch of the whole cleanup
  bool DelRarFileName = true;
  QString databaseFile;    // data.db with the text-replacement rules
  QString nameDeleteFile;  // NameDelete.dat
};

// What a cleanup did to one entry. Paths are relative to the cleaned root, as they stood when the
// action happened ('/' separators).
struct TCleanupAction {
  enum TKind { Deleted, Rewritten, Renamed };
  TKind kind = Deleted;
  QString path;
  // Deleted: the delete.dat pattern that matched the name, or the TxtDelete.dat pattern that
  // matched the content. Rewritten: the text the rule found. Renamed: empty.
  QString rule;
  // Rewritten: the rule's replacement. Renamed: the new name.
  QString replacement;
  int line = 0;            // Rewritten: the line (from 1) that held the found text
  QString lineText;        // Rewritten: that line after all rules
  bool byContent = false;  // Deleted: by a TxtDelete.dat pattern
};
using TCleanupReport = QList<TCleanupAction>;

class TContentCleaner {
 public:
  // onUnreadable hears of NameDelete.dat or data.db when they exist but cannot be read; the
  // cleanup then goes on without their rules.
  explicit TContentCleaner(TCleanupRules rules, TUnreadableFile onUnreadable = {});

  // Cleans the tree below root (no trailing '/'). The root itself is never deleted, whatever its
  // name: for a folder cleaned in place it is the user's own folder. A deleted folder does not
  // end the walk; the folders after it are cleaned all the same. Returns every action that took
  // effect, in the order they happened.
  TCleanupReport CleanFolder(const QString& root);

  // Applies every rule in priority order, each to the result of the ones before, and saves the
  // file when any rule found its text. Returns the replaced text.
  QString ReplaceTextByRules(const QString& text, const QString& file);

  // True when the text matches a content pattern: a pattern holding "*", "?" or "#" must match
  // the whole text (any case); any other non-empty one is searched as it is.
  bool MatchesTxtDelList(const QString& text) const;

 private:
  void OnSearchChangeFolder(const QString& folder);
  void OnSearchFileFound(const TFileInformations& entry);
  // The first pattern that matches; empty when none does.
  QString DelListPattern(const QString& name) const;
  QString TxtDelListPattern(const QString& text) const;
  // True when the text file was deleted.
  bool CleanTextFile(const QString& path);
  void FilterEntryName(const QString& folder, const QString& name);
  void Delete(const QString& path, const QString& pattern, bool byContent);
  // Rewritten actions, one per line of the original text that holds a rule's text.
  void NoteRewrites(const QString& path, const QString& before, const TxtReplaceRule& rule);
  QString Relative(const QString& path) const;
  const std::vector<TxtReplaceRule>& Rules();

  TCleanupRules rules_;
  TUnreadableFile onUnreadable_;
  QString root_;
  QStringList nameDeleteList_;
  // Folders whose names are filtered after the walk, deepest last.
  QStringList tmpDelFileList;
  // Read at the first text file the cleaner meets; a cleaner serves one run.
  std::optional<std::vector<TxtReplaceRule>> replaceRules_;
  TCleanupReport report_;
};
