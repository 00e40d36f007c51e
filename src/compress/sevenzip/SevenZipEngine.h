#pragma once
// The 7z operations of the facade: packing folders into a 7z archive, extracting one, and
// listing its entries, all through the 7-Zip library "7z.so" in the engine folder, loaded for
// each operation. A library that exists but cannot be loaded raises E7zLoadError.
#include <QString>
#include <QStringList>

#include "compress/common/CompressResult.h"
#include "compress/common/EngineContext.h"
#include "compress/common/EngineInfo.h"
#include "compress/common/EngineLoadError.h"
#include "compress/sevenzip/SevenZipAbi.h"

class TSevenZipEngine {
 public:
  explicit TSevenZipEngine(TEngineContext& context);

  // Packs the files below the folder(s) with Deflate64 and the context's compress password.
  // Returns false when the archive could not be written; no partial archive is left behind.
  bool c7ZipFile(const QString& c7ZipDir, const QString& c7ZipFile);
  bool c7ZipFile(const QStringList& c7ZipDirs, const QString& c7ZipFile);

  // Extracts every item into c7zipDir with the context's decompression password. A wrong
  // password cannot be told from damage: both are crFailed.
  int Unc7ZipFile(const QString& c7zipFile, const QString& c7zipDir);  // TCompressResult
  // Extracts a ZIP archive through the library's ZIP reader, for the methods and encryptions the
  // in-house engine does not read (AES, Deflate64, BZip2, LZMA). As the in-house engine does, it
  // reports encrypted entries that fail as crWrongPassword and sets m_Error 22. A split set's .zip
  // (x.z01 ... beside it) brings its other volumes, read by their names; a missing one fails the
  // items it holds.
  int UnZipFile(const QString& zipFile, const QString& unzipDir);  // TCompressResult

  // Decodes every item of the archive in the library's test mode with the password, writing
  // nothing; the format by its class id (a 7z archive, or a ZIP through the library's ZIP reader).
  // crSuccess when every item checks; a wrong password cannot be told from damage: crFailed.
  int TestArchive(const QString& archivePath, const QString& password, const z7::GUID& format);  // TCompressResult

  // Replaces fileList with the archive's item paths, folders included, in archive order.
  int List7zFiles(const QString& archivePath, QStringList& fileList);  // TCompressResult

  // The library file this engine loads: engine folder + "7z.so".
  QString LibraryPath() const;
  // The library loaded once: its format and module version, or why it cannot be loaded. Never
  // raises E7zLoadError.
  TEngineInfo Describe() const;

 private:
  enum class TFailedEncrypted { Failed, WrongPassword };
  // Every item of an archive of the format into dir; failed items of an archive whose password
  // was asked count as `failedEncrypted`. Records in the context whether the password was asked.
  int ExtractAll(const QString& archivePath, const QString& dir, const z7::GUID& format,
                 TFailedEncrypted failedEncrypted);
  int MissingLibrary();
  int CannotOpen(z7::HRESULT result);

  TEngineContext& context_;
};
