#pragma once
// The run's facade: the real TvxCompress behind IArchiveFacade.
#include "app/ArchiveFacade.h"
#include "compress/vxCompress.h"

class TvxCompressFacade : public IArchiveFacade {
 public:
  explicit TvxCompressFacade(const QString& engineFolder) : compress_(engineFolder) {}

  void SetCompressPwd(const QString& value) override { compress_.SetCompressPwd(value); }
  QString CompressPwd() const override { return compress_.CompressPwd(); }
  void SetUnCompressPwd(const QString& value) override { compress_.SetUnCompressPwd(value); }
  void SetCommentFile(const QString& value) override { compress_.SetCommentFile(value); }
  void SetOnEngineWarning(std::function<void(const QString& message)> handler) override {
    compress_.OnEngineWarning = std::move(handler);
  }

  QString GetFileRealExt(const QString& path) override { return TvxCompress::GetFileRealExt(path); }
  bool isSupportExt(const QString& extName) override { return compress_.isSupportExt(extName); }
  int UnCompressFile(const QString& archive, const QString& dir) override {
    return compress_.UnCompressFile(archive, dir);
  }
  QString CompressFileExt() const override { return compress_.CompressFileExt(); }
  int GetFileList(const QString& archive) override { return compress_.GetFileList(archive); }
  QStringList FileList() const override { return compress_.FileList; }

  bool RarExeExists() const override { return compress_.RarExeExists(); }
  bool RarFile(const QString& rarDir, const QString& rarFile) override {
    return compress_.RarFile(rarDir, rarFile);
  }
  bool AddComment(const QString& archive) override { return compress_.AddComment(archive); }
  bool SetLock(const QString& archive) override { return compress_.SetLock(archive); }
  bool ZipFile(const QStringList& sources, const QString& archive) override {
    return compress_.ZipFile(sources, archive);
  }
  bool c7ZipFile(const QStringList& dirs, const QString& archive) override {
    return compress_.c7ZipFile(dirs, archive);
  }

 private:
  TvxCompress compress_;
};

// The factory a run uses unless a test gives its own.
inline TFacadeFactory vxCompressFactory(const QString& engineFolder) {
  return [engineFolder] { return std::make_unique<TvxCompressFacade>(engineFolder); };
}
