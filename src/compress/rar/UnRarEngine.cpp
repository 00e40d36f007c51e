#include "compress/rar/UnRarEngine.h"

#include <QFile>

#include "compress/common/ProgramVersion.h"
#include "compress/rar/RAR.h"
#include "compress/rar/RarErrors.h"
#include "compress/rar/UnRarLibrary.h"
#include "util/PathSeparators.h"

namespace {

void Connect(TRAR& rar, TUnRarEngine& engine) {
  rar.DllName = engine.LibraryPath();
  rar.Ledger = engine.Ledger();
  rar.OnError = [&engine](int code, TRAROperation) { engine.OnRarError(code); };
  rar.OnPasswordRequired = [&engine](bool, const QString&, QString& password, bool& cancel) {
    engine.OnRarPassword(password, cancel);
  };
  rar.OnVersionWarning = [&engine](const QString& message) {
    if (engine.OnVersionWarning) engine.OnVersionWarning(message);
  };
}

}  // namespace

TUnRarEngine::TUnRarEngine(TEngineContext& context) : context_(context), password_(context.unCompressPwd) {}

QString TUnRarEngine::LibraryPath() const { return context_.engineFolder + QStringLiteral("libunrar.so"); }

TEngineInfo TUnRarEngine::Describe() const {
  TEngineInfo info = EngineFileInfo(LibraryPath());
  if (!info.installed) return info;
  const std::unique_ptr<TUnRarLibrary> library = TUnRarLibrary::Load(info.path);
  info.usable = library != nullptr;
  // The library tells its interface's version only, and no file version is there to read: that
  // is what shows, never a version of zeros.
  if (info.usable)
    info.version = QStringLiteral("API %1").arg(library->RARGetDllVersion());
  else
    info.note = QStringLiteral("not an unrar library");
  return info;
}

void TUnRarEngine::OnRarError(int ErrorCode) { context_.m_Error = ErrorCode; }

void TUnRarEngine::OnRarPassword(QString& NewPassword, bool& Cancel) {
  passwordAsked_ = true;
  context_.encryptedContent = true;
  NewPassword = password_;
  Cancel = false;
}

void TUnRarEngine::OnRarListFile(const TRARFileItem& FileInformation) {
  if (listTarget_) listTarget_->append(FileInformation.FileName);
}

int TUnRarEngine::UnRarFile(const QString& rarFile, const QString& rarDir) {
  if (!QFile::exists(LibraryPath()))
    return context_.Fail(crEngineLoadFailed, QStringLiteral("no unrar library at ") + LibraryPath());
  context_.m_Error = kErrorNone;
  passwordAsked_ = false;
  const QString destination = WithoutTrailingSeparator(rarDir);
  TRAR rar;
  Connect(rar, *this);
  if (!rar.OpenFile(rarFile)) return Failed();
  if (!rar.Extract(destination, true)) {
    if (rar.EntryRefused() && context_.m_Error == kErrorNone)
      return context_.Fail(crFailed, QStringLiteral("an entry was refused: its name would leave the destination, "
                                                    "a link stands in its way, or it is a hard link or file "
                                                    "copy whose original did not come out"));
    return Failed();
  }
  // The library reads a file cut off inside its first headers as an archive without entries.
  // Nothing extracted is nothing to repack: a source that yields no entry is not a success.
  if (rar.ArchiveInformation().TotalFiles == 0)
    return context_.Fail(crFailed, QStringLiteral("the archive holds no entry"));
  return crSuccess;
}

int TUnRarEngine::TestRarFile(const QString& rarFile, const QString& password) {
  if (!QFile::exists(LibraryPath()))
    return context_.Fail(crEngineLoadFailed, QStringLiteral("no unrar library at ") + LibraryPath());
  context_.m_Error = kErrorNone;
  passwordAsked_ = false;
  password_ = password;
  TRAR rar;
  Connect(rar, *this);
  rar.Ledger = nullptr;  // nothing is written
  if (!rar.OpenFile(rarFile) || !rar.Test()) return Failed();
  return crSuccess;
}

int TUnRarEngine::ListRarFiles(const QString& archive, QStringList& fileList) {
  TRAR rar;
  Connect(rar, *this);
  rar.OnListFile = [this](const TRARFileItem& item) { OnRarListFile(item); };
  fileList.clear();
  passwordAsked_ = false;
  listTarget_ = &fileList;
  const bool ok = rar.OpenFile(archive);
  listTarget_ = nullptr;
  return ok ? crSuccess : Failed();
}

int TUnRarEngine::Failed() {
  return context_.Fail(int(RarErrorToResult(context_.m_Error, passwordAsked_)),
                       RarErrorText(context_.m_Error));
}
