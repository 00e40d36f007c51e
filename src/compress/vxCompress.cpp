#include "compress/vxCompress.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <exception>
#include <utility>

#include "compress/common/EngineLog.h"
#include "compress/common/ExtractedTree.h"
#include "compress/common/KeyDerivationCost.h"
#include "compress/common/RunEngine.h"
#include "compress/common/VolumeSet.h"
#include "compress/plugin/PluginEngine.h"
#include "compress/plugin/PluginFile.h"
#include "compress/rar/Rar5KeyDerivation.h"
#include "compress/rar/RarPacker.h"
#include "compress/rar/UnRarEngine.h"
#include "compress/sevenzip/SevenZipEngine.h"
#include "compress/sevenzip/SevenZipKeyDerivation.h"
#include "compress/zip/ZipEngine.h"
#include "util/FileOps.h"
#include "util/PathSeparators.h"

namespace {

const QString kBuiltInExtensions = QStringLiteral(";.zip;.rar;.7z;.exe;");

// The engines, as the log names them.
constexpr const char* kUnRarLibrary = "the unrar library";
constexpr const char* kRarPacker = "the RAR packer";
constexpr const char* kZipEngine = "the ZIP engine";
constexpr const char* k7zLibrary = "the 7z library";
constexpr const char* kPlugin = "its plug-in";
constexpr const char* k7zZipReader = "the 7z library's ZIP reader";

bool Succeeded(int result) { return result == crSuccess; }
bool Succeeded(bool result) { return result; }
QString ResultText(int result) { return CompressResultName(result); }
QString ResultText(bool) { return QStringLiteral("failed"); }

void LogFailure(const QString& what, const QString& result, const QString& cause) {
  if (cause.isEmpty())
    qCWarning(lcEngine).noquote() << what << "->" << result;
  else
    qCWarning(lcEngine).noquote() << what << "->" << result + ':' << cause;
}

QString Quoted(const QString& path) { return '"' + path + '"'; }

}  // namespace

template <class Result, class Operation>
Result TvxCompress::RunOperation(const QString& what, Result failure, Operation&& operation) {
  context_.cause.clear();
  context_.encryptedContent = false;
  try {
    const Result result = operation();
    if (!Succeeded(result)) LogFailure(what, ResultText(result), context_.cause);
    return result;
  } catch (const E7zLoadError& error) {
    // The one engine error the caller gets to see.
    LogFailure(what, QStringLiteral("E7zLoadError"), QString::fromStdString(error.what()));
    throw;
  } catch (const std::exception& error) {
    context_.cause = QStringLiteral("exception: ") + QString::fromStdString(error.what());
    LogFailure(what, ResultText(failure), context_.cause);
    return failure;
  }
}

template <class Operation>
TExtractResult TvxCompress::Extraction(const QString& archive, const char* engine, const QString& format,
                                       const QString& dir, Operation&& operation) {
  ledger_.Begin(dir, limits_);
  context_.m_Error = kErrorNone;
  TExtractResult result;
  result.format = format;
  result.code = RunOperation<int>(
      QStringLiteral("extracting %1 with %2").arg(Quoted(archive), QLatin1String(engine)), crFailed, [&] {
        const int extracted = operation();
        // Whichever engine or program wrote it, the folder holds regular files and folders only
        // from here on, so cleanup and packing never follow a link or read a pipe.
        SettleExtractedTree(dir, ledger_);
        if (ledger_.stopped()) return context_.Fail(int(crFailed), ledger_.stopCause());
        if (ledger_.refusedAny()) return context_.Fail(int(crFailed), ledger_.Details());
        if (extracted != crSuccess) ExplainWriteFailure();
        return extracted;
      });
  result.encrypted = context_.encryptedContent;
  result.m_Error = context_.m_Error;
  result.overLimit = ledger_.stopped();
  result.written = ledger_.written();
  if (!result.succeeded()) {
    result.cause = context_.cause;
    return result;
  }
  result.complete = ledger_.complete();
  if (!result.complete)
    qCInfo(lcEngine).noquote() << "extracted" << Quoted(archive) << "with entries that did not come out as"
                               << "themselves:" << ledger_.Details();
  return result;
}

// An engine that could not write says so in its own terms ("write error", "damaged or cannot be
// written"): the system's reason is the cause where it was heard, and a full disk where it shows.
void TvxCompress::ExplainWriteFailure() {
  if (const QString failure = ledger_.writeFailure(); !failure.isEmpty()) {
    context_.cause = failure;
  } else if (const QString full = ledger_.FullDisk(); !full.isEmpty()) {
    context_.cause = context_.cause.isEmpty() ? full : context_.cause + QStringLiteral("; ") + full;
  }
}

