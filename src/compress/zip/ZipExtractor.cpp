#include "compress/zip/ZipExtractor.h"

#include <QStringList>

#include <sys/stat.h>
#include <unistd.h>

#include "compress/zip/ZipFileHandle.h"
#include "compress/zip/ZipTime.h"

namespace {

TZipUnixTime EntryTime(const TZipEntryRecord& entry) {
  if (const auto t = ExtraModificationTime(entry.extra)) return *t;
  return {FromDosDateTime(entry.dosDateTime), 0};
}

}  // namespace

bool IsFolderEntryName(const QString& name) { return name.endsWith('/') || name.endsWith('\\'); }

bool NamesDestinationItself(const QString& name) {
  for (const QString& part : QString(name).replace('\\', '/').split('/'))
    if (!part.isEmpty() && part != QLatin1String(".")) return false;
  return true;
}

TZipExtractor::TZipExtractor(TZipInput& archive, TExtractTarget& target)
    : target_(target), decoder_(archive) {}

TZipExtractOutcome TZipExtractor::Extract(const TZipEntryRecord& entry, const QString& name,
                                          const QByteArray& password) {
  // "./", as `bsdtar -C dir .` writes it, is the destination folder itself.
  if (IsFolderEntryName(name) && NamesDestinationItself(name)) return TZipExtractOutcome::Folder;
  const auto path = target_.PathFor(name);
  if (!path) return TZipExtractOutcome::Unsafe;
  if (IsFolderEntryName(name)) {
    if (!target_.MakeFolder(*path)) return TZipExtractOutcome::Failed;
    const TZipUnixTime t = EntryTime(entry);
    target_.RememberFolderTime(*path, t.seconds, t.nanoseconds);
    return TZipExtractOutcome::Folder;
  }
  switch (decoder_.Open(entry, password)) {
    case TZipEntryStatus::Ok:
      break;
    case TZipEntryStatus::BadPassword:
      return TZipExtractOutcome::BadPassword;
    default:
      return TZipExtractOutcome::Failed;
  }
  const TZipExtractOutcome written = WriteFile(entry, *path);
  if (written == TZipExtractOutcome::File && entry.IsUnixSymlink())
    target_.Convert(name, QStringLiteral("a symbolic link, now a file holding its target"));
  return written;
}

TZipExtractOutcome TZipExtractor::WriteFile(const TZipEntryRecord& entry, const std::string& path) {
  if (!target_.MakeParentFolder(path)) return TZipExtractOutcome::Failed;
  TFileDescriptor fd = target_.CreateFile(path);
  if (!fd) return TZipExtractOutcome::Failed;
  const TZipEntryStatus status = decoder_.Decode([this, &fd, &path](const char* data, size_t size) {
    if (!target_.Reserve(size)) return false;
    if (WriteAll(fd.get(), data, size)) return true;
    target_.WriteFailed(path, errno);
    return false;
  });
  if (status == TZipEntryStatus::Ok) {
    const uint32_t mode = entry.UnixMode() & 0777;
    // Owner read and write stay, so later steps can clean the file up.
    if (mode != 0 && !entry.IsUnixSymlink()) ::fchmod(fd.get(), mode | S_IRUSR | S_IWUSR);
    const TZipUnixTime t = EntryTime(entry);
    const timespec times[2] = {{time_t(t.seconds), long(t.nanoseconds)},
                               {time_t(t.seconds), long(t.nanoseconds)}};
    ::futimens(fd.get(), times);
    if (fd.close()) return TZipExtractOutcome::File;
    target_.WriteFailed(path, errno);
  }
  fd.reset();
  ::unlink(path.c_str());
  // Data that does not decode behind a matching check byte is, nearly always, a wrong password
  // that passed the one-byte check by chance.
  if (status == TZipEntryStatus::Damaged && entry.IsEncrypted()) return TZipExtractOutcome::BadPassword;
  return TZipExtractOutcome::Failed;
}
