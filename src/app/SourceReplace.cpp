#include "app/SourceReplace.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "app/ItemOutcome.h"
#include "app/JobLog.h"
#include "compress/common/CompressResult.h"
#include "util/FileOps.h"

namespace {

constexpr qint64 kCopyBlock = 1 << 20;

bool CopyOver(const QString& from, const QString& to) {
  QFile in(from);
  if (!in.open(QIODevice::ReadOnly)) return false;
  // QSaveFile writes a temporary file in the target's folder, flushes it and renames it over the
  // target on commit; until then the target is untouched, and a cancelled write leaves nothing.
  QSaveFile out(to);
  if (!out.open(QIODevice::WriteOnly)) return false;
  qint64 copied = 0;
  while (copied < in.size()) {
    const QByteArray block = in.read(kCopyBlock);
    if (block.isEmpty() || out.write(block) != block.size()) break;
    copied += block.size();
  }
  if (copied != in.size()) {
    out.cancelWriting();
    return false;
  }
  return out.commit();
}

}  // namespace

bool ReplaceSourceWithOutput(IArchiveFacade& compress, const QString& output, const QString& source) {
  const QFileInfo info(output);
  if (!info.isFile() || info.isSymLink()) {
    qCWarning(lcJob) << "not replacing" << source << ": no output file at" << output;
    return false;
  }
  if (info.size() < kPlausibleOutputSize) {
    qCWarning(lcJob) << "not replacing" << source << ": the output" << output << "holds only" << info.size()
                     << "bytes";
    return false;
  }
  if (compress.GetFileList(output) != crSuccess) {
    qCWarning(lcJob) << "not replacing" << source << ": the output" << output << "cannot be read back";
    return false;
  }
  if (!CopyOver(output, source)) {
    qCWarning(lcJob) << "replacing" << source << "with" << output << "failed; the source is as it was";
    return false;
  }
  DeletePath(output);
  return true;
}