template <class Operation>
bool TvxCompress::Packing(const QString& archive, const char* engine, Operation&& operation) {
  return RunOperation(QStringLiteral("packing %1 with %2").arg(Quoted(archive), QLatin1String(engine)), false,
                      operation);
}

template <class Operation>
TTestResult TvxCompress::Testing(const QString& archive, const char* engine, Operation&& operation) {
  TTestResult result;
  result.code = RunOperation<int>(
      QStringLiteral("testing %1 with %2").arg(Quoted(archive), QLatin1String(engine)), crFailed, operation);
  if (!result.passed()) result.cause = context_.cause;
  return result;
}

template <class Operation>
int TvxCompress::Listing(const QString& archive, const char* engine, Operation&& operation) {
  return RunOperation<int>(QStringLiteral("listing %1 with %2").arg(Quoted(archive), QLatin1String(engine)),
                           crFailed, operation);
}

TvxCompress::TvxCompress(const QString& defaultEngineFolder)
    : defaultEngineFolder_(WithTrailingSeparator(defaultEngineFolder)) {
  context_.ledger = &ledger_;
  // Every byte an extraction writes passes the ledger: the one place extraction progress comes from.
  ledger_.SetProgressHook([this](quint64 written, quint64 total) {
    if (context_.onProgress) context_.onProgress({TProgress::TPhase::Extracting, written, total});
  });
}

TEngineContext& TvxCompress::Context() {
  context_.engineFolder = GetEngineFolder();
  return context_;
}

QString TvxCompress::GetEngineFolder() const {
  return EngineFolder.isEmpty() ? defaultEngineFolder_ : WithTrailingSeparator(EngineFolder);
}

QString TvxCompress::GetFileRealExt(const QString& FilePath) const {
  // Only regular files: opening a FIFO or device would block or read endlessly.
  const QFileInfo info(FilePath);
  if (FilePath.isEmpty() || !info.isFile() || info.size() <= 3) return {};
  QFile file(FilePath);
  if (!file.open(QIODevice::ReadOnly)) return {};
  const QByteArray head = file.read(3);
  if (head.startsWith("Rar")) return QStringLiteral(".rar");
  if (head.startsWith("7z")) return QStringLiteral(".7z");
  if (head.startsWith("PK")) return QStringLiteral(".zip");
  if (head.startsWith("MZ")) return QStringLiteral(".exe");
  return {};
}

double TvxCompress::PasswordTrySeconds(const QString& CompressFile) const {
  const QString& password = context_.unCompressPwd;
  if (password.isEmpty()) return 0;
  const QString ext = GetFileRealExt(CompressFile);
  // A self-extracting program holds either format behind its stub.
  const bool selfExtracting = ext == QLatin1String(".exe");
  double seconds = 0;
  if (ext == QLatin1String(".rar") || selfExtracting)
    if (const auto count = Rar5KdfCount(CompressFile)) seconds = Rar5KeySeconds(*count);
  if (ext == QLatin1String(".7z") || selfExtracting)
    if (const auto key = SevenZipAesKey(CompressFile))
      seconds =
          std::max(seconds, SevenZipAesKeySeconds(key->cyclesPower, key->saltSize, int(password.size())));
  return seconds;
}

bool TvxCompress::isSupportExt(const QString& extName) const {
  if (kBuiltInExtensions.contains(';' + extName + ';')) return true;
  return PluginFileExists(GetEngineFolder(), extName);
}

TExtractResult TvxCompress::UnCompressFile(const QString& CompressFile, const QString& Dir) {
  const QString detected = GetFileRealExt(CompressFile);
  const QString ext = detected.isEmpty() ? FileExtension(CompressFile) : detected;
  const bool plugin = TPluginFile::Read(PluginFilePath(GetEngineFolder(), ext)).TakesOverBuiltIn();
  if (!plugin && ext == QLatin1String(".exe")) return UnSelfExtracting(CompressFile, Dir);
  TExtractResult result = [&] {
    if (plugin) return UnCompressByPlugin(CompressFile, Dir);
    if (ext == QLatin1String(".rar")) return UnRarFile(CompressFile, Dir);
    if (ext == QLatin1String(".zip")) return UnZipFile(CompressFile, Dir);
    if (ext == QLatin1String(".7z")) return Unc7ZipFile(CompressFile, Dir);
    return UnCompressByPlugin(CompressFile, Dir);
  }();
  result.format = detected;
  return result;
}

