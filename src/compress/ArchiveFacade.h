#pragma once
// The archive facade as its callers see it: what a run, the packing step and the update asks of
// archives. TvxCompress is the one implementation; tests put a scripted fake in its place.
//
// Extraction and listing return TCompressResult codes; packing returns a Boolean. A 7z library
// that exists but cannot be loaded raises E7zLoadError to the caller; every other failure of an
// engine is a result, with its cause logged (harrowmint.engine).
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

#include "compress/common/CompressResult.h"
#include "compress/common/EngineLoadError.h"

class IArchiveFacade {
 public:
  virtual ~IArchiveFacade() = default;

  // Set before the first operation and left as they are.
  virtual void SetCompressPwd(const QString& value) = 0;
  virtual QString CompressPwd() const = 0;
  virtual void SetUnCompressPwd(const QString& value) = 0;
  virtual void SetCommentFile(const QString& value) = 0;
  // Where the engines' warnings for the user go (an outdated unrar library).
  virtual void SetOnEngineWarning(std::function<void(const QString& message)> handler) = 0;

  // ".rar", ".7z", ".zip", ".exe" by the first three bytes, or "".
  virtual QString GetFileRealExt(const QString& FilePath) const = 0;
  // Built-in extension (case-sensitive) or an existing plug-in file for it.
  virtual bool isSupportExt(const QString& extName) const = 0;
  // Extracts into Dir with the decompression password; sets CompressFileExt.
  virtual int UnCompressFile(const QString& CompressFile, const QString& Dir) = 0;
  // The format found by the last UnCompressFile.
  virtual QString CompressFileExt() const = 0;
  // Fills FileList with the archive's entry names; 0 for a format that cannot be listed.
  virtual int GetFileList(const QString& CompressFile) = 0;
  virtual QStringList FileList() const = 0;

  virtual bool RarExeExists() const = 0;
  // A new RAR archive of the folders' content (or single files) at its root, with the comment
  // file's text as comment when that file exists, locked when `lock`; false when any of it
  // failed. Replaces what lies at rarFile only when complete.
  virtual bool RarFile(const QStringList& rarDirs, const QString& rarFile, bool lock) = 0;
  virtual bool ZipFile(const QStringList& zipDirList, const QString& ZipFile) = 0;
  // May raise E7zLoadError.
  virtual bool c7ZipFile(const QStringList& c7ZipDirs, const QString& c7ZipFile) = 0;
};

// Makes the facade of one run.
using TFacadeFactory = std::function<std::unique_ptr<IArchiveFacade>()>;
