#pragma once
// The engines found in an engine folder, with what each can tell about itself: for the
// command line's engine listing and the installed-engines window.
#include <QList>
#include <QString>

struct TEngineInfo {
  QString name;            // file name in the engine folder: "rar", "libunrar.so", "7z.so"
  QString path;            // full path
  bool installed = false;  // the file exists
  bool usable = false;     // it runs or loads as the engine it should be
  QString version;         // four numbers ("0.0.0.0" when the engine cannot tell); "" when missing
  QString note;            // what else it reports, or why it cannot be used
};

// The three engines in a fixed order: the RAR packer, the unrar library, the 7z library.
QList<TEngineInfo> ListEngines(const QString& engineFolder);
