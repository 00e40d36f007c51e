#pragma once
// Extraction through an outside command-line program described by a plug-in file: the formats
// beyond RAR, ZIP and 7z, or one of those when its plug-in takes it over.
#include <QString>

#include "compress/common/CompressResult.h"
#include "compress/common/EngineContext.h"

class TPluginEngine {
 public:
  explicit TPluginEngine(TEngineContext& context);

  // Runs the program of the plug-in file of CompressFile's own extension and waits for it.
  // crEngineLoadFailed: no such program; crFailed: no template, or an exit code other than the
  // plug-in's "ok"; crSuccess otherwise.
  int UnCompressByPlugin(const QString& CompressFile, const QString& Dir);  // TCompressResult
  // The same through the plug-in file of `extension` (".tar.gz": targz.pk) instead.
  int UnCompressByPlugin(const QString& CompressFile, const QString& Dir, const QString& extension);

 private:
  TEngineContext& context_;
};
