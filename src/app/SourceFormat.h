#pragma once
// How a run takes a source file: as an archive the facade extracts by its own dispatch, as an
// archive of a format only a plug-in of its name's extension opens (when the run extracts those
// formats), or as a plain file packed as it is.
#include <QString>

#include "compress/ArchiveFacade.h"

struct TSourceFormat {
  QString detected;      // GetFileRealExt: ".rar", ".7z", ".zip", ".exe" or ""
  bool archive = false;  // extracted, cleaned and packed again; otherwise packed as it is
  QString pluginExt;     // the extension whose plug-in extracts it (".tar.gz"); "" for the facade's choice

  bool byPlugin() const { return !pluginExt.isEmpty(); }
};

// An extraction into a work folder of its own.
struct TExtraction {
  TExtractResult result;  // of the try that opened it; the code that stands when none did
  QString folder;         // the work folder holding the content, after a success
  // The line of the run's password list that opened it (from 0); -1 for the decompression
  // password, none needed, or a failure.
  int passwordIndex = -1;
  bool stopped = false;  // a stop request ended the tries, or came before the first
};

// Without pluginFormats, the signature and the facade's support test decide alone. With it, a file
// whose signature is none of the built-in ones goes to the plug-in of the longest extension of its
// name that has one (".tar.gz" before ".gz"); a file none has one for is decided as without it.
TSourceFormat DetectSourceFormat(const IArchiveFacade& compress, const QString& source, bool pluginFormats);

// Extracts an archive into dir the way its format was found.
TExtractResult ExtractSource(IArchiveFacade& compress, const TSourceFormat& format, const QString& source,
                             const QString& dir);
