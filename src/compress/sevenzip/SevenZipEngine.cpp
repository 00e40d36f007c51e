#include "compress/sevenzip/SevenZipEngine.h"

#include <QDir>
#include <QFileInfo>

#include "compress/common/ProgramVersion.h"
#include "compress/sevenzip/InArchive.h"
#include "compress/sevenzip/OutArchive.h"
#include "compress/sevenzip/SevenZipPlugin.h"
#include "util/PathSeparators.h"

namespace {

constexpr std::uint32_t kCompressionLevel = 5;
const QString kMethodDeflate64 = QStringLiteral("DEFLATE64");

QString HresultText(z7::HRESULT result) {
  return QStringLiteral("0x%1").arg(quint32(result), 8, 16, QLatin1Char('0'));
}

QString ReportText(const T7zExtractReport& report) {
  QStringList parts;
  if (report.result != z7::kOk) parts << QStringLiteral("the library reported ") + HresultText(report.result);
  if (report.failedItems > 0)
    parts << QStringLiteral("%1 items failed (damaged data or wrong password)").arg(report.failedItems);
  if (report.unsafeItems > 0)
    parts << QStringLiteral("%1 items skipped: their names would leave the destination")
                 .arg(report.unsafeItems);
  if (report.writeErrors > 0)
    parts << QStringLiteral("%1 files could not be written").arg(report.writeErrors);
  if (parts.isEmpty() && !report.producedFiles) parts << QStringLiteral("the archive holds no file");
  return parts.join(QStringLiteral("; "));
}

}  // namespace

TSevenZipEngine::TSevenZipEngine(TEngineContext& context) : context_(context) {}

QString TSevenZipEngine::LibraryPath() const {
  return WithTrailingSeparator(context_.engineFolder) + QStringLiteral("7z.so");
}

TEngineInfo TSevenZipEngine::Describe() const {
  TEngineInfo info = EngineFileInfo(LibraryPath());
  if (!info.installed) return info;
  info.version = kUnknownVersion;
  try {
    const T7zPlugin plugin(info.path);
    info.usable = true;
    info.note = QStringLiteral("format %1").arg(plugin.HandlerName());
    info.version = plugin.ModuleVersion();
  } catch (const E7zLoadError& error) {
    info.note = QString::fromStdString(error.what());
  }
  return info;
}

bool TSevenZipEngine::c7ZipFile(const QString& c7ZipDir, const QString& c7ZipFile) {
  return this->c7ZipFile(QStringList{c7ZipDir}, c7ZipFile);
}

bool TSevenZipEngine::c7ZipFile(const QStringList& c7ZipDirs, const QString& c7ZipFile) {
  T7zPlugin plugin(LibraryPath());  // a library that cannot be loaded reaches the caller
  T7zOutArchive archive(plugin);
  for (const QString& dir : c7ZipDirs)
    if (!archive.AddFiles(dir, QString(), QStringLiteral("*"), true))
      return context_.Fail(false, QStringLiteral("cannot read the files below ") + dir);
  archive.SetProperty(QStringLiteral("X"), kCompressionLevel);
  archive.SetProperty(QStringLiteral("0"), kMethodDeflate64);
  if (!context_.compressPwd.isEmpty()) archive.SetPassword(context_.compressPwd);
  const z7::HRESULT result =
      archive.SaveToFile(c7ZipFile, context_.PackingProgress(), [this] { return context_.StopRequested(); });
  if (result == z7::kOk) return true;
  if (result == z7::kAbort && context_.StopRequested())
    return context_.Fail(false, QStringLiteral("stopped: a stop was requested"));
  return context_.Fail(
      false, QStringLiteral("the library could not write the archive (%1)").arg(HresultText(result)));
}

int TSevenZipEngine::Unc7ZipFile(const QString& c7zipFile, const QString& c7zipDir) {
  return ExtractAll(c7zipFile, c7zipDir, z7::k7zFormatClassId, TFailedEncrypted::Failed);
}

