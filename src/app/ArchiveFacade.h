#pragma once
// What a run asks of the archive facade. The run's facade is a TvxCompress behind
// TvxCompressFacade; tests put a fake engine in its place.
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class IArchiveFacade {
 public:
  virtual ~IArchiveFacade() = default;

  virtual void SetCompressPwd(const QString& value) = 0;
  virtual QString CompressPwd() const = 0;
  virtual void SetUnCompressPwd(const QString& value) = 0;
  virtual void SetCommentFile(const QString& value) = 0;
  // Where the engines' warnings for the user go (an outdated unrar library).
  virtual void SetOnEngineWarning(std::function<void(const QString& message)> handler) = 0;

  // ".rar", ".7z", ".zip", ".exe" by signature, or "".
  virtual QString GetFileRealExt(const QString& path) = 0;
  virtual bool isSupportExt(const QString& extName) = 0;
  // A TCompressResult; sets CompressFileExt.
  virtual int UnCompressFile(const QString& archive, const QString& dir) = 0;
  virtual QString CompressFileExt() const = 0;
  // A TCompressResult; fills FileList.
  virtual int GetFileList(const QString& archive) = 0;
  virtual QStringList FileList() const = 0;

  virtual bool RarExeExists() const = 0;
  virtual bool RarFile(const QString& rarDir, const QString& rarFile) = 0;
  virtual bool AddComment(const QString& archive) = 0;
  virtual bool SetLock(const QString& archive) = 0;
  virtual bool ZipFile(const QStringList& sources, const QString& archive) = 0;
  // May raise E7zLoadError.
  virtual bool c7ZipFile(const QStringList& dirs, const QString& archive) = 0;
};

// Makes the facade of one run.
using TFacadeFactory = std::function<std::unique_ptr<IArchiveFacade>()>;