// Which engine opens a self-extracting program is found by trying. Each attempt starts from an
// empty folder, so nothing a failed attempt wrote is packed with the next one's files; the last
// attempt's code stands when none succeeds. Encrypted content met by any attempt is reported, so a
// failure there may still be the password's.
TExtractResult TvxCompress::UnSelfExtracting(const QString& compressFile, const QString& dir) {
  using TExtraction = TExtractResult (TvxCompress::*)(const QString&, const QString&);
  const TExtraction attempts[] = {&TvxCompress::UnRarFile, &TvxCompress::UnZipFile,
                                  &TvxCompress::Unc7ZipFile};
  TExtractResult result;
  bool first = true;
  bool encrypted = false;
  for (const TExtraction extract : attempts) {
    if (!std::exchange(first, false) && !EmptyFolder(dir)) {
      // What the failed attempt left would be packed with the next one's files.
      qCWarning(lcEngine).noquote() << "cannot empty" << Quoted(dir) << "between attempts at"
                                    << Quoted(compressFile);
      break;
    }
    result = (this->*extract)(compressFile, dir);
    encrypted = encrypted || result.encrypted;
    if (result.succeeded()) break;
  }
  if (!result.succeeded()) result.format = QStringLiteral(".exe");
  result.encrypted = encrypted;
  return result;
}

bool TvxCompress::CompressFile(const QString& Dir, const QString& CompressFile) {
  const QString ext = FileExtension(CompressFile).toLower();
  if (ext == QLatin1String(".rar")) return RarFile(Dir, CompressFile);
  if (ext == QLatin1String(".zip")) return ZipFile(Dir, CompressFile);
  if (ext == QLatin1String(".7z")) return c7ZipFile(Dir, CompressFile);
  return false;
}

int TvxCompress::GetFileList(const QString& CompressFile) {
  const QString ext = GetFileRealExt(CompressFile);
  FFileList.clear();
  if (ext == QLatin1String(".rar")) return ListRar(CompressFile);
  if (ext == QLatin1String(".zip"))
    return Listing(CompressFile, kZipEngine,
                   [&] { return TZipEngine(Context()).ListZipFiles(CompressFile, FFileList); });
  if (ext == QLatin1String(".7z"))
    return Listing(CompressFile, k7zLibrary,
                   [&] { return TSevenZipEngine(Context()).List7zFiles(CompressFile, FFileList); });
  return 0;
}

TTestResult TvxCompress::TestArchive(const QString& archive) {
  const QString ext = GetFileRealExt(archive);
  const QString& password = context_.compressPwd;
  if (ext == QLatin1String(".zip")) {
    if (TZipEngine::ReadsEveryEntry(archive))
      return Testing(archive, kZipEngine, [&] { return TZipEngine(Context()).TestZipFile(archive, password); });
    return Testing(archive, k7zZipReader, [&] {
      return TSevenZipEngine(Context()).TestArchive(archive, password, z7::kZipFormatClassId);
    });
  }
  if (ext == QLatin1String(".7z"))
    return Testing(archive, k7zLibrary, [&] {
      return TSevenZipEngine(Context()).TestArchive(archive, password, z7::k7zFormatClassId);
    });
  if (ext == QLatin1String(".rar")) return TestRar(archive);
  return Testing(archive, "no engine of its format", [&] {
    return context_.Fail(int(crFailed), QFileInfo(archive).isFile()
                                            ? QStringLiteral("not a RAR, ZIP or 7z archive by its signature")
                                            : QStringLiteral("no such file"));
  });
}

// As for listing: RAR outputs need only the packer, which tests them when the library is missing.
TTestResult TvxCompress::TestRar(const QString& archive) {
  const QString& password = context_.compressPwd;
  if (QFileInfo::exists(UnRarEngine().LibraryPath()) || !RarExeExists())
    return Testing(archive, kUnRarLibrary, [&] { return UnRarEngine().TestRarFile(archive, password); });
  return Testing(archive, kRarPacker, [&] { return TRarPacker(Context()).TestRarFile(archive, password); });
}

// Packing RAR needs only the packer, so its outputs are listed by the packer when the library is
// not there (or cannot read them); a failure of both is the library's, when it is there.
int TvxCompress::ListRar(const QString& archive) {
  const bool haveLibrary = QFileInfo::exists(UnRarEngine().LibraryPath());
  int result = crEngineLoadFailed;
  if (haveLibrary || !RarExeExists()) {
    result = Listing(archive, kUnRarLibrary, [&] { return UnRarEngine().ListRarFiles(archive, FFileList); });
    if (result == crSuccess || !RarExeExists()) return result;
  }
  const int packerResult =
      Listing(archive, kRarPacker, [&] { return TRarPacker(Context()).ListRarFiles(archive, FFileList); });
  return packerResult == crSuccess || !haveLibrary ? packerResult : result;
}

bool TvxCompress::RarExeExists() const {
  TEngineContext context = context_;
  context.engineFolder = GetEngineFolder();
  return TRarPacker(context).RarExeExists();
}

