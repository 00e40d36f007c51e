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

  // Extracts every item into c7zipDir with the context's decompression password.
  int Unc7ZipFile(const QString& c7zipFile, const QString& c7zipDir);  // TCompressResult

  // Extracts a split ZIP set (x.z01 ... beside x.zip) through the library's ZIP handler, which
  // reads the other volumes by their names; a missing one fails the items it holds.
  int UnZipVolumes(const QString& zipFile, const QString& unzipDir);  // TCompressResult

  // Replaces fileList with the archive's item paths, folders included, in archive order.
  int List7zFiles(const QString& archivePath, QStringList& fileList);  // TCompressResult

  // The library file this engine loads: engine folder + "7z.so".
  QString LibraryPath() const;
  // The library loaded once: its format and module version, or why it cannot be loaded. Never
  // raises E7zLoadError.
  TEngineInfo Describe() const;

 private:
  int Extract(const QString& archive, const QString& dir, const z7::GUID& format);
  int MissingLibrary();
  int CannotOpen(z7::HRESULT result);

  TEngineContext& context_;
};
