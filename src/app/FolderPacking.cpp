#include "app/FolderPacking.h"

#include <filesystem>
#include <system_error>

#include "app/JobLog.h"
#include "app/OutputCompleteness.h"
#include "util/FileOps.h"
#include "util/NativePath.h"
#include "util/PathSeparators.h"

namespace fs = std::filesystem;

QString GetSingleRootFolder(const QString& folder) {
  std::error_code ec;
  fs::directory_iterator it(FileSystemPath(folder), ec);
  if (ec || it == fs::directory_iterator()) return {};
  const fs::directory_entry first = *it;
  if (!first.is_directory(ec) || first.is_symlink(ec)) return {};
  if (it.increment(ec); ec || it != fs::directory_iterator()) return {};
  return QString::fromStdString(first.path().filename().string());
}

bool FolderHasEntries(const QString& folder) {
  std::error_code ec;
  fs::directory_iterator it(FileSystemPath(folder), ec);
  return !ec && it != fs::directory_iterator();
}

TFolderPacker::TFolderPacker(IArchiveFacade& compress, const QString& mustFilesFolder, bool MustToFolder,
                             bool LockRAR, TStopRequests stopRequests)
    : compress_(compress),
      mustFilesFolder_(WithoutTrailingSeparators(mustFilesFolder)),
      MustToFolder_(MustToFolder),
      LockRAR_(LockRAR),
      stopRequests_(std::move(stopRequests)) {}

std::optional<TFolderPacker::Format> TFolderPacker::FormatOf(const QString& format) {
  if (format == QLatin1String(".rar") || format.isEmpty()) return Format::Rar;
  if (format == QLatin1String(".zip")) return Format::Zip;
  if (format == QLatin1String(".7z")) return Format::SevenZip;
  return std::nullopt;
}

int TFolderPacker::PackFolder(const QString& folder, const QString& archive, const QString& format,
                              bool testData) {
  const std::optional<Format> kind = FormatOf(format);
  if (!kind) return prUnsupported;

  const bool haveMustFiles = FolderHasEntries(mustFilesFolder_);
  bool mustPlaced = false;
  if (MustToFolder_ && haveMustFiles) {
    const QString root = GetSingleRootFolder(folder);
    if (!root.isEmpty()) mustPlaced = CopyPath(mustFilesFolder_ + "/*", folder + '/' + root + '/');
  }
  const bool addMustFiles = haveMustFiles && !mustPlaced;
  if (!FolderHasEntries(folder) && !addMustFiles) return prFailed;

  QStringList sources{folder};
  if (addMustFiles) sources << mustFilesFolder_;
  const std::optional<QStringList> expected = ExpectedEntries(sources, archive);
  if (!expected) return prFailed;

  const int result = Pack(folder, archive, *kind, addMustFiles);
  if (result != prPacked) return result;
  if (!MissingEntries(compress_, archive, *expected).isEmpty()) return prFailed;
  if (testData && !compress_.TestArchive(archive).passed()) {
    qCWarning(lcJob) << "the output" << archive << "failed its test (the engine has logged why)";
    return prFailed;
  }
  return prPacked;
}

int TFolderPacker::Pack(const QString& folder, const QString& archive, Format format, bool addMustFiles) {
  if (format == Format::Rar) return PackRar(folder, archive, addMustFiles);
  if (format == Format::Zip) {
    QStringList sources{folder + "/*"};
    if (addMustFiles) sources << mustFilesFolder_ + "/*";
    return RunPacker([&] { return compress_.ZipFile(sources, archive); });
  }
  QStringList dirs{folder + '/'};
  if (addMustFiles) dirs << mustFilesFolder_ + '/';
  return RunPacker([&] { return compress_.c7ZipFile(dirs, archive); });
}

int TFolderPacker::PackRar(const QString& folder, const QString& archive, bool withMustFiles) {
  if (!compress_.RarExeExists()) {
    qCWarning(lcJob) << "cannot make" << archive << ": the RAR packer is not in the engine folder";
    return prEngineMissing;
  }
  // The must-have files merge into the archive root beside the folder's content; the comment and
  // the lock are part of the same packing, so a failure of either fails the output.
  QStringList sources;
  if (FolderHasEntries(folder)) sources << folder + '/';
  if (withMustFiles) sources << mustFilesFolder_ + '/';
  return RunPacker([&] { return compress_.RarFile(sources, archive, LockRAR_); });
}

int TFolderPacker::RunPacker(const std::function<bool()>& run) const {
  const unsigned stopsBefore = StopRequests();
  if (run()) return prPacked;
  return StopRequests() != stopsBefore ? prStopped : prFailed;
}
