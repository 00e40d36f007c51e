#pragma once
// Archives inside an extracted archive, opened in their place. Uploads often hold the real content
// one level down, each level with its own advertising files; opened, the cleanup reaches them.
//
// Each regular file of the tree whose signature is a format the facade extracts (RAR, ZIP, 7z; a
// format with a plug-in when the run extracts those) is extracted with the item's passwords, the
// folder it filled takes the archive's name without its extension ("_N" when the name is taken)
// beside it, and the archive is removed; a volume set the same, through the volume that opens it,
// all its volumes removed. The folders so made are looked through again, level after level, down
// to the depth asked for. A self-extracting program stays a file; an archive that does not open
// stays as it is, and the item goes on.
#include <QString>
#include <QStringList>

#include <functional>

#include "app/SourceFormat.h"
#include "app/WorkFolders.h"
#include "compress/ArchiveFacade.h"

struct TNestedReport {
  // Relative to the tree's root, as each lay when it was opened, in the order opened.
  QStringList opened;
  QStringList kept;  // did not open: left as they were (the cause is logged)
  // Every archive opened came out whole (TExtractResult::complete).
  bool complete = true;
  // An extraction reached the item's extraction limits: the item cannot be extracted.
  bool overLimit = false;
  // Bytes written by the item's extractions so far, the first one's included.
  quint64 written = 0;
};

class TNestedArchives {
 public:
  // Extracts one archive the way the item extracts its source (its passwords, into a new work
  // folder of `folders`), with `priorBytes` already written by the item counted against the
  // extraction limits. May raise E7zLoadError.
  using TExtract =
      std::function<TExtraction(const QString& archive, const TSourceFormat& format, quint64 priorBytes)>;

  TNestedArchives(IArchiveFacade& compress, bool pluginFormats, TWorkFolders& folders, TExtract extract);

  // Opens the archives below root, `depth` levels deep; `written` is what the item's extraction
  // of root wrote. Stops at once when the limits are reached (overLimit); everything else goes on.
  TNestedReport Open(const QString& root, int depth, quint64 written);

 private:
  struct TCandidate;
  // The archives among the regular files below folder, in the order of their paths.
  QList<TCandidate> Candidates(const QString& folder) const;
  // Opens one; the folder made, or "" when it stays.
  QString OpenOne(const TCandidate& candidate, const QString& root, TNestedReport& report);

  IArchiveFacade& compress_;
  bool pluginFormats_;
  TWorkFolders& folders_;
  TExtract extract_;
};
