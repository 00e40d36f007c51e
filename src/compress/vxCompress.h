#pragma once
// The one component through which the rest of the system touches archives: format detection by
// signature, extraction dispatch (unrar library, ZIP engine, 7z library, plug-in programs),
// packing into RAR, ZIP or 7z, the RAR comment and lock, and listing.
//
// It implements IArchiveFacade (results, the one exception, and the logging of causes are
// stated there) and adds what only the engine tests and the installed-engines listing use.
//
// One instance serves one thread; the engines it drives are created per operation and share the
// instance's TEngineContext (passwords, comment file, engine folder, last error). Each extraction
// returns all it found in its TExtractResult.
#include <QString>
#include <QStringList>

#include <functional>

#include "compress/ArchiveFacade.h"
#include "compress/common/EngineContext.h"
#include "compress/common/ExtractLedger.h"

class TUnRarEngine;

class TvxCompress : public IArchiveFacade {
 public:
  // defaultEngineFolder: where the engines live unless EngineFolder overrides it
  // (TProgramPaths::engineFolder()).
  explicit TvxCompress(const QString& defaultEngineFolder);
  TvxCompress(const TvxCompress&) = delete;
  TvxCompress& operator=(const TvxCompress&) = delete;

  // Properties: each reads its field; writing stores the value unchanged.
  QString CommentFile() const { return context_.commentFile; }
  void SetCommentFile(const QString& value) override { context_.commentFile = value; }
  void SetTempFolder(const QString& folder) override { context_.tempFolder = folder; }
  bool LockFile() const { return context_.lockFile; }
  void SetLockFile(bool value) { context_.lockFile = value; }
  QString CompressPwd() const override { return context_.compressPwd; }
  void SetCompressPwd(const QString& value) override { context_.compressPwd = value; }
  QString UnCompressPwd() const { return context_.unCompressPwd; }
  void SetUnCompressPwd(const QString& value) override { context_.unCompressPwd = value; }
  void SetExtractLimits(const TExtractLimits& limits) override { limits_ = limits; }
  double PasswordTrySeconds(const QString& CompressFile) const override;
  // Entry names filled by GetFileList.
  QStringList FileList() const override { return FFileList; }

  // Override of the engine folder; empty means the default given at construction.
  QString EngineFolder;
  // A warning an engine wants the user to see (an outdated unrar library); only a window shows
  // it as a message box, the engines never do.
  std::function<void(const QString& message)> OnEngineWarning;
  void SetOnEngineWarning(std::function<void(const QString& message)> handler) override {
    OnEngineWarning = std::move(handler);
  }
  void SetOnProgress(TProgressHandler handler) override { context_.onProgress = std::move(handler); }
  void SetStopRequest(std::function<bool()> stopRequested) override {
    context_.stopRequested = stopRequested;
    ledger_.SetStopRequest(std::move(stopRequested));
  }

  // ".rar", ".7z", ".zip", ".exe" by the first three bytes, or "" (also for files of 3 bytes or
  // less and files that cannot be read).
  QString GetFileRealExt(const QString& FilePath) const override;
  // Built-in extension (case-sensitive) or an existing plug-in file for it.
  bool isSupportExt(const QString& extName) const override;

  // Extracts with UnCompressPwd into Dir, by the format the signature shows.
  TExtractResult UnCompressFile(const QString& CompressFile, const QString& Dir) override;
  TTestResult TestArchive(const QString& archive) override;
  // Packs the folder or file Dir; the format follows CompressFile's extension (any case).
  bool CompressFile(const QString& Dir, const QString& CompressFile);
  // Clears FileList and fills it for RAR, ZIP and 7z; returns 0 for any other format. RAR is listed
  // through the unrar library, or through the RAR packer when the library is missing or cannot.
  int GetFileList(const QString& CompressFile) override;

  // The engine folder in use, ending with '/'.
  QString GetEngineFolder() const;
  bool RarExeExists() const override;
  QString MissingPackingEngine(const QString& format) const override;
  // Runs a program hidden from its own folder and waits; -1 when it cannot be started.
  int RunEngine(const QString& program, const QString& parameters) const;

  // RAR packing through the command-line packer: one operation per run.
  bool RarFile(const QString& rarDir, const QString& rarFile);
  bool AddComment(const QString& CompressPath);
  bool SetLock(const QString& CompressPath);
  // A whole output in as few runs as give the same archive (TRarPacker).
  bool RarFile(const QStringList& rarDirs, const QString& rarFile, bool lock) override;
  // Extraction through the unrar library; its format is ".rar".
  TExtractResult UnRarFile(const QString& rarFile, const QString& rarDir);

  // 7z through the 7z library. Packing reports false, leaving no output, when it failed.
  bool c7ZipFile(const QString& c7ZipDir, const QString& c7ZipFile);
  bool c7ZipFile(const QStringList& c7ZipDirs, const QString& c7ZipFile) override;
  TExtractResult Unc7ZipFile(const QString& c7zipFile, const QString& c7zipDir);

  // ZIP, written in house.
  bool ZipFile(const QString& zipDir, const QString& ZipFile);
  bool ZipFile(const QStringList& zipDirList, const QString& ZipFile) override;
  TExtractResult UnZipFile(const QString& ZipFile, const QString& UnzipDir);

  // Extraction through the plug-in file of CompressFile's own extension.
  TExtractResult UnCompressByPlugin(const QString& CompressFile, const QString& Dir);
  QString FindPluginExt(const QString& CompressFile) const override;
  TExtractResult UnCompressByPlugin(const QString& CompressFile, const QString& Dir,
                                    const QString& pluginExt) override;

 private:
  // The context with the engine folder of this moment, for the engine of one operation.
  TEngineContext& Context();
  TExtractResult UnSelfExtracting(const QString& compressFile, const QString& dir);
  int ListRar(const QString& archive);
  TTestResult TestRar(const QString& archive);
  TUnRarEngine UnRarEngine();
  // Runs one engine operation: the one place where an engine's failure (an exception included)
  // becomes the operation's result, and where its cause is logged. `what` names the operation
  // for the log.
  template <class Result, class Operation>
  Result RunOperation(const QString& what, Result failure, Operation&& operation);
  // RunOperation for the three kinds, named for the log. An extraction is accounted in the
  // ledger while it runs; then its folder is settled (regular files and folders only), and a
  // stop or a refused entry fails it with the cause logged; a failure to write is logged with the
  // system's reason (ExplainWriteFailure). Its result is of the given format.
  template <class Operation>
  TExtractResult Extraction(const QString& archive, const char* engine, const QString& format,
                            const QString& dir, Operation&& operation);
  // After a failed extraction: the cause becomes the system's reason for the first write that
  // failed, or tells that the folder's disk is full, where the engine's own words hide it.
  void ExplainWriteFailure();
  template <class Operation>
  bool Packing(const QString& archive, const char* engine, Operation&& operation);
  template <class Operation>
  TTestResult Testing(const QString& archive, const char* engine, Operation&& operation);
  template <class Operation>
  int Listing(const QString& archive, const char* engine, Operation&& operation);

  QString defaultEngineFolder_;
  TEngineContext context_;
  TExtractLimits limits_;
  TExtractLedger ledger_;
  QStringList FFileList;
};