int TSevenZipEngine::UnZipFile(const QString& zipFile, const QString& unzipDir) {
  return ExtractAll(zipFile, unzipDir, z7::kZipFormatClassId, TFailedEncrypted::WrongPassword);
}

int TSevenZipEngine::ExtractAll(const QString& archivePath, const QString& dir, const z7::GUID& format,
                                TFailedEncrypted failedEncrypted) {
  if (!QFileInfo::exists(archivePath))
    return context_.Fail(crFileNotFound, QStringLiteral("no such archive"));
  if (!QFileInfo::exists(LibraryPath())) return MissingLibrary();
  T7zPlugin plugin(LibraryPath());
  plugin.SetClassId(format);
  if (!QDir().mkpath(dir)) return context_.Fail(crCreateDirFailed, QStringLiteral("cannot create ") + dir);
  T7zInArchive archive(plugin);
  archive.SetPassword(context_.unCompressPwd);
  const z7::HRESULT opened = archive.Open(archivePath);
  context_.encryptedContent = archive.PasswordAsked();
  if (opened != z7::kOk) return CannotOpen(opened);
  const T7zExtractReport report = archive.ExtractTo2(dir, context_.ledger);
  context_.encryptedContent = archive.PasswordAsked();
  // Any item that failed (bad data, wrong password, unsafe name) fails the whole archive, so
  // a damaged source is never repacked as if it were complete. An archive that yields no file
  // at all is a failure too; empty files count (7-Zip stores a folder of empty files without
  // any packed stream).
  if (report.Clean() && report.producedFiles) return crSuccess;
  // Without a password the library stops the extraction rather than failing items. A file the
  // system would not write (a full disk) stops it too, and says nothing of the password.
  const bool passwordFailed = archive.PasswordAsked() && report.writeErrors == 0 &&
                              (report.failedItems > 0 || report.result != z7::kOk);
  if (failedEncrypted == TFailedEncrypted::WrongPassword && passwordFailed) {
    context_.m_Error = kErrorMissingPassword;
    return context_.Fail(crWrongPassword, ReportText(report));
  }
  return context_.Fail(crFailed, ReportText(report));
}

int TSevenZipEngine::TestArchive(const QString& archivePath, const QString& password, const z7::GUID& format) {
  if (!QFileInfo::exists(archivePath))
    return context_.Fail(crFileNotFound, QStringLiteral("no such archive"));
  if (!QFileInfo::exists(LibraryPath())) return MissingLibrary();
  T7zPlugin plugin(LibraryPath());
  plugin.SetClassId(format);
  T7zInArchive archive(plugin);
  archive.SetPassword(password);
  if (const z7::HRESULT opened = archive.Open(archivePath); opened != z7::kOk) return CannotOpen(opened);
  const T7zExtractReport report = archive.Test();
  if (report.result == z7::kOk && report.failedItems == 0) return crSuccess;
  return context_.Fail(crFailed, ReportText(report));
}

int TSevenZipEngine::List7zFiles(const QString& archivePath, QStringList& fileList) {
  fileList.clear();
  if (!QFileInfo::exists(archivePath))
    return context_.Fail(crFileNotFound, QStringLiteral("no such archive"));
  if (!QFileInfo::exists(LibraryPath())) return MissingLibrary();
  T7zPlugin plugin(LibraryPath());
  T7zInArchive archive(plugin);
  archive.SetPassword(context_.unCompressPwd);
  if (const z7::HRESULT opened = archive.Open(archivePath); opened != z7::kOk) return CannotOpen(opened);
  const std::uint32_t count = archive.NumberOfItems();
  for (std::uint32_t i = 0; i < count; ++i) fileList << archive.ItemPath(i);
  return crSuccess;
}

int TSevenZipEngine::MissingLibrary() {
  return context_.Fail(crEngineLoadFailed, QStringLiteral("no 7z library at ") + LibraryPath());
}

int TSevenZipEngine::CannotOpen(z7::HRESULT result) {
  return context_.Fail(crFailed, QStringLiteral("not an archive the library can open: damaged, or a "
                                                "password is needed (%1)")
                                     .arg(HresultText(result)));
}
