#pragma once
// A stand-in for the archive facade that the runner and packing tests script: which files are
// archives, what extracting them gives, and what packing makes (its listing names every file
// packed). It records every call.
#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>

#include "compress/ArchiveFacade.h"
#include "compress/common/CompressResult.h"
#include "compress/common/EngineLoadError.h"
#include "support/TestSupport.h"

struct FakeArchive {
  QString detected = QStringLiteral(".zip");  // GetFileRealExt
  int code = crSuccess;                       // UnCompressFile
  QString realFormat;                         // the result's format after success; empty: detected
  QMap<QString, QByteArray> content;          // written into the folder on success
  // Set: only this decompression password opens the archive; any other gives wrongPasswordCode.
  std::optional<QString> password;
  int wrongPasswordCode = crWrongPassword;
  bool complete = true;      // the result's complete: nothing refused or converted
  QString warning;           // given to the warning handler as it is extracted
  double secondsPerTry = 0;  // PasswordTrySeconds with a password set
  // What extracting it writes, for the limits: past SetExtractLimits' maxBytes (its priorBytes
  // counted) the extraction fails with overLimit.
  quint64 written = 0;
};

class FakeFacade : public IArchiveFacade {
 public:
  // Keyed by the source's file name.
  QMap<QString, FakeArchive> archives;
  // FindPluginExt, keyed by the source's file name; UnCompressByPlugin then extracts the entry
  // of `archives` (whose `detected` should be empty, as for any format no signature gives).
  QMap<QString, QString> pluginExts;
  qint64 outputSize = 10000;
  QStringList smallOutputs;  // base names of outputs written below the plausible size instead
  bool rarMissing = false;
  bool packFails = false;           // every add fails, leaving a partial file
  bool throwLoadErrorOn7z = false;  // c7ZipFile raises E7zLoadError
  bool throwOnExtract = false;      // UnCompressFile raises a plain exception
  QList<int> listResults;           // GetFileList results in call order, then listResult
  int listResult = crSuccess;
  int testResult = crSuccess;       // TestArchive's code
  QStringList leaveOut;                // files packing leaves out of the output, silently
  std::function<void()> whileRarRuns;  // called inside each RarFile, as a stop request would come
  QString warning;                     // given to the warning handler at each extraction
  // Called inside each extraction and packing with the handler SetOnProgress gave (an empty one
  // when none), so a test can report progress as an engine would, and wait as a slow one does.
  std::function<void(const TProgressHandler& report, TProgress::TPhase phase)> whileWorking;

  // Shared by copies, so a test can read what the run's own copies did (one per worker).
  struct Log {
    std::mutex mutex;
    QStringList calls;               // "RarFile <source>|<source> -k", "ZipFile <source>", ...
    QList<QStringList> packedTrees;  // what each add saw below its source folder
    QString unCompressPwd;
    QStringList triedPasswords;  // the decompression password of each extraction
    QStringList extractedInto;   // the folder of each extraction, and whether it was empty
    QString commentFile;
    QString tempFolder;
    std::optional<TExtractLimits> limits;
  };
  std::shared_ptr<Log> log = std::make_shared<Log>();
  QStringList& calls = log->calls;
  QString compressPwd;

  void SetCompressPwd(const QString& value) override { compressPwd = value; }
  QString CompressPwd() const override { return compressPwd; }
  void SetUnCompressPwd(const QString& value) override {
    std::lock_guard lock(log->mutex);
    log->unCompressPwd = value;
  }
  void SetCommentFile(const QString& value) override {
    std::lock_guard lock(log->mutex);
    log->commentFile = value;
  }
  void SetTempFolder(const QString& folder) override {
    std::lock_guard lock(log->mutex);
    log->tempFolder = folder;
  }
  void SetExtractLimits(const TExtractLimits& limits) override {
    std::lock_guard lock(log->mutex);
    log->limits = limits;
  }
  void SetOnEngineWarning(std::function<void(const QString& message)> handler) override {
    onWarning_ = std::move(handler);
  }
  void SetOnProgress(TProgressHandler handler) override { onProgress_ = std::move(handler); }
  void SetStopRequest(std::function<bool()> stopRequested) override { stopRequested_ = std::move(stopRequested); }
  // Whether the run asked the engines to stop by now.
  bool StopRequested() const { return stopRequested_ && stopRequested_(); }

