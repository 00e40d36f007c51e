#pragma once
// The archive facade as its callers see it: what a run, the packing step and the update asks of
// archives. TvxCompress is the one implementation; tests put a scripted fake in its place.
//
// Extraction returns one TExtractResult per call, a test one TTestResult, listing a TCompressResult code, packing a
// Boolean. A 7z library that exists but cannot be loaded raises E7zLoadError to the caller; every
// other failure of an engine is a result, with its cause logged (harrowmint.engine).
//
// What packing leaves on the disk: every format writes its output under working names beside it
// (compress/common/WorkingNames.h) and renames onto the output only when complete; the files it
// hands to a program lie in the temp folder. A process killed while packing leaves exactly these:
// the output's name (reserved or partial), its working names, and files in the temp folder.
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

#include "compress/common/CompressResult.h"
#include "compress/common/EngineLoadError.h"
#include "compress/common/ExtractResult.h"
#include "compress/common/Progress.h"
#include "compress/common/TestResult.h"
#include "util/ExtractLimits.h"

class IArchiveFacade {
 public:
  virtual ~IArchiveFacade() = default;

  // Set before the first operation; the decompression password may change between extractions
  // (an item tries the password list).
  virtual void SetCompressPwd(const QString& value) = 0;
  virtual QString CompressPwd() const = 0;
  virtual void SetUnCompressPwd(const QString& value) = 0;
  virtual void SetCommentFile(const QString& value) = 0;
  // Where the engines put the files they hand to a program, ending with '/': a folder the caller
  // removes (a run's own). The system's temp folder until set.
  virtual void SetTempFolder(const QString& folder) = 0;
  // How far an extraction may fill the disk; the defaults of TExtractLimits until set.
  virtual void SetExtractLimits(const TExtractLimits& limits) = 0;
  // Where the engines' warnings for the user go (an outdated unrar library).
  virtual void SetOnEngineWarning(std::function<void(const QString& message)> handler) = 0;
  // Hears how far each extraction and packing has come while it runs, on the working threads and
  // unthrottled. Extraction reports the bytes written with the total the archive's listing gives
  // (none for a plug-in); packing reports the source bytes packed (the RAR packer by its
  // percentage). Empty: nobody listens.
  virtual void SetOnProgress(TProgressHandler handler) = 0;
  // Asked at every block while an extraction or packing works in the process (the ZIP engine,
  // the 7z library, the unrar library's writes); once it says yes the operation ends at its next
  // block and fails, leaving no output (an extraction's work folder keeps what it wrote). Engine
  // programs are ended by the caller instead. Empty: never.
  virtual void SetStopRequest(std::function<bool()> stopRequested) = 0;

  // ".rar", ".7z", ".zip", ".exe" by the first three bytes, or "".
  virtual QString GetFileRealExt(const QString& FilePath) const = 0;
  // Built-in extension (case-sensitive) or an existing plug-in file for it.
  virtual bool isSupportExt(const QString& extName) const = 0;
  // Extracts into Dir with the decompression password, by the format the signature shows (a
  // self-extracting archive by the engine that opens it). Dir then holds regular files and
  // folders only, readable and writable by their owner. An extraction that would pass the limits,
  // or that meets a device, pipe or socket, fails (crFailed).
  virtual TExtractResult UnCompressFile(const QString& CompressFile, const QString& Dir) = 0;
  // For a file that no built-in format claims: the longest extension of its name whose plug-in
  // file exists (".tar.gz" for targz.pk before ".gz" for gz.pk), or "".
  virtual QString FindPluginExt(const QString& CompressFile) const = 0;
  // Extracts into Dir with the plug-in file of pluginExt, whatever the file's signature and last
  // extension say (UnCompressFile keeps its own choice). Its format is "".
  virtual TExtractResult UnCompressByPlugin(const QString& CompressFile, const QString& Dir,
                                            const QString& pluginExt) = 0;
  // What one try of the decompression password on CompressFile costs before its engine can tell
  // whether the password is right, in seconds: the key derivation its headers ask for (RAR 5, 7z,
  // either behind a self-extracting stub), estimated for this machine. 0 without a password, and
  // when the headers ask for none or cannot be read (RAR 4, ZIP, compressed 7z headers: a try of
  // those costs little, or no more than the extraction).
  virtual double PasswordTrySeconds(const QString& CompressFile) const = 0;
  // Reads every entry's data of an archive back and checks it, with the output password
  // (CompressPwd): the archives a run makes are tested with it before they count. By the
  // signature: ZIP by the ZIP engine on its threads, 7z by the 7z library's test mode, RAR by the
  // unrar library's test or, without the library, by the RAR packer's. Writes nothing.
  virtual TTestResult TestArchive(const QString& archive) = 0;
  // Fills FileList with the archive's entry names; 0 for a format that cannot be listed.
  virtual int GetFileList(const QString& CompressFile) = 0;
  virtual QStringList FileList() const = 0;

  virtual bool RarExeExists() const = 0;
  // The engine file packing in `format` (".rar", ".zip", ".7z") needs when the engine folder lacks
  // it (the RAR packer, the 7z library); "" when it is there or the format needs none (ZIP).
  virtual QString MissingPackingEngine(const QString& format) const = 0;
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
