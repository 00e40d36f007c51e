#pragma once
// The output archive's path of one item, fixed before the item is touched: a base name (time
// stamp or the source's filtered name), the user's template, a "_N" suffix that makes it unique,
// and whether replace-source mode lets the item through at all.
#include <QDateTime>
#include <QString>
#include <QStringList>

#include "app/OutputReservations.h"
#include "settings/DataFolder.h"
#include "settings/Settings.h"

// Removes every line of the name-filter list from the name (empty lines skipped), ignoring case,
// each line working on the result of the ones before.
QString FilterFileName(const QString& name, const QStringList& nameDeleteList);
// The same with NameDelete.dat, read anew at every call.
QString FilterFileName(const QString& name, const QString& nameDeleteFile);

// Every "v" and then every "V" taken out together with the run of digits and dots after it.
QString StripVersionText(const QString& name);

struct TOutputName {
  QString CompressPath;  // nothing else exists at this path at naming time
  bool eligible = true;  // false: replace-source mode and not a ".zip", ".rar" or ".7z" source
  QString baseName;      // what precedes the "_N" suffix and the extension
};

class TOutputNaming {
 public:
  // outputPath ends in '/'; outputExt is the run's GetOutputExt. onUnreadable hears of
  // NameDelete.dat when it exists but cannot be read; names are then not filtered.
  TOutputNaming(const TSettings& settings, QString outputPath, QString outputExt, QString nameDeleteFile,
                TUnreadableFile onUnreadable = {});

  // formatExt: the extension that names the source's format when it is longer than the last one
  // (".tar.gz" of a file a plug-in extracts), so the base name loses all of it; "" for the last.
  // With reservations, the name is held there as well (FreePath).
  TOutputName Name(const QString& source, const QDateTime& now, const QString& formatExt = {},
                   TOutputReservations* reservations = nullptr) const;
  TOutputName Name(const QString& source, const QString& formatExt = {},
                   TOutputReservations* reservations = nullptr) const {
    return Name(source, QDateTime::currentDateTime(), formatExt, reservations);
  }

  // Base name and template, before the suffix and extension.
  QString OutputBaseName(const QString& source, const QDateTime& now, const QString& formatExt = {}) const;

  // The first path of outputPath + baseName + ("" or "_1", "_2", ...) + ext where nothing exists;
  // with reservations, the first such path they could hold (another item or program may take a
  // free name before this one holds it), or one they cannot hold at all.
  QString FreePath(const QString& baseName, const QString& ext, TOutputReservations* reservations = nullptr) const;

 private:
  const TSettings& settings_;
  QString outputPath_;
  QString outputExt_;
  QString nameDeleteFile_;
  TUnreadableFile onUnreadable_;
};