  QString GetFileRealExt(const QString& path) const override {
    const QString name = QFileInfo(path).fileName();
    return archives.contains(name) ? archives.value(name).detected : QString();
  }
  bool isSupportExt(const QString& extName) const override {
    return QStringLiteral(";.zip;.rar;.7z;.exe;").contains(';' + extName + ';');
  }
  TExtractResult UnCompressFile(const QString& archive, const QString& dir) override {
    Call("UnCompressFile");
    const FakeArchive& a = archives[QFileInfo(archive).fileName()];
    {
      std::lock_guard lock(log->mutex);
      log->triedPasswords << log->unCompressPwd;
      log->extractedInto << dir + (QDir(dir).isEmpty() ? " empty" : " not empty");
    }
    TExtractResult result = Extract(a, dir);
    result.format = result.succeeded() && !a.realFormat.isEmpty() ? a.realFormat : a.detected;
    return result;
  }
  double PasswordTrySeconds(const QString& archive) const override {
    return UnCompressPwd().isEmpty() ? 0 : archives.value(QFileInfo(archive).fileName()).secondsPerTry;
  }
  QString FindPluginExt(const QString& archive) const override {
    return pluginExts.value(QFileInfo(archive).fileName());
  }
  TExtractResult UnCompressByPlugin(const QString& archive, const QString& dir,
                                    const QString& pluginExt) override {
    Call("UnCompressByPlugin " + pluginExt);
    return Extract(archives[QFileInfo(archive).fileName()], dir);
  }
  int GetFileList(const QString& archive) override {
    Call("GetFileList");
    fileList_ = packed_.value(archive);
    return listResults.isEmpty() ? listResult : listResults.takeFirst();
  }
  QStringList FileList() const override { return fileList_; }
  TTestResult TestArchive(const QString& archive) override {
    Call("TestArchive " + QFileInfo(archive).fileName());
    TTestResult result;
    result.code = testResult;
    if (!result.passed()) result.cause = QStringLiteral("scripted");
    return result;
  }

  bool RarExeExists() const override { return !rarMissing; }
  QString MissingPackingEngine(const QString& format) const override {
    return rarMissing && format == QLatin1String(".rar") ? QStringLiteral("/engines/rar") : QString();
  }
  bool RarFile(const QStringList& rarDirs, const QString& rarFile, bool lock) override {
    Call("RarFile " + rarDirs.join('|') + (lock ? " -k" : ""));
    if (whileRarRuns) whileRarRuns();
    return Pack(rarDirs, rarFile);
  }
  bool ZipFile(const QStringList& sources, const QString& archive) override {
    Call("ZipFile " + sources.join('|'));
    return Pack(sources, archive);
  }
  bool c7ZipFile(const QStringList& dirs, const QString& archive) override {
    Call("c7ZipFile " + dirs.join('|'));
    if (throwLoadErrorOn7z) throw E7zLoadError("7z.so is not a 7z library");
    return Pack(dirs, archive);
  }

 private:
  QString UnCompressPwd() const {
    std::lock_guard lock(log->mutex);
    return log->unCompressPwd;
  }
  void Call(const QString& call) {
    std::lock_guard lock(log->mutex);
    log->calls << call;
  }
  TExtractResult Extract(const FakeArchive& a, const QString& dir) {
    for (const QString& w : {warning, a.warning})
      if (!w.isEmpty()) onWarning_(w);
    if (throwOnExtract) throw std::runtime_error("engine trouble");
    TExtractResult result;
    result.encrypted = a.password.has_value();
    if (a.password && *a.password != UnCompressPwd()) {
      testsupport::WriteFile(dir + "/partial.bin", "left by a failed try");
      result.code = a.wrongPasswordCode;
      return result;
    }
    if (whileWorking) whileWorking(onProgress_, TProgress::TPhase::Extracting);
    {
      std::lock_guard lock(log->mutex);
      const TExtractLimits limits = log->limits.value_or(TExtractLimits{});
      if (limits.maxBytes != 0 && limits.priorBytes + a.written > limits.maxBytes) {
        result.overLimit = true;
        return result;
      }
    }
    result.written = a.written;
    // As an engine that works in the process ends at its next block.
    result.code = StopRequested() ? crFailed : a.code;
    if (result.code != crSuccess) return result;
    for (auto it = a.content.begin(); it != a.content.end(); ++it)
      testsupport::WriteFile(dir + '/' + it.key(), it.value());
    result.complete = a.complete;
    return result;
  }
  bool Pack(const QStringList& sources, const QString& archive) {
    if (whileWorking) whileWorking(onProgress_, TProgress::TPhase::Packing);
    if (StopRequested()) return false;  // and leaves no output, as the engines do
    for (QString source : sources) {
      source.remove(QRegularExpression(QStringLiteral("/\\*?$")));
      const QStringList tree = testsupport::TreeListing(source);
      {
        std::lock_guard lock(log->mutex);
        log->packedTrees << tree;
      }
      for (const QString& entry : tree)
        if (!entry.endsWith('/') && !leaveOut.contains(entry)) packed_[archive] << entry;
    }
    const bool small = packFails || smallOutputs.contains(QFileInfo(archive).completeBaseName());
    testsupport::WriteFile(archive, QByteArray(small ? 100 : outputSize, 'x'));
    return !packFails;
  }

  std::function<void(const QString&)> onWarning_;
  TProgressHandler onProgress_;
  std::function<bool()> stopRequested_;
  QMap<QString, QStringList> packed_;  // the entries of each archive made
  QStringList fileList_;
};

// A factory that gives each run a copy of the script (the copies share its log).
inline TFacadeFactory Factory(const FakeFacade& script) {
  return [script] { return std::make_unique<FakeFacade>(script); };
}
