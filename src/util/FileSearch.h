#pragma once
// The breadth-first folder walk behind the content cleanup.
//
// Every folder is announced through OnChangeFolder before its entries are reported through
// OnFileFound; sub-folders are reported as entries of their parent and entered later, in queue
// order. A folder's entries are read (names and metadata) before any of them is reported, so a
// handler may delete or rename the entry it is given, or any other entry: entries already read
// are still reported with the data read, entries renamed are not reported again. A folder that
// cannot be listed when its turn comes (deleted or renamed by a handler, access refused) ends
// the whole walk: Search returns false and the folders still queued are not visited, unless
// SkipMissingFolders is set. Symbolic links are reported as entries and never entered.
//
// Search runs on the calling thread and does not process its pending events between entries:
// the system walks on a worker thread, and the window thread stays free.
//
// Paths use '/': Path of every entry ends in '/', the path given to OnChangeFolder is the root
// as given, or parent + '/' + name for a sub-folder.
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>

// Attribute bits as the Windows file system reports them, derived from the Linux metadata.
enum TFileAttribute : quint32 {
  faReadOnly = 0x01,   // the owner may not write
  faHidden = 0x02,     // the name starts with '.'
  faSysFile = 0x04,    // a device, socket or pipe
  faDirectory = 0x10,  // a folder (a link to a folder is not one)
  faArchive = 0x20,    // a regular file or a link
  faSymLink = 0x400,   // a symbolic link (FILE_ATTRIBUTE_REPARSE_POINT)
};

// A calendar time in local time, as SYSTEMTIME holds it.
struct TSystemTime {
  quint16 Year = 0;
  quint16 Month = 0;
  quint16 DayOfWeek = 0;  // 0 = Sunday
  quint16 Day = 0;
  quint16 Hour = 0;
  quint16 Minute = 0;
  quint16 Second = 0;
  quint16 Millisecond = 0;

  bool operator==(const TSystemTime&) const = default;
};

struct TFileTime {
  TSystemTime CreationTime;  // birth time where the file system keeps one, else the write time
  TSystemTime AccessTime;
  TSystemTime WriteTime;
};

struct TFileInformations {
  QString Name;  // without any path
  QString Path;  // the folder holding the entry, ending in '/'
  quint32 Attributes = 0;
  qint64 Size = 0;  // 0 for folders
  TFileTime Time;

  QString FullPath() const { return Path + Name; }
  bool IsDirectory() const { return (Attributes & faDirectory) != 0; }
};

struct TStatistics {
  qint32 NbFilesFound = 0;   // files reported
  qint32 FoundInNbPath = 0;  // folders in which at least one file was reported
  qint32 NbPathFound = 0;    // folders reported as entries
  qint32 TimeNeeded = 0;     // milliseconds
};

struct TSearchOptions {
  bool IncludeSubfolder = false;
  bool LookForReadOnlyFile = true;
  bool LookForHiddenFile = true;
  bool LookForSystemFile = true;
  bool LookForDirectory = true;
  bool LookForArchiveFile = true;
  bool LookForAnyFile = true;
};

enum TDateFilterAccessKind { dfakCreatedFiles, dfakModifiedFiles, dfakOpenedFiles, dfakAnyFiles };
enum TDateFilterKind { dfkBetween, dfkBefore, dfkAfter, dfkSame };

struct TDateFilter {
  bool FilterOnDate = false;
  TDateFilterAccessKind FilterAccessKind = dfakAnyFiles;
  TDateFilterKind DateFilterKind = dfkBefore;
  // Compared as dates only; Search truncates both to midnight.
  QDateTime FirstDate = QDateTime(QDate::currentDate(), QTime(0, 0));
  QDateTime SecondDate = QDateTime(QDate::currentDate(), QTime(0, 0));
};

enum TSizeFilterKind { sfkSmallerOrEqualTo, sfkBiggerOrEqualTo };

struct TSizeFilter {
  bool FilterOnSize = false;
  TSizeFilterKind SizeFilterKind = sfkSmallerOrEqualTo;
  qint32 Size = 0;
};

using TFileFoundEvent = std::function<void(const TFileInformations& fileFound)>;
using TChangeFolderEvent = std::function<void(const QString& newPath)>;
using TStatisticsEvent = std::function<void(const TStatistics& stats)>;
using TAcceptFileEvent = std::function<bool(const TFileInformations& fileFound)>;

class TFileSearch {
 public:
  TSearchOptions SearchOptions;
  TDateFilter DateOptions;
  TSizeFilter SizeOptions;
  QStringList FileNames{QStringLiteral("*.*")};
  QString RootPath = QStringLiteral("./");
  QStringList ExcludeFilters;
  // Not in the Windows design: go on with the next queued folder when one has vanished
  // (deleted or renamed by a handler) instead of ending the walk.
  bool SkipMissingFolders = false;
  // Size, times and the read-only bit cost one status call per entry. Off, an entry carries only
  // what the listing itself gives (folder, link, file or device, hidden) and Size and Time stay
  // zero; the walk then runs at the speed of find(1). Filters that need the details (date, size,
  // or an attribute test without LookForAnyFile) read them all the same.
  bool ReadDetails = true;

  TFileFoundEvent OnFileFound;
  TChangeFolderEvent OnChangeFolder;
  TStatisticsEvent OnStatistics;
  TAcceptFileEvent OnAcceptFile;  // unassigned: every entry that passes the filters is accepted

  // Walks from RootPath. False when a folder could not be listed. Throws EMaskException for an
  // invalid mask in FileNames or ExcludeFilters, before anything is reported.
  bool Search();
};
