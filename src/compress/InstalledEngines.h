#pragma once
// What an engine folder offers, one row per engine and per installed plug-in, each with its
// verdict: what `harrowmint-cli --engines` prints and the installed-engines window shows.
#include <QList>
#include <QString>

struct TInstalledEngine {
  enum TKind { ekEngine, ekPlugin };
  enum TState {
    esReady,     // present and usable
    esMissing,   // the engine file, or the program a plug-in names, is not there
    esUnusable,  // an engine file that does not run or load as the engine it should be
  };

  TKind kind = ekEngine;
  TState state = esMissing;
  QString caption;  // engine: its file name ("rar"); plug-in: "name(*.ext)"
  QString program;  // full path of the engine file, or of the program the plug-in names
  QString version;  // four numbers; "" when missing (and for a packer that cannot be run)
  QString note;     // engine: what else it reports, or why it cannot be used; plug-in: ""
};

// The three engines in a fixed order (the RAR packer, the unrar library, the 7z library), then
// the plug-ins that have a name, sorted by file name. Asks each program present for its version.
QList<TInstalledEngine> ListInstalledEngines(const QString& engineFolder);
