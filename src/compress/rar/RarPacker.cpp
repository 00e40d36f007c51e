#include "compress/rar/RarPacker.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>

#include "compress/common/ProgramVersion.h"
#include "compress/common/RunEngine.h"
#include "compress/rar/RarAddRuns.h"
#include "compress/rar/RarCommandLine.h"
#include "compress/rar/RarCommentFile.h"
#include "util/NativePath.h"

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

bool TRarPacker::Run(const QStringList& arguments, const QString& archive) {
  if (!RarExeExists()) return Missing();
  const int exitCode = RunEngine(RarExePath(), arguments, QFileInfo(archive).absolutePath());
  if (RarRunSucceeded(exitCode)) return true;
  return context_.Fail(
      false, QStringLiteral("%1 %2 exited with %3").arg(RarExePath(), arguments.value(0)).arg(exitCode));
}

bool TRarPacker::Missing() {
  return context_.Fail(false, QStringLiteral("no RAR packer at ") + RarExePath());
}

bool TRarPacker::RarFile(const QString& rarDir, const QString& rarFile) {
  if (!RarExeExists()) return Missing();
  const QString source = RarSource(rarDir, QFileInfo(rarDir).isDir());
  return Run(RarAddArguments(rarFile, {source}, context_.lockFile, context_.compressPwd), rarFile);
}

bool TRarPacker::RarFile(const QStringList& rarDirs, const QString& rarFile, bool lock) {
  if (!RarExeExists()) return Missing();
  QTemporaryDir staging(QFileInfo(rarFile).absolutePath() + QStringLiteral("/.hm-rar-XXXXXX"));
  if (!staging.isValid())
    return context_.Fail(false, QStringLiteral("cannot create a folder beside the archive: ") + staging.errorString());
  const QString archive = staging.filePath(QStringLiteral("archive.rar"));

  // A comment file that exists but cannot be read was told to the user at the run's start, as
  // left out of this run; the archive is made without it.
  std::optional<TRarCommentFile> comment;
  if (QFileInfo(context_.commentFile).isFile()) comment.emplace(context_.commentFile);
  const QString commentPath = comment && comment->readable() ? comment->path() : QString();

  const QList<QStringList> runs = RarAddRuns(rarDirs);
  for (qsizetype i = 0; i < runs.size(); ++i) {
    const bool last = i == runs.size() - 1;
    QStringList sources;
    for (const QString& dir : runs[i]) sources << RarSource(dir, QFileInfo(dir).isDir());
    const QStringList arguments = RarAddArguments(archive, sources, last && (lock || context_.lockFile),
                                                  context_.compressPwd, last ? commentPath : QString());
    if (!Run(arguments, archive)) return false;
  }
  if (std::rename(NativePath(archive).c_str(), NativePath(rarFile).c_str()) != 0)
    return context_.Fail(false, QStringLiteral("cannot put the archive in place: ") + std::strerror(errno));
  return true;
}

bool TRarPacker::AddComment(const QString& CompressPath) {
  if (!RarExeExists()) return Missing();
  const TRarCommentFile comment(context_.commentFile);
  return Run(RarCommentArguments(comment.path(), CompressPath), CompressPath);
}

bool TRarPacker::SetLock(const QString& CompressPath) {
  return Run(RarLockArguments(CompressPath), CompressPath);
}
