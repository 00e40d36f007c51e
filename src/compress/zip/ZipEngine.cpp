#include "compress/zip/ZipEngine.h"

#include <QFileInfo>

#include <sys/stat.h>

#include <exception>
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
#include "util/CodePage.h"

TZipEngine::TZipEngine(TEngineContext& context) : context_(context) {}

bool TZipEngine::ZipFile(const QString& zipDir, const QString& zipFile) {
  QString source = zipDir;
  if (source.endsWith('/')) source.chop(1);
  return ZipFile(QStringList{QFileInfo(source).isDir() ? source + QStringLiteral("/*") : source}, zipFile);
}

bool TZipEngine::ZipFile(const QStringList& zipDirList, const QString& zipFile) {
  try {
    TZipOutput output;
    if (!output.Open(zipFile)) return false;
    TZipSourcePlan plan;
    plan.Exclude(output.device(), output.inode());
    struct stat existing {};
    if (::stat(NativePath(zipFile).c_str(), &existing) == 0) plan.Exclude(existing.st_dev, existing.st_ino);
    if (!plan.Build(zipDirList)) return false;

    TZipWriteOptions options;
    options.password = context_.compressPwd.isEmpty() ? QByteArray() : ToAnsi(context_.compressPwd);
    options.comment = ZipCommentFromFile(context_.commentFile);
    options.threads = Threads();
    TZipArchiveWriter writer(output, std::move(options));
    return writer.Write(plan.sources()) && output.Commit();
  } catch (const std::exception&) {
    return false;
  }
}

int TZipEngine::UnZipFile(const QString& zipFile, const QString& unzipDir) {
  try {
    if (TZipStrictReader(zipFile, unzipDir, Threads()).Run()) return crSuccess;
    context_.m_Error = kErrorNone;
    QString destDir = unzipDir;
    if (destDir.endsWith('/')) destDir.chop(1);
    return TZipGeneralReader(zipFile, destDir, ToAnsi(context_.unCompressPwd), Threads(),
                             [this] { OnZipBadPassword(); })
        .Run();
  } catch (const std::exception&) {
    return crFailed;
  }
}

int TZipEngine::ListZipFiles(const QString& zipFile, QStringList& fileList) {
  fileList.clear();
  try {
    TZipDirectory archive;
    const bool complete = archive.Open(zipFile);
    for (const TZipEntryRecord& e : archive.entries()) fileList << DecodeEntryName(e).replace('\\', '/');
    return complete ? crSuccess : crFailed;
  } catch (const std::exception&) {
    return crFailed;
  }
}

void TZipEngine::OnZipBadPassword() { context_.m_Error = kErrorMissingPassword; }

int TZipEngine::Threads() const {
  return threads_ > 0 ? threads_ : int(std::max(1u, std::thread::hardware_concurrency()));
}
