#include "compress/rar/RarPacker.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <utility>

#include "compress/common/CompressResult.h"
#include "compress/common/ExtractedTree.h"
#include "compress/common/ProgramVersion.h"
#include "compress/common/RunEngine.h"
#include "compress/common/WorkingNames.h"
#include "compress/rar/RarAddRuns.h"
#include "compress/rar/RarCommandLine.h"
#include "compress/rar/RarCommentFile.h"
#include "compress/rar/RarPercentReader.h"
#include "compress/rar/RarTemporaryFile.h"
#include "util/NativePath.h"
#include "util/PackableFiles.h"
#include "util/PathSeparators.h"

namespace {

QString ExclusionListPath(const std::optional<TRarTemporaryFile>& list) {
  return list ? list->path() : QString();
}

}  // namespace

TRarPacker::TRarPacker(TEngineContext& context) : context_(context) {}

QString TRarPacker::RarExePath() const { return context_.engineFolder + QStringLiteral("rar"); }

bool TRarPacker::RarExeExists() const { return QFileInfo::exists(RarExePath()); }

TEngineInfo TRarPacker::Describe() const {
  TEngineInfo info = EngineFileInfo(RarExePath());
  if (!info.installed) return info;
  info.version = AskProgramVersion(info.path, {QStringLiteral("-iver")});
  info.usable = !info.version.isEmpty();
  if (!info.usable) info.note = QStringLiteral("cannot be run");
  return info;
}

bool TRarPacker::Run(const QStringList& arguments, const QString& archive, const TByteProgress& progress,
                     quint64 sourceBytes) {
  if (!RarExeExists()) return Missing();
  const QString folder = QFileInfo(archive).absolutePath();
  int exitCode;
  if (progress) {
    TRarPercentReader reader(sourceBytes, progress);
    exitCode = RunEngineReading(RarExePath(), arguments, folder,
                                [&](const QByteArray& piece) { reader.Read(piece); });
  } else {
    exitCode = RunEngine(RarExePath(), arguments, folder);
  }
  if (RarRunSucceeded(exitCode)) return true;
  return context_.Fail(
      false, QStringLiteral("%1 %2 exited with %3").arg(RarExePath(), arguments.value(0)).arg(exitCode));
}

quint64 TRarPacker::SourceBytes(const QStringList& sources) {
  quint64 bytes = 0;
  for (const QString& source : sources) {
    const QFileInfo info(source);
    bytes += info.isDir() ? BytesBelow(source) : quint64(info.size());
  }
  return bytes;
}

bool TRarPacker::Missing() {
  return context_.Fail(false, QStringLiteral("no RAR packer at ") + RarExePath());
}

bool TRarPacker::RarFile(const QString& rarDir, const QString& rarFile) {
  if (!RarExeExists()) return Missing();
  const bool isFolder = QFileInfo(rarDir).isDir();
  std::optional<TRarTemporaryFile> exclusions;
  if (!ExcludeFolderLinks({rarDir}, exclusions)) return false;
  const TByteProgress progress = context_.PackingProgress();
  // The packer tells a share of the job; the bytes it stands for are only measured for a listener.
  return Run(RarAddArguments(rarFile, {RarSource(rarDir, isFolder)}, context_.lockFile, context_.compressPwd,
                             {}, ExclusionListPath(exclusions)),
             rarFile, progress, progress ? SourceBytes({rarDir}) : 0);
}

