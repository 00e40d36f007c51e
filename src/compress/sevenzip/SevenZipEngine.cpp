#include "compress/sevenzip/SevenZipEngine.h"

#include <QDir>
#include <QFileInfo>

#include <exception>

#include "compress/sevenzip/InArchive.h"
#include "compress/sevenzip/OutArchive.h"
#include "compress/sevenzip/SevenZipPlugin.h"

namespace {

constexpr std::uint32_t kCompressionLevel = 5;
const QString kMethodDeflate64 = QStringLiteral("DEFLATE64");

}  // namespace

TSevenZipEngine::TSevenZipEngine(TEngineContext& context) : context_(context) {}

QString TSevenZipEngine::LibraryPath() const {
  QString folder = context_.engineFolder;
  if (!folder.isEmpty() && !folder.endsWith('/')) folder += '/';
  return folder + QStringLiteral("7z.so");
}

bool TSevenZipEngine::c7ZipFile(const QString& c7ZipDir, const QString& c7ZipFile) {
  return this->c7ZipFile(QStringList{c7ZipDir}, c7ZipFile);
}

bool TSevenZipEngine::c7ZipFile(const QStringList& c7ZipDirs, const QString& c7ZipFile) {
  T7zPlugin plugin(LibraryPath());  // a library that cannot be loaded reaches the caller
  try {
    T7zOutArchive archive(plugin);
    for (const QString& dir : c7ZipDirs)
      if (!archive.AddFiles(dir, QString(), QStringLiteral("*"), true)) return false;
    archive.SetProperty(QStringLiteral("X"), kCompressionLevel);
    archive.SetProperty(QStringLiteral("0"), kMethodDeflate64);
    if (!context_.compressPwd.isEmpty()) archive.SetPassword(context_.compressPwd);
    return archive.SaveToFile(c7ZipFile) == z7::kOk;
  } catch (const std::exception&) {
    return false;
  }
}

int TSevenZipEngine::Unc7ZipFile(const QString& c7zipFile, const QString& c7zipDir) {
  if (!QFileInfo::exists(c7zipFile)) return crFileNotFound;
  if (!QFileInfo::exists(LibraryPath())) return crEngineLoadFailed;
  T7zPlugin plugin(LibraryPath());
  if (!QDir().mkpath(c7zipDir)) return crCreateDirFailed;
  try {
    T7zInArchive archive(plugin);
    archive.SetPassword(context_.unCompressPwd);
    if (archive.Open(c7zipFile) != z7::kOk) return crFailed;
    const T7zExtractReport report = archive.ExtractTo2(c7zipDir);
    // Any item that failed (bad data, wrong password, unsafe name) fails the whole archive, so
    // a damaged source is never repacked as if it were complete. An archive that yields no file
    // at all is a failure too; empty files count (7-Zip stores a folder of empty files without
    // any packed stream).
    return report.Clean() && report.producedFiles ? crSuccess : crFailed;
  } catch (const std::exception&) {
    return crFailed;
  }
}

int TSevenZipEngine::List7zFiles(const QString& archivePath, QStringList& fileList) {
  fileList.clear();
  if (!QFileInfo::exists(archivePath)) return crFileNotFound;
  if (!QFileInfo::exists(LibraryPath())) return crEngineLoadFailed;
  T7zPlugin plugin(LibraryPath());
  try {
    T7zInArchive archive(plugin);
    archive.SetPassword(context_.unCompressPwd);
    if (archive.Open(archivePath) != z7::kOk) return crFailed;
    const std::uint32_t count = archive.NumberOfItems();
    for (std::uint32_t i = 0; i < count; ++i) fileList << archive.ItemPath(i);
    return crSuccess;
  } catch (const std::exception&) {
    return crFailed;
  }
}
