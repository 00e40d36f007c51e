#include "util/EasyFileSearch.h"

TEasyFileSearch::TEasyFileSearch()
    : searchOptions_(okIncludeSubfolder | okLookForReadOnlyFile | okLookForHiddenFile | okLookForSystemFile |
                     okLookForDirectory | okLookForArchiveFile | okLookForAnyFile),
      firstDate_(QDate::currentDate(), QTime(0, 0)),
      secondDate_(QDate::currentDate(), QTime(0, 0)),
      fileNames_{QStringLiteral("*.*")} {}

bool TEasyFileSearch::Search() {
  TSearchOptions& options = SearchEngine.SearchOptions;
  options.IncludeSubfolder = searchOptions_.testFlag(okIncludeSubfolder);
  options.LookForReadOnlyFile = searchOptions_.testFlag(okLookForReadOnlyFile);
  options.LookForHiddenFile = searchOptions_.testFlag(okLookForHiddenFile);
  options.LookForSystemFile = searchOptions_.testFlag(okLookForSystemFile);
  options.LookForDirectory = searchOptions_.testFlag(okLookForDirectory);
  options.LookForArchiveFile = searchOptions_.testFlag(okLookForArchiveFile);
  options.LookForAnyFile = searchOptions_.testFlag(okLookForAnyFile);

  TDateFilter& dates = SearchEngine.DateOptions;
  dates.FilterOnDate = filterKind_.testFlag(fkFilterOnDate);
  dates.FilterAccessKind = dateAccess_;
  dates.DateFilterKind = dateKind_;
  dates.FirstDate = firstDate_;
  dates.SecondDate = secondDate_;

  TSizeFilter& sizes = SearchEngine.SizeOptions;
  sizes.FilterOnSize = filterKind_.testFlag(fkFilterOnSize);
  sizes.SizeFilterKind = sizeKind_;
  sizes.Size = size_;

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