bool TRarPacker::RarFile(const QStringList& rarDirs, const QString& rarFile, bool lock) {
  if (!RarExeExists()) return Missing();
  std::optional<TRarTemporaryFile> exclusions;
  if (!ExcludeFolderLinks(rarDirs, exclusions)) return false;
  // The packer writes its own temporaries beside the archive it makes: in this folder too.
  QTemporaryDir staging(WorkingNameTemplate(rarFile));
  if (!staging.isValid())
    return context_.Fail(
        false, QStringLiteral("cannot create a folder beside the archive: ") + staging.errorString());
  const QString archive = staging.filePath(QStringLiteral("archive.rar"));

  // A comment file that exists but cannot be read was told to the user at the run's start, as
  // left out of this run; the archive is made without it.
  std::optional<TRarCommentFile> comment;
  if (QFileInfo(context_.commentFile).isFile()) comment.emplace(context_.commentFile, context_.tempFolder);
  const QString commentPath = comment && comment->readable() ? comment->path() : QString();

  const QList<QStringList> runs = RarAddRuns(rarDirs);
  const TByteProgress progress = context_.PackingProgress();
  // Each run's share counts on from what the runs before it added, against all the runs' bytes.
  quint64 total = 0;
  QList<quint64> runBytes;
  if (progress)
    for (const QStringList& run : runs) total += runBytes.emplace_back(SourceBytes(run));
  quint64 before = 0;
  for (qsizetype i = 0; i < runs.size(); ++i) {
    const bool last = i == runs.size() - 1;
    QStringList sources;
    for (const QString& dir : runs[i]) sources << RarSource(dir, QFileInfo(dir).isDir());
    // One list serves every run: a path of another run's folder matches nothing in this one.
    const QStringList arguments =
        RarAddArguments(archive, sources, last && (lock || context_.lockFile), context_.compressPwd,
                        last ? commentPath : QString(), ExclusionListPath(exclusions));
    TByteProgress runProgress;
    quint64 bytes = 0;
    if (progress) {
      bytes = runBytes[i];
      runProgress = [&progress, before, total](quint64 done, quint64) { progress(before + done, total); };
      before += bytes;
    }
    if (!Run(arguments, archive, runProgress, bytes)) return false;
  }
  if (std::rename(NativePath(archive).c_str(), NativePath(rarFile).c_str()) != 0)
    return context_.Fail(false, QStringLiteral("cannot put the archive in place: ") + std::strerror(errno));
  return true;
}

bool TRarPacker::ExcludeFolderLinks(const QStringList& rarDirs, std::optional<TRarTemporaryFile>& list) {
  QByteArray text;
  for (const QString& rarDir : rarDirs) {
    if (!QFileInfo(rarDir).isDir()) continue;
    // The folder as RarSource gives it to the packer, so that the listed links are the paths it meets.
    const QString folder = WithoutTrailingSeparator(rarDir);
    const std::optional<std::vector<QByteArray>> links = ListFolderLinks(folder);
    if (!links) return context_.Fail(false, QStringLiteral("cannot read every folder below ") + folder);
    const std::optional<QByteArray> lines =
        RarFolderExclusions(QByteArray::fromStdString(NativePath(folder)), *links);
    if (!lines)
      return context_.Fail(false,
                           QStringLiteral("a link to a folder below %1 has a name the RAR packer cannot "
                                          "leave out exactly (a wildcard or a line break)")
                               .arg(folder));
    text += *lines;
  }
  if (text.isEmpty()) return true;
  list.emplace(context_.tempFolder, QStringLiteral("hm-exclude-XXXXXX.lst"), text);
  if (list->path().isEmpty())
    return context_.Fail(false, QStringLiteral("cannot write the list of links to leave out"));
  return true;
}

bool TRarPacker::AddComment(const QString& CompressPath) {
  if (!RarExeExists()) return Missing();
  const TRarCommentFile comment(context_.commentFile, context_.tempFolder);
  return Run(RarCommentArguments(comment.path(), CompressPath), CompressPath);
}

int TRarPacker::ListRarFiles(const QString& archive, QStringList& fileList) {
  fileList.clear();
  if (!RarExeExists()) {
    Missing();
    return crEngineLoadFailed;
  }
  QByteArray output;
  const QStringList arguments = RarListArguments(archive);
  const int exitCode = RunEngineReading(RarExePath(), arguments, QFileInfo(archive).absolutePath(),
                                        [&output](const QByteArray& piece) { output += piece; });
  if (!RarRunSucceeded(exitCode))
    return context_.Fail(int(crFailed),
                         QStringLiteral("%1 %2 exited with %3").arg(RarExePath(), arguments.value(0)).arg(exitCode));
  std::optional<QStringList> names = ParseRarListing(output);
  if (!names) return context_.Fail(int(crFailed), QStringLiteral("the packer's listing shows no archive"));
  fileList = std::move(*names);
  return crSuccess;
}

int TRarPacker::TestRarFile(const QString& archive, const QString& password) {
  if (!RarExeExists()) {
    Missing();
    return crEngineLoadFailed;
  }
  return Run(RarTestArguments(archive, password), archive) ? crSuccess : crFailed;
}

bool TRarPacker::SetLock(const QString& CompressPath) {
  return Run(RarLockArguments(CompressPath), CompressPath);
}
