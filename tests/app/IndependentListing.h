#pragma once
// Entry names of an output archive as independent tools read them (unzip, 7z, unrar), so a
// test never checks our archives with our own reader alone.
#include <QStringList>

#include "support/TestSupport.h"

namespace listing {

// The tool that reads the archive's format, by its extension.
inline QString ToolFor(const QString& archive) {
  if (archive.endsWith(QLatin1String(".zip"))) return QStringLiteral("unzip");
  if (archive.endsWith(QLatin1String(".7z"))) return QStringLiteral("7z");
  return QStringLiteral("unrar");
}

// Sorted names of the files (folders left out); a listing that fails gives {"<unreadable>"}.
inline QStringList FileNames(const QString& archive, const QString& password = {}) {
  const QString tool = ToolFor(archive);
  const QString pwd = password.isEmpty() ? QStringLiteral("-") : password;
  QStringList names;
  if (tool == QLatin1String("unzip")) {
    const testsupport::ToolRun run = testsupport::RunTool(tool, {"-Z1", archive});
    if (run.exitCode != 0) return {QStringLiteral("<unreadable>")};
    for (const QString& line : QString::fromUtf8(run.out).split('\n', Qt::SkipEmptyParts))
      if (!line.endsWith('/')) names << line;
  } else if (tool == QLatin1String("7z")) {
    const testsupport::ToolRun run = testsupport::RunTool(tool, {"l", "-slt", "-p" + pwd, archive});
    if (run.exitCode != 0) return {QStringLiteral("<unreadable>")};
    // Items follow the "----------" line, one block each, separated by empty lines.
    const QString out = QString::fromUtf8(run.out);
    for (const QString& block :
         out.mid(out.indexOf(QLatin1String("----------"))).split(QStringLiteral("\n\n"))) {
      const qsizetype at = block.indexOf(QLatin1String("Path = "));
      if (at < 0) continue;
      const bool folder =
          block.contains(QLatin1String("Folder = +")) || block.contains(QLatin1String("Attributes = D"));
      if (!folder) names << block.mid(at + 7).section('\n', 0, 0);
    }
  } else {
    // "lt" lists every entry with its type; "-p-" never asks for a password.
    const testsupport::ToolRun run = testsupport::RunTool(tool, {"lt", "-p" + pwd, archive});
    if (run.exitCode != 0) return {QStringLiteral("<unreadable>")};
    QString name;
    for (const QString& line : QString::fromUtf8(run.out).split('\n')) {
      const QString trimmed = line.trimmed();
      if (trimmed.startsWith(QLatin1String("Name: "))) name = trimmed.mid(6);
      if (trimmed.startsWith(QLatin1String("Type: File"))) names << name;
    }
  }
  names.sort();
  return names;
}

}  // namespace listing
