#pragma once
// Writes one entry to disk, for both readers: a folder entry creates its folder; a file entry is
// decoded into its file, which gets the entry's time (and, from Unix archives, its permission
// bits). A file that fails half-way is removed, never left truncated. Symbolic-link entries are
// written as plain files holding the link's target text, as Windows extractors do: no link is
// ever created, so none can point outside the destination.
#include <QByteArray>
#include <QString>

#include "compress/common/ExtractTarget.h"
#include "compress/zip/ZipEntryDecoder.h"
#include "compress/zip/ZipRecords.h"

class TZipInput;

enum class TZipExtractOutcome {
  Folder,       // a folder entry, its folder created
  File,         // a file written completely
  BadPassword,  // encrypted, and the password does not open it
  Unsafe,       // a name that would leave the destination: skipped
  Failed,       // unsupported, damaged, or the file could not be written
};

class TZipExtractor {
 public:
  // One extractor per thread, each with its own input; the target may be shared.
  TZipExtractor(TZipInput& archive, TExtractTarget& target);
  TZipExtractOutcome Extract(const TZipEntryRecord& entry, const QString& name, const QByteArray& password);

 private:
  TZipExtractOutcome WriteFile(const TZipEntryRecord& entry, const std::string& path);

  TExtractTarget& target_;
  TZipEntryDecoder decoder_;
};

// True for names that end with a separator: such an entry only creates its folder.
bool IsFolderEntryName(const QString& name);
// True for names made only of separators and "." ("./"): the destination folder itself.
bool NamesDestinationItself(const QString& name);
