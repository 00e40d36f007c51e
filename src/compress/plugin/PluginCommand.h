#pragma once
// The two pure pieces of a plug-in run: the argument vector built from the template, and the
// judgement of the exit code.
#include <QString>
#include <QStringList>

struct TPluginValues {
  QString file;  // {file}: the archive's path as given
  QString dir;   // {dir}: the destination without one trailing separator
  QString pwd;   // {pwd}: the decompression password, possibly empty
};

// Splits the template by the Windows command-line rules first, then replaces "{file}", "{dir}"
// and "{pwd}" (any letter case) inside each argument. A value therefore stays inside the
// argument its placeholder was in, whatever spaces, quotes or shell characters it holds, and is
// never searched for placeholders itself. An unquoted argument that ends up empty (a lone {pwd}
// with no password) is dropped, as it would vanish from a Windows command line; a quoted one
// ("{pwd}") stays one empty argument, so positional arguments after it keep their place.
QStringList PluginArguments(const QString& uncompressTemplate, const TPluginValues& values);

// Exit codes compare as unsigned 32-bit numbers, so a negative expectation never matches; a
// program that could not be started never succeeds.
bool IsExpectedExitCode(int exitCode, int expected);
