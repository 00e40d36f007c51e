#include "compress/zip/ZipEngine.h"

#include <QFileInfo>

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>

#include "compress/common/CompressResult.h"
#include "compress/zip/ZipArchiveWriter.h"
#include "compress/zip/ZipComment.h"
#include "compress/zip/ZipDirectory.h"
#include "compress/zip/ZipGeneralReader.h"
#include "compress/zip/ZipNames.h"
#include "compress/zip/ZipOutput.h"
#include "compress/zip/ZipSourcePlan.h"
#include "compress/zip/ZipStrictReader.h"
#include "compress/zip/ZipTester.h"
#include "util/CodePage.h"
#include "util/PathSeparators.h"

TZipEngine::TZipEngine(TEngineContext& context) : context_(context) {}

bool TZipEngine::ZipFile(const QString& zipDir, const QString& zipFile) {
  const QString source = WithoutTrailingSeparator(zipDir);
  return ZipFile(QStringList{QFileInfo(source).isDir() ? source + QStringLiteral("/*") : source}, zipFile);
}

bool TZipEngine::ZipFile(const QStringList& zipDirList, const QString& zipFile) {
  TZipOutput output;
  if (!output.Open(zipFile))
    return context_.Fail(false,
                         QStringLiteral("cannot create a file beside the archive: ") + std::strerror(errno));
  TZipSourcePlan plan;
  plan.Exclude(output.device(), output.inode());
  struct stat existing {};
  if (::stat(NativePath(zipFile).c_str(), &existing) == 0) plan.Exclude(existing.st_dev, existing.st_ino);
  if (!plan.Build(zipDirList)) return context_.Fail(false, plan.error());

  TZipWriteOptions options;
  options.password = context_.compressPwd.isEmpty() ? QByteArray() : ToAnsi(context_.compressPwd);
  options.comment = ZipCommentFromFile(context_.commentFile);
  options.threads = Threads();
  options.progress = context_.PackingProgress();
  options.stopRequested = [this] { return context_.StopRequested(); };
  TZipArchiveWriter writer(output, std::move(options));
  if (!writer.Write(plan.sources())) return context_.Fail(false, writer.error());
  if (!output.Commit()) return context_.Fail(false, QStringLiteral("cannot complete the archive on disk"));
  return true;
}

int TZipEngine::UnZipFile(const QString& zipFile, const QString& unzipDir) {
  if (TZipStrictReader(zipFile, unzipDir, Threads(), context_.ledger).Run()) return crSuccess;
  context_.m_Error = kErrorNone;
  TZipGeneralReader reader(zipFile, WithoutTrailingSeparator(unzipDir), ToAnsi(context_.unCompressPwd),
                           Threads(), context_.ledger, [this] { OnZipBadPassword(); });
  const int result = reader.Run();
  if (result == crSuccess) return result;
  return context_.Fail(result, reader.cause());
}

int TZipEngine::TestZipFile(const QString& zipFile, const QString& password) {
  TZipTester tester(zipFile, password.isEmpty() ? QByteArray() : ToAnsi(password), Threads());
  const int result = tester.Run();
  return result == crSuccess ? result : context_.Fail(result, tester.cause());
}

bool TZipEngine::ReadsEveryEntry(const QString& zipFile) {
  TZipDirectory archive;
  if (!archive.Open(zipFile)) return true;
  return std::all_of(archive.entries().begin(), archive.entries().end(), [](const TZipEntryRecord& e) {
    return !(e.flags & kZipFlagStrongEncryption) &&
           (e.method == kZipMethodStored || e.method == kZipMethodDeflated);
  });
}

int TZipEngine::ListZipFiles(const QString& zipFile, QStringList& fileList) {
  fileList.clear();
  TZipDirectory archive;
  const bool complete = archive.Open(zipFile);
  for (const TZipEntryRecord& e : archive.entries()) fileList << DecodeEntryName(e).replace('\\', '/');
  return complete ? crSuccess
                  : context_.Fail(crFailed, QStringLiteral("cannot read the archive's directory"));
}

void TZipEngine::OnZipBadPassword() {
  context_.m_Error = kErrorMissingPassword;
  context_.encryptedContent = true;
}

int TZipEngine::Threads() const {
  return threads_ > 0 ? threads_ : int(std::max(1u, std::thread::hardware_concurrency()));
}
