#include "app/NestedArchives.h"

#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>

#include "app/JobLog.h"
#include "compress/common/EngineLoadError.h"
#include "compress/common/VolumeSet.h"
#include "util/FileOps.h"
#include "util/NativePath.h"

namespace fs = std::filesystem;

namespace {

// Enough for any real tree; past it something keeps making the names, and the archive stays.
constexpr int kMaxSuffix = 10000;

bool EntryExists(const QString& path) {
  std::error_code error;
  return fs::symlink_status(FileSystemPath(path), error).type() != fs::file_type::not_found;
}

// The archive's name without the extension that names its format: all of a plug-in's (".tar.gz"),
// else the last one; the whole name when nothing would be left.
QString FolderName(const QString& archive, const QString& pluginExt) {
  QString name = FileNamePart(archive);
  if (!pluginExt.isEmpty() && name.endsWith(pluginExt, Qt::CaseInsensitive))
    name.chop(pluginExt.size());
  else
    name = FileNameWithoutExt(name);
  return name.isEmpty() ? FileNamePart(archive) : name;
}

QString Relative(const QString& root, const QString& path) {
  return path.startsWith(root + '/') ? path.mid(root.size() + 1) : path;
}

}  // namespace

struct TNestedArchives::TCandidate {
  QString path;  // what is extracted: the archive, or the volume that opens a set
  TSourceFormat format;
  QStringList files;   // removed once it is open: the archive, or every volume of its set
  QString folderName;  // the folder its content goes into, beside it
  bool opens = true;   // false: a set that lacks a volume, kept without a try
};

TNestedArchives::TNestedArchives(IArchiveFacade& compress, bool pluginFormats, TWorkFolders& folders,
                                 TExtract extract)
    : compress_(compress), pluginFormats_(pluginFormats), folders_(folders), extract_(std::move(extract)) {}

TNestedReport TNestedArchives::Open(const QString& root, int depth, quint64 written) {
  TNestedReport report;
  report.written = written;
  QStringList level{root};
  for (int d = 0; d < depth && !level.isEmpty(); ++d) {
    QStringList made;
    for (const QString& folder : level) {
      for (const TCandidate& candidate : Candidates(folder)) {
        const QString opened = OpenOne(candidate, root, report);
        if (report.overLimit) return report;
        if (!opened.isEmpty()) made << opened;
      }
    }
    // An archive that stayed is not tried again below; only what was just opened is looked into.
    level = made;
  }
  return report;
}

QList<TNestedArchives::TCandidate> TNestedArchives::Candidates(const QString& folder) const {
  QStringList files;
  std::error_code error;
  for (fs::recursive_directory_iterator it(FileSystemPath(folder), error), end; !error && it != end;
       it.increment(error)) {
    std::error_code kind;
    if (it->is_regular_file(kind) && !it->is_symlink(kind)) files << FromFileSystemPath(it->path());
  }
  if (error) qCWarning(lcJob) << "cannot look through every folder below" << folder << "for archives";
  std::sort(files.begin(), files.end());

  QList<TCandidate> candidates;
  QSet<QString> inSets;
  for (const QString& file : files) {
    if (inSets.contains(file)) continue;
    if (const std::optional<TVolumeSet> set = FindVolumeSet(file)) {
      for (const QString& volume : set->volumes) inSets.insert(volume);
      const bool opens = set->complete() && QFileInfo(set->openedBy).isFile();
      if (!opens) qCWarning(lcJob) << "the volume set" << set->setPath << "inside lacks" << set->missing;
      QStringList present;
      for (const QString& volume : set->volumes)
        if (QFileInfo(volume).isFile()) present << volume;
      candidates.append({opens ? set->openedBy : file, {set->format, true, {}}, present,
                         FolderName(set->setPath, {}), opens});
      continue;
    }
    const TSourceFormat format = DetectSourceFormat(compress_, file, pluginFormats_);
    // A self-extracting program may be one the user wants as it is: it stays a file.
    if (!format.archive || format.detected == QLatin1String(".exe")) continue;
    candidates.append({file, format, {file}, FolderName(file, format.pluginExt), true});
  }
  return candidates;
}

QString TNestedArchives::OpenOne(const TCandidate& candidate, const QString& root, TNestedReport& report) {
  const QString relative = Relative(root, candidate.path);
  const auto keep = [&](const char* why) {
    qCWarning(lcJob).noquote() << "the archive" << relative << "inside" << root << "stays as it is:" << why;
    report.kept << relative;
    return QString();
  };
  if (!candidate.opens) return keep("a volume of its set is missing");
  TExtraction extraction;
  try {
    extraction = extract_(candidate.path, candidate.format, report.written);
  } catch (const E7zLoadError&) {
    return keep("the 7z library cannot be loaded (the engine has logged why)");
  }
  if (!extraction.result.succeeded()) {
    if (extraction.result.overLimit) {
      report.overLimit = true;
      return {};
    }
    return keep("it does not open (the engine has logged why)");
  }
  report.written += extraction.result.written;

  const QString parent = FolderPart(candidate.path);
  QString destination;
  for (int n = 0; n <= kMaxSuffix && destination.isEmpty(); ++n) {
    const QString name = parent + candidate.folderName + (n == 0 ? QString() : '_' + QString::number(n));
    if (EntryExists(name)) continue;
    if (folders_.MoveOut(extraction.folder, name)) destination = name;
    else if (!EntryExists(name)) break;
  }
  if (destination.isEmpty()) {
    folders_.Remove(extraction.folder);
    return keep("its content cannot be put beside it");
  }
  for (const QString& file : candidate.files)
    if (!DeletePath(file)) qCWarning(lcJob) << "cannot remove" << file << "now that it is open beside it";
  report.opened << relative;
  report.complete = report.complete && extraction.result.complete;
  return destination;
}