QString TvxCompress::MissingPackingEngine(const QString& format) const {
  TEngineContext context = context_;
  context.engineFolder = GetEngineFolder();
  QString engine;
  if (format == QLatin1String(".rar")) engine = TRarPacker(context).RarExePath();
  if (format == QLatin1String(".7z")) engine = TSevenZipEngine(context).LibraryPath();
  return engine.isEmpty() || QFileInfo::exists(engine) ? QString() : engine;
}

int TvxCompress::RunEngine(const QString& program, const QString& parameters) const {
  return ::RunEngine(program, parameters);
}

bool TvxCompress::RarFile(const QString& rarDir, const QString& rarFile) {
  return Packing(rarFile, kRarPacker, [&] { return TRarPacker(Context()).RarFile(rarDir, rarFile); });
}

bool TvxCompress::RarFile(const QStringList& rarDirs, const QString& rarFile, bool lock) {
  return Packing(rarFile, kRarPacker, [&] { return TRarPacker(Context()).RarFile(rarDirs, rarFile, lock); });
}

bool TvxCompress::AddComment(const QString& CompressPath) {
  return RunOperation(QStringLiteral("adding the comment to ") + Quoted(CompressPath), false,
                      [&] { return TRarPacker(Context()).AddComment(CompressPath); });
}

bool TvxCompress::SetLock(const QString& CompressPath) {
  return RunOperation(QStringLiteral("locking ") + Quoted(CompressPath), false,
                      [&] { return TRarPacker(Context()).SetLock(CompressPath); });
}

TExtractResult TvxCompress::UnRarFile(const QString& rarFile, const QString& rarDir) {
  return Extraction(rarFile, kUnRarLibrary, QStringLiteral(".rar"), rarDir,
                    [&] { return UnRarEngine().UnRarFile(rarFile, rarDir); });
}

bool TvxCompress::c7ZipFile(const QString& c7ZipDir, const QString& c7ZipFile) {
  return this->c7ZipFile(QStringList{c7ZipDir}, c7ZipFile);
}

bool TvxCompress::c7ZipFile(const QStringList& c7ZipDirs, const QString& c7ZipFile) {
  return Packing(c7ZipFile, k7zLibrary,
                 [&] { return TSevenZipEngine(Context()).c7ZipFile(c7ZipDirs, c7ZipFile); });
}

TExtractResult TvxCompress::Unc7ZipFile(const QString& c7zipFile, const QString& c7zipDir) {
  return Extraction(c7zipFile, k7zLibrary, QStringLiteral(".7z"), c7zipDir,
                    [&] { return TSevenZipEngine(Context()).Unc7ZipFile(c7zipFile, c7zipDir); });
}

bool TvxCompress::ZipFile(const QString& zipDir, const QString& ZipFile) {
  return Packing(ZipFile, kZipEngine, [&] { return TZipEngine(Context()).ZipFile(zipDir, ZipFile); });
}

bool TvxCompress::ZipFile(const QStringList& zipDirList, const QString& ZipFile) {
  return Packing(ZipFile, kZipEngine, [&] { return TZipEngine(Context()).ZipFile(zipDirList, ZipFile); });
}

TExtractResult TvxCompress::UnZipFile(const QString& ZipFile, const QString& UnzipDir) {
  const QString zip = QStringLiteral(".zip");
  // Entries of a split set lie in the other volumes at offsets of their own: the library's ZIP
  // reader follows them by their names, ours reads one file.
  if (IsSplitZip(ZipFile) || !TZipEngine::ReadsEveryEntry(ZipFile))
    return Extraction(ZipFile, k7zZipReader, zip, UnzipDir,
                      [&] { return TSevenZipEngine(Context()).UnZipFile(ZipFile, UnzipDir); });
  return Extraction(ZipFile, kZipEngine, zip, UnzipDir,
                    [&] { return TZipEngine(Context()).UnZipFile(ZipFile, UnzipDir); });
}

TExtractResult TvxCompress::UnCompressByPlugin(const QString& CompressFile, const QString& Dir) {
  return UnCompressByPlugin(CompressFile, Dir, FileExtension(CompressFile));
}

QString TvxCompress::FindPluginExt(const QString& CompressFile) const {
  return FindPluginExtension(GetEngineFolder(), CompressFile);
}

TExtractResult TvxCompress::UnCompressByPlugin(const QString& CompressFile, const QString& Dir,
                                               const QString& pluginExt) {
  return Extraction(CompressFile, kPlugin, QString(), Dir, [&] {
    return TPluginEngine(Context()).UnCompressByPlugin(CompressFile, Dir, pluginExt);
  });
}

TUnRarEngine TvxCompress::UnRarEngine() {
  TUnRarEngine engine(Context());
  engine.OnVersionWarning = OnEngineWarning;
  return engine;
}
