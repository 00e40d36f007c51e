#pragma once
// A plug-in file "<ext>.pk" in the engine folder: an INI text naming the program that extracts
// archives of one extension, its parameter template and the exit code that means success.
// Read afresh for every use; a missing or unreadable file reads as all defaults.
#include <QString>
#include <QStringList>

struct TPluginFile {
  QString name;               // [info] name: shown in the list of installed plug-ins
  QString file;               // [info] file: the program, relative to the engine folder
  QString useExternal = "0";  // [info] useExternal: "1" takes over a built-in format
  QString uncompress;         // [cmd] uncompress: template with {file}, {dir}, {pwd}
  QString version;            // [cmd] version: arguments that make the program print its version
  int ok = 0;                 // [result] ok: the exit code of success

  static TPluginFile Read(const QString& path);

  bool TakesOverBuiltIn() const { return useExternal == QLatin1String("1"); }
};

// engine folder + the extension with every '.' removed + ".pk" (".tar" -> "tar.pk").
QString PluginFilePath(const QString& engineFolder, const QString& extension);
// Whether the plug-in file of the extension exists, whatever it holds.
bool PluginFileExists(const QString& engineFolder, const QString& extension);

// The extensions of a file's name, longest first, each made of whole non-empty parts after the
// name's first part: "a.tar.gz" -> ".tar.gz", ".gz"; ".gz" -> ".gz"; "a..gz" -> ".gz"; "README",
// "a." -> none.
QStringList MultiPartExtensions(const QString& path);
// The longest of MultiPartExtensions(path) whose plug-in file exists, so a plug-in for ".tar.gz"
// (targz.pk) is chosen before the one for ".gz" (gz.pk); "" when none has one.
QString FindPluginExtension(const QString& engineFolder, const QString& path);
