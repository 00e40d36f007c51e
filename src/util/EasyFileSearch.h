#pragma once
// The user-facing search component: holds the options and events, copies them into its own
// TFileSearch engine before each search and relays the engine's events.
#include <QFlags>
#include <QString>
#include <QStringList>

#include "util/FileMask.h"
#include "util/FileSearch.h"

enum TOptionsKind {
  okIncludeSubfolder = 0x01,
  okLookForReadOnlyFile = 0x02,
  okLookForHiddenFile = 0x04,
  okLookForSystemFile = 0x08,
  okLookForDirectory = 0x10,
  okLookForArchiveFile = 0x20,
  okLookForAnyFile = 0x40,
};
Q_DECLARE_FLAGS(TOptionsKinds, TOptionsKind)
Q_DECLARE_OPERATORS_FOR_FLAGS(TOptionsKinds)

enum TFilterKind { fkFilterOnDate = 0x01, fkFilterOnSize = 0x02 };
Q_DECLARE_FLAGS(TFilterKinds, TFilterKind)
Q_DECLARE_OPERATORS_FOR_FLAGS(TFilterKinds)

class TEasyFileSearch {
 public:
  TEasyFileSearch();

  QString Version() const { return QStringLiteral("TEasyFileSearch v1.02"); }
  void SetVersion(const QString&) {}

  TOptionsKinds SearchOptions() const { return searchOptions_; }
  void SetSearchOptions(TOptionsKinds options) { searchOptions_ = options; }
  TFilterKinds FilterKind() const { return filterKind_; }
  void SetFilterKind(TFilterKinds kinds) { filterKind_ = kinds; }
  TDateFilterAccessKind DateFilterFileAccess() const { return dateAccess_; }
  void SetDateFilterFileAccess(TDateFilterAccessKind kind) { dateAccess_ = kind; }
  TDateFilterKind DateFilterKind() const { return dateKind_; }
  void SetDateFilterKind(TDateFilterKind kind) { dateKind_ = kind; }
  QDateTime DateFilterFirstDate() const { return firstDate_; }
  void SetDateFilterFirstDate(const QDateTime& date) { firstDate_ = date; }
  QDateTime DateFilterSecondDate() const { return secondDate_; }
  void SetDateFilterSecondDate(const QDateTime& date) { secondDate_ = date; }
  TSizeFilterKind SizeFilterKind() const { return sizeKind_; }
  void SetSizeFilterKind(TSizeFilterKind kind) { sizeKind_ = kind; }
  qint32 SizeFilterSize() const { return size_; }
  void SetSizeFilterSize(qint32 size) { size_ = size; }
  QStringList ExcludedFiles() const { return excludedFiles_; }
  void SetExcludedFiles(const QStringList& masks) { excludedFiles_ = masks; }
  QStringList FileNames() const { return fileNames_; }
  void SetFileNames(const QStringList& masks) { fileNames_ = masks; }
  QString RootPath() const { return SearchEngine.RootPath; }
  void SetRootPath(const QString& path) { SearchEngine.RootPath = path; }
  // See TFileSearch::ReadDetails.
  bool ReadDetails() const { return SearchEngine.ReadDetails; }
  void SetReadDetails(bool read) { SearchEngine.ReadDetails = read; }
  // See TFileSearch::SkipMissingFolders.
  bool SkipMissingFolders() const { return SearchEngine.SkipMissingFolders; }
  void SetSkipMissingFolders(bool skip) { SearchEngine.SkipMissingFolders = skip; }

  TFileFoundEvent OnFileFound;
  TAcceptFileEvent OnAcceptFile;
  TChangeFolderEvent OnChangeFolder;
  TStatisticsEvent OnStatistics;

  // Copies the settings into SearchEngine and runs it.
  bool Search();

  TFileSearch SearchEngine;

 private:
  TOptionsKinds searchOptions_;
  TFilterKinds filterKind_;
  TDateFilterAccessKind dateAccess_ = dfakAnyFiles;
  TDateFilterKind dateKind_ = dfkSame;
  QDateTime firstDate_;
  QDateTime secondDate_;
  TSizeFilterKind sizeKind_ = sfkSmallerOrEqualTo;
  qint32 size_ = 0;
  QStringList excludedFiles_;
  QStringList fileNames_;
};
