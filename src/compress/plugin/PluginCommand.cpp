#include "compress/plugin/PluginCommand.h"

#include <array>
#include <utility>

#include "util/CommandLine.h"
#include "util/Process.h"

namespace {

// One pass from left to right, so text a value brings in is never replaced again.
QString ReplacePlaceholders(const QString& argument, const TPluginValues& values) {
  const std::array<std::pair<QLatin1String, const QString*>, 3> placeholders{{
      {QLatin1String("{file}"), &values.file},
      {QLatin1String("{dir}"), &values.dir},
      {QLatin1String("{pwd}"), &values.pwd},
  }};
  QString out;
  qsizetype pos = 0;
  while (pos < argument.size()) {
    bool replaced = false;
    for (const auto& [name, value] : placeholders) {
      if (QStringView(argument).sliced(pos).startsWith(name, Qt::CaseInsensitive)) {
        out += *value;
        pos += name.size();
        replaced = true;
        break;
      }
    }
    if (!replaced) out += argument.at(pos++);
  }
  return out;
}

}  // namespace

QStringList PluginArguments(const QString& uncompressTemplate, const TPluginValues& values) {
  QStringList arguments;
  for (const TCommandLineArgument& argument : SplitCommandLineArguments(uncompressTemplate)) {
    const QString expanded = ReplacePlaceholders(argument.text, values);
    if (expanded.isEmpty() && !argument.quoted) continue;
    arguments << expanded;
  }
  return arguments;
}

bool IsExpectedExitCode(int exitCode, int expected) {
  if (exitCode == kStartFailed) return false;
  return static_cast<qint64>(static_cast<quint32>(exitCode)) == static_cast<qint64>(expected);
}
