#include "util/EasyFileSearch.h"

#include <utility>

TEasyFileSearch::TEasyFileSearch()
    : searchOptions_(okIncludeSubfolder | okLookForReadOnlyFile | okLookForHiddenFile | okLookForSystemFile |
                     okLookForDirectory | okLookForArchiveFile | okLookForAnyFile),
      firstDate_(QDate::currentDate(), QTime(0, 0)),
      secondDate_(QDate::currentDate(), QTime(0, 0)),
      fileNames_{QStringLiteral("*.*")} {}

bool TEasyFileSearch::Search() {
  const std::pair<TOptionsKind, bool TSearchOptions::*> switches[] = {
      {okIncludeSubfolder, &TSearchOptions::IncludeSubfolder},
      {okLookForReadOnlyFile, &TSearchOptions::LookForReadOnlyFile},
      {okLookForHiddenFile, &TSearchOptions::LookForHiddenFile},
      {okLookForSystemFile, &TSearchOptions::LookForSystemFile},
      {okLookForDirectory, &TSearchOptions::LookForDirectory},
      {okLookForArchiveFile, &TSearchOptions::LookForArchiveFile},
      {okLookForAnyFile, &TSearchOptions::LookForAnyFile},
  };
  for (const auto& [kind, option] : switches)
    SearchEngine.SearchOptions.*option = searchOptions_.testFlag(kind);

  SearchEngine.DateOptions = {filterKind_.testFlag(fkFilterOnDate), dateAccess_, dateKind_, firstDate_,
                              secondDate_};
  SearchEngine.SizeOptions = {filterKind_.testFlag(fkFilterOnSize), sizeKind_, size_};

  SearchEngine.ExcludeFilters = excludedFiles_;
  SearchEngine.FileNames = fileNames_;

  SearchEngine.OnFileFound = [this](const TFileInformations& info) {
    if (OnFileFound) OnFileFound(info);
  };
  SearchEngine.OnChangeFolder = [this](const QString& path) {
    if (OnChangeFolder) OnChangeFolder(path);
  };
  SearchEngine.OnStatistics = [this](const TStatistics& stats) {
    if (OnStatistics) OnStatistics(stats);
  };
  SearchEngine.OnAcceptFile = [this](const TFileInformations& info) {
    return !OnAcceptFile || OnAcceptFile(info);
  };
  return SearchEngine.Search();
}
