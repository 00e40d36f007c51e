#pragma once
// The in-house ZIP engine behind the facade: packs folders and files into ZIP archives (deflate,
// optional traditional PKWARE encryption, ZIP64 when needed) and extracts or lists them.
#include <QString>
#include <QStringList>

#include "compress/common/EngineContext.h"

class TZipEngine {
 public:
  explicit TZipEngine(TEngineContext& context);

  // Packs one folder (its contents become the archive root) or one file. A trailing '/' is
  // dropped. False on any error, and then no archive is left at zipFile.
  bool ZipFile(const QString& zipDir, const QString& zipFile);
  // Packs source patterns such as "folder/*"; each pattern's folder part is a relative-path root.
  bool ZipFile(const QStringList& zipDirList, const QString& zipFile);

  // Extracts everything into unzipDir. Returns a TCompressResult; a bad password sets m_Error 22.
  int UnZipFile(const QString& zipFile, const QString& unzipDir);
  // False when an entry uses a method or encryption this engine does not read (AES, Deflate64,
  // BZip2, LZMA, ...): such an archive is for the 7z library's ZIP reader. True also when the
  // directory cannot be read, which UnZipFile then reports.
  static bool ReadsEveryEntry(const QString& zipFile);
  // Reads every entry's data back (TZipTester) with the password, on the engine's threads.
  // Returns a TCompressResult; writes nothing.
  int TestZipFile(const QString& zipFile, const QString& password);
  // Fills fileList with the entry names ('/'-separated, folders end with '/'), in directory order.
  int ListZipFiles(const QString& zipFile, QStringList& fileList);

  // Handler of the general reader's bad-password event.
  void OnZipBadPassword();

  // Threads that deflate when packing and write files when extracting (0: one per core). The
  // archive, or the extracted tree, is the same for any value.
  void SetThreadCount(int threads) { threads_ = threads; }

 private:
  int Threads() const;

  TEngineContext& context_;
  int threads_ = 0;
};
