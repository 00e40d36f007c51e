#include "compress/rar/RarPacker.h"

#include <QFileInfo>

#include "compress/common/RunEngine.h"
#include "compress/rar/RarCommandLine.h"
#include "compress/rar/RarCommentFile.h"

TRarPacker::TRarPacker(TEngineContext& context) : context_(context) {}

QString TRarPacker::RarExePath() const { return context_.engineFolder + QStringLiteral("rar"); }

bool TRarPacker::RarExeExists() const { return QFileInfo::exists(RarExePath()); }

bool TRarPacker::Run(const QStringList& arguments, const QString& archive) const {
  return RarExeExists() &&
         RarRunSucceeded(RunEngine(RarExePath(), arguments, QFileInfo(archive).absolutePath()));
}

bool TRarPacker::RarFile(const QString& rarDir, const QString& rarFile) {
  if (!RarExeExists()) return false;
  const QString source = RarSource(rarDir, QFileInfo(rarDir).isDir());
  return Run(RarAddArguments(rarFile, source, context_.lockFile, context_.compressPwd), rarFile);
}

bool TRarPacker::AddComment(const QString& CompressPath) {
  if (!RarExeExists()) return false;
  const TRarCommentFile comment(context_.commentFile);
  return Run(RarCommentArguments(comment.path(), CompressPath), CompressPath);
}

bool TRarPacker::SetLock(const QString& CompressPath) {
  return Run(RarLockArguments(CompressPath), CompressPath);
}
