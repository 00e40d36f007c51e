#pragma once
// The plug-ins installed in an engine folder, as the installed-engines window and the command
// line's engine listing show them.
#include <QList>
#include <QString>

struct TPluginInfo {
  QString name;       // [info] name
  QString extension;  // the plug-in file's name without ".pk": the extension it serves, no dot
  QString program;    // full path of the program it names
  QString version;    // four numbers; "" when the program is missing

  // "name(*.ext)", e.g. "TAR(*.tar)".
  QString Caption() const { return name + QStringLiteral("(*.") + extension + ')'; }
};

// Every "*.pk" file of the folder that has a name, sorted by file name. The version is asked of
// the program with the plug-in's [cmd] version arguments when it gives them, else it is the
// file's version record ("0.0.0.0" on this platform).
QList<TPluginInfo> ListInstalledPlugins(const QString& engineFolder);
