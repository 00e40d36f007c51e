#include "app/OutputCompleteness.h"

#include <QSet>

#include "app/JobLog.h"
#include "compress/common/CompressResult.h"
#include "util/PackableFiles.h"
#include "util/PathSeparators.h"

namespace {

// Listings of archives written on Windows may separate with '\'.
QString Normalized(QString name) { return name.replace('\\', '/'); }

}  // namespace

std::optional<QStringList> ExpectedEntries(const QStringList& folders, const QString& archive) {
  QStringList names;
  for (const QString& folder : folders) {
    const std::optional<std::vector<TPackableFile>> files = ListPackableFiles(folder);
    if (!files) {
      qCWarning(lcJob) << "cannot read every folder below" << folder;
      return std::nullopt;
    }
    const QString base = WithTrailingSeparator(folder);
    const QString itself = archive.startsWith(base) ? archive.mid(base.size()) : QString();
    for (const TPackableFile& file : *files)
      if (file.name != itself) names << file.name;
  }
  return names;
}

QStringList MissingEntries(IArchiveFacade& compress, const QString& archive, const QStringList& expected) {
  if (compress.GetFileList(archive) != crSuccess) {
    qCWarning(lcJob) << "cannot list the output" << archive;
    return expected;
  }
  QSet<QString> listed;
  for (const QString& name : compress.FileList()) listed.insert(Normalized(name));
  QStringList missing;
  for (const QString& name : expected)
    if (!listed.contains(Normalized(name))) missing << name;
  if (!missing.isEmpty()) qCWarning(lcJob) << "the output" << archive << "lacks" << missing;
  return missing;
}
