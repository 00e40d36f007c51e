#pragma once
// What an engine can tell about itself: for the command line's engine listing and the
// installed-engines window. Each engine class describes its own file.
#include <QString>

struct TEngineInfo {
  QString name;            // file name in the engine folder: "rar", "libunrar.so", "7z.so"
  QString path;            // full path
  bool installed = false;  // the file exists
  bool usable = false;     // it runs or loads as the engine it should be
  // Four numbers (kUnknownVersion when the engine cannot tell), "API N" for the unrar library,
  // which tells its interface's version only; "" when missing or not usable.
  QString version;
  QString note;            // what else it reports, or why it cannot be used
};

// Name, path and whether the file is there; the engine fills in the rest.
TEngineInfo EngineFileInfo(const QString& path);
