#pragma once
// Entry-name encoding. Writing: the OEM code page when the name survives the trips through the
// ANSI and the OEM code page unchanged, else UTF-8 with flag bit 11. Reading: UTF-8 when the
// flag (or an Info-ZIP Unicode Path field) says so, or for a Unix-made name that is valid UTF-8;
// else the OEM code page.
#include <QByteArray>
#include <QString>

#include "compress/zip/ZipRecords.h"

struct TZipName {
  QByteArray bytes;
  bool utf8 = false;
};

class TZipNameEncoder {
 public:
  TZipNameEncoder();
  TZipName Encode(const QString& name) const;

 private:
  // Whether printable ASCII is stored as itself in both pages (checked once), so that most
  // names skip the converters.
  bool asciiIsSafe_ = false;
};

// The entry name as both readers and the listing see it ('\' kept as stored). An empty entry that
// its attributes alone mark a folder gets a trailing '/', as a folder entry's name has; one that
// holds data stays a file, so no data is ever dropped for an attribute.
QString DecodeEntryName(const TZipEntryRecord& entry);
