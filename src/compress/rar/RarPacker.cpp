#include "compress/rar/RarPacker.h"

#include <QFileInfo>

#include "compress/common/ExtractedTree.h"
#include "compress/common/ProgramVersion.h"
#include "compress/common/RunEngine.h"
#include "compress/rar/RarCommandLine.h"
#include "compress/rar/RarCommentFile.h"
#include "compress/rar/RarPercentReader.h"

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

bool TRarPacker::Run(const QStringList& arguments, const QString& archive, const TByteProgress& progress) {
  if (!RarExeExists()) return Missing();
  const QString folder = QFileInfo(archive).absolutePath();
  int exitCode;
  if (progress) {
    TRarPercentReader reader(sourceBytes_, progress);
    exitCode = RunEngineReading(RarExePath(), arguments, folder,
                                [&](const QByteArray& piece) { reader.Read(piece); });
  } else {
    exitCode = RunEngine(RarExePath(), arguments, folder);
  }
  if (RarRunSucceeded(exitCode)) return true;
  return context_.Fail(
      false, QStringLiteral("%1 %2 exited with %3").arg(RarExePath(), arguments.value(0)).arg(exitCode));
}

bool TRarPacker::Missing() {
  return context_.Fail(false, QStringLiteral("no RAR packer at ") + RarExePath());
}

bool TRarPacker::RarFile(const QString& rarDir, const QString& rarFile) {
  if (!RarExeExists()) return Missing();
  const QFileInfo info(rarDir);
  const QString source = RarSource(rarDir, info.isDir());
  const TByteProgress progress = context_.PackingProgress();
  // The packer tells a share of the job; the bytes it stands for are only measured for a listener.
  if (progress) sourceBytes_ = info.isDir() ? BytesBelow(rarDir) : quint64(info.size());
  return Run(RarAddArguments(rarFile, source, context_.lockFile, context_.compressPwd), rarFile, progress);
}

bool TRarPacker::AddComment(const QString& CompressPath) {
  if (!RarExeExists()) return Missing();
  const TRarCommentFile comment(context_.commentFile);
  return Run(RarCommentArguments(comment.path(), CompressPath), CompressPath);
}

bool TRarPacker::SetLock(const QString& CompressPath) {
  return Run(RarLockArguments(CompressPath), CompressPath);
}
