#include "compress/rar/RarPacker.h"

#include <QFileInfo>

#include <memory>

#include "compress/common/ProgramVersion.h"
#include "compress/common/RunEngine.h"
#include "compress/rar/RarCommandLine.h"
#include "compress/rar/RarCommentFile.h"
#include "compress/rar/RarTemporaryFile.h"
#include "util/NativePath.h"
#include "util/PackableFiles.h"
#include "util/PathSeparators.h"

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
  const bool isFolder = QFileInfo(rarDir).isDir();
  std::unique_ptr<TRarTemporaryFile> exclusions;
  // The folder as the packer is given it, so that the listed links are the paths it meets.
  if (isFolder && !ExcludeFolderLinks(WithoutTrailingSeparator(rarDir), exclusions)) return false;
  const QString exclusionList = exclusions ? exclusions->path() : QString();
  return Run(RarAddArguments(rarFile, RarSource(rarDir, isFolder), context_.lockFile, context_.compressPwd,
                             exclusionList),
             rarFile);
}

bool TRarPacker::ExcludeFolderLinks(const QString& folder, std::unique_ptr<TRarTemporaryFile>& list) {
  const std::optional<std::vector<QByteArray>> links = ListFolderLinks(folder);
  if (!links) return context_.Fail(false, QStringLiteral("cannot read every folder below ") + folder);
  const std::optional<QByteArray> text =
      RarFolderExclusions(QByteArray::fromStdString(NativePath(folder)), *links);
  if (!text)
    return context_.Fail(false, QStringLiteral("a link to a folder below %1 has a name the RAR packer cannot "
                                               "leave out exactly (a wildcard or a line break)")
                                    .arg(folder));
  if (text->isEmpty()) return true;
  list = std::make_unique<TRarTemporaryFile>(QStringLiteral("hm-exclude-XXXXXX.lst"), *text);
  if (list->path().isEmpty())
    return context_.Fail(false, QStringLiteral("cannot write the list of links to leave out"));
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
