#include "util/FileSearch.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <algorithm>
#include <cerrno>
#include <ctime>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "util/DirHandle.h"
#include "util/FileMask.h"
#include "util/FileDescriptor.h"
#include "util/NativePath.h"
#include "util/PathSeparators.h"

namespace {

// One entry as the listing gave it, before any event fires.
struct ListedEntry {
  std::string name;
  bool hasDetails = false;
  quint32 attributes = 0;
  qint64 size = 0;
  timespec creation{};
  timespec access{};
  timespec write{};
};

quint32 AttributesOf(mode_t mode, const char* name) {
  quint32 attributes = 0;
  if (S_ISDIR(mode))
    attributes |= faDirectory;
  else if (S_ISLNK(mode))
    attributes |= faSymLink | faArchive;
  else if (S_ISREG(mode))
    attributes |= faArchive;
  else
    attributes |= faSysFile;
  if (!S_ISLNK(mode) && !(mode & S_IWUSR)) attributes |= faReadOnly;
  if (name[0] == '.') attributes |= faHidden;
  return attributes;
}

mode_t ModeFromDirentType(unsigned char type) {
  switch (type) {
    case DT_DIR:
      return S_IFDIR | 0755;
    case DT_LNK:
      return S_IFLNK | 0777;
    case DT_REG:
      return S_IFREG | 0644;
    default:
      return S_IFIFO | 0644;
  }
}

void Describe(int dirFd, ListedEntry* entry, unsigned char direntType, bool details) {
  entry->hasDetails = false;
  // Some file systems leave the type to a status call.
  if (!details && direntType != DT_UNKNOWN) {
    entry->attributes = AttributesOf(ModeFromDirentType(direntType), entry->name.c_str());
    return;
  }
  struct statx st;
  const unsigned mask = STATX_TYPE | STATX_MODE | STATX_SIZE | STATX_ATIME | STATX_MTIME | STATX_BTIME;
  if (statx(dirFd, entry->name.c_str(), AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, mask, &st) != 0) {
    // Gone already: what the listing itself told is all there is.
    entry->attributes = AttributesOf(ModeFromDirentType(direntType), entry->name.c_str());
    return;
  }
  entry->hasDetails = true;
  entry->attributes = AttributesOf(st.stx_mode, entry->name.c_str());
  entry->size = S_ISDIR(st.stx_mode) ? 0 : static_cast<qint64>(st.stx_size);
  entry->access = {st.stx_atime.tv_sec, st.stx_atime.tv_nsec};
  entry->write = {st.stx_mtime.tv_sec, st.stx_mtime.tv_nsec};
  entry->creation =
      (st.stx_mask & STATX_BTIME) ? timespec{st.stx_btime.tv_sec, st.stx_btime.tv_nsec} : entry->write;
}

// Reads the whole folder, sorted by name, so that handlers changing the folder cannot make the
// walk skip or repeat entries. False when the folder cannot be listed; errno tells why.
bool ListFolder(const QString& folder, bool details, std::vector<ListedEntry>* entries) {
  entries->clear();
  TFileDescriptor fd(::open(NativePath(folder).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!fd) return false;
  TDirHandle dir(fdopendir(fd.get()));
  if (!dir) {
    const int error = errno;
    fd.reset();
    errno = error;
    return false;
  }
  fd.release();  // the folder handle owns it now
  while (const dirent* d = readdir(dir.get())) {
    if (d->d_name[0] == '.' && (d->d_name[1] == '\0' || (d->d_name[1] == '.' && d->d_name[2] == '\0')))
      continue;
    ListedEntry& entry = entries->emplace_back();
    entry.name = d->d_name;
    Describe(dirfd(dir.get()), &entry, d->d_type, details);
  }
  std::sort(entries->begin(), entries->end(),
            [](const ListedEntry& a, const ListedEntry& b) { return a.name < b.name; });
  return true;
}

TSystemTime LocalTime(const timespec& time) {
  TSystemTime out;
  tm local{};
  if (!localtime_r(&time.tv_sec, &local)) return out;
  out.Year = static_cast<quint16>(local.tm_year + 1900);
  out.Month = static_cast<quint16>(local.tm_mon + 1);
  out.DayOfWeek = static_cast<quint16>(local.tm_wday);
  out.Day = static_cast<quint16>(local.tm_mday);
  out.Hour = static_cast<quint16>(local.tm_hour);
  out.Minute = static_cast<quint16>(local.tm_min);
  out.Second = static_cast<quint16>(local.tm_sec);
  out.Millisecond = static_cast<quint16>(time.tv_nsec / 1000000);
  return out;
}

QDate DateOf(const TSystemTime& time) { return QDate(time.Year, time.Month, time.Day); }

// The compiled filters of one search.
class EntryTest {
 public:
  explicit EntryTest(const TFileSearch& search)
      : options_(search.SearchOptions), dates_(search.DateOptions), sizes_(search.SizeOptions) {
    for (const QString& mask : search.FileNames) {
      names_.emplace_back(mask);
      if (names_.back().MatchesEverything()) namesTakeEverything_ = true;
    }
    namesHaveStarDotStar_ = search.FileNames.contains(QStringLiteral("*.*"));
    for (const QString& mask : search.ExcludeFilters) excludes_.emplace_back(mask);
  }

  bool Passes(const TFileInformations& info) const {
    const quint32 a = info.Attributes;
    const bool isDir = (a & faDirectory) != 0;
    const bool attributesPass =
        ((a & faReadOnly) && options_.LookForReadOnlyFile) ||
        ((a & faHidden) && options_.LookForHiddenFile) || ((a & faSysFile) && options_.LookForSystemFile) ||
        (isDir && options_.LookForDirectory) || ((a & faArchive) && options_.LookForArchiveFile) ||
        (!isDir && options_.LookForAnyFile);
    if (!attributesPass) return false;
    if (dates_.FilterOnDate && !DatePasses(info.Time)) return false;
    if (sizes_.FilterOnSize) {
      const bool smaller = sizes_.SizeFilterKind == sfkSmallerOrEqualTo;
      if (smaller ? info.Size > sizes_.Size : info.Size < sizes_.Size) return false;
    }
    for (const TFileMask& mask : excludes_)
      if (mask.Matches(info.Name)) return false;
    if (namesTakeEverything_ || (isDir && namesHaveStarDotStar_)) return true;
    for (const TFileMask& mask : names_)
      if (mask.Matches(info.Name)) return true;
    return false;
  }

 private:
  bool DatePasses(const TFileTime& time) const {
    switch (dates_.FilterAccessKind) {
      case dfakCreatedFiles:
        return DatePasses(DateOf(time.CreationTime));
      case dfakModifiedFiles:
        return DatePasses(DateOf(time.WriteTime));
      case dfakOpenedFiles:
        return DatePasses(DateOf(time.AccessTime));
      case dfakAnyFiles:
        break;
    }
    return DatePasses(DateOf(time.CreationTime)) || DatePasses(DateOf(time.WriteTime)) ||
           DatePasses(DateOf(time.AccessTime));
  }

  bool DatePasses(const QDate& date) const {
    const QDate first = dates_.FirstDate.date();
    switch (dates_.DateFilterKind) {
      case dfkBetween:
        return first <= date && date <= dates_.SecondDate.date();
      case dfkBefore:
        return date < first;
      case dfkAfter:
        return date > first;
      case dfkSame:
        return date == first;
    }
    return false;
  }

  TSearchOptions options_;
  TDateFilter dates_;
  TSizeFilter sizes_;
  std::vector<TFileMask> names_;
  std::vector<TFileMask> excludes_;
  bool namesTakeEverything_ = false;
  bool namesHaveStarDotStar_ = false;
};

}  // namespace

bool TFileSearch::Search() {
  const EntryTest test(*this);  // throws for an invalid mask, before anything fires
  const bool details =
      ReadDetails || DateOptions.FilterOnDate || SizeOptions.FilterOnSize || !SearchOptions.LookForAnyFile;
  DateOptions.FirstDate = QDateTime(DateOptions.FirstDate.date(), QTime(0, 0));
  DateOptions.SecondDate = QDateTime(DateOptions.SecondDate.date(), QTime(0, 0));

  QElapsedTimer timer;
  timer.start();
  TStatistics stats;
  std::deque<QString> queue;
  std::vector<ListedEntry> entries;
  QString current = RootPath;
  bool isRoot = true;
  bool result = true;

  for (;;) {
    if (OnChangeFolder) OnChangeFolder(current);
    const QString folder = WithTrailingSeparator(current);
    if (!ListFolder(folder, details, &entries)) {
      const bool vanished = errno == ENOENT || errno == ENOTDIR;
      if (!(SkipMissingFolders && vanished && !isRoot)) {
        result = false;
        break;
      }
    }
    bool fileFoundHere = false;
    TFileInformations info;
    info.Path = folder;
    for (const ListedEntry& entry : entries) {
      info.Name = FromNativePath(entry.name);
      const bool isDir = (entry.attributes & faDirectory) != 0;
      if (isDir && SearchOptions.IncludeSubfolder) queue.push_back(folder + info.Name);
      info.Attributes = entry.attributes;
      info.Size = entry.size;
      info.Time = entry.hasDetails
                      ? TFileTime{LocalTime(entry.creation), LocalTime(entry.access), LocalTime(entry.write)}
                      : TFileTime{};
      if (!test.Passes(info) || (OnAcceptFile && !OnAcceptFile(info))) continue;
      if (isDir) {
        ++stats.NbPathFound;
      } else {
        ++stats.NbFilesFound;
        if (!fileFoundHere) ++stats.FoundInNbPath;
        fileFoundHere = true;
      }
      if (OnFileFound) OnFileFound(info);
    }
    if (queue.empty()) break;
    current = std::move(queue.front());
    queue.pop_front();
    isRoot = false;
  }

  stats.TimeNeeded = static_cast<qint32>(timer.elapsed());
  if (OnStatistics) OnStatistics(stats);
  return result;
}
