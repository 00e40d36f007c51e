#include "app/SourceFormat.h"

TSourceFormat DetectSourceFormat(const IArchiveFacade& compress, const QString& source, bool pluginFormats) {
  TSourceFormat format;
  format.detected = compress.GetFileRealExt(source);
  if (pluginFormats && format.detected.isEmpty()) format.pluginExt = compress.FindPluginExt(source);
  format.archive = format.byPlugin() || compress.isSupportExt(format.detected);
  return format;
}

TExtractResult ExtractSource(IArchiveFacade& compress, const TSourceFormat& format, const QString& source,
                             const QString& dir) {
  // The facade's own dispatch would pick the plug-in of the last extension only (gz.pk for
  // ".tar.gz"), so the one found here is named to it.
  if (format.byPlugin()) return compress.UnCompressByPlugin(source, dir, format.pluginExt);
  return compress.UnCompressFile(source, dir);
}
