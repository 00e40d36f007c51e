#include "cli/CliOptions.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

#include "cli/CliOptionTable.h"

namespace {

QString AbsoluteClean(const QString& path) { return QDir::cleanPath(QFileInfo(path).absoluteFilePath()); }

std::optional<int> FormatIndex(const QString& name) {
  const QString lower = name.toLower();
  if (lower == QLatin1String("rar")) return ofRAR;
  if (lower == QLatin1String("zip")) return ofZIP;
  if (lower == QLatin1String("7z")) return of7z;
  return std::nullopt;
}

}  // namespace

std::optional<TCliOptions> ParseCliOptions(const QStringList& arguments, QString* error) {
  QCommandLineParser parser;
  for (const TCliOption& option : CliOptionTable())
    if (!option.windowOnly)
      parser.addOption(QCommandLineOption(
        option.names, option.help, option.argument == TCliOption::argNone ? QString() : option.argumentName));

  // QCommandLineParser expects the program name first.
  if (!parser.parse(QStringList{QStringLiteral("harrowmint-cli")} + arguments)) {
    *error = parser.errorText();
    return std::nullopt;
  }

  TCliOptions options;
  const auto value = [&parser](const char* name) { return parser.value(QLatin1String(name)); };
  const auto isSet = [&parser](const char* name) { return parser.isSet(QLatin1String(name)); };
  if (isSet("home")) options.home = AbsoluteClean(value("home"));
  options.verbose = isSet("verbose");
  // An option that does something else than a run wins over the run's options, the first listed first.
  static const QList<std::pair<const char*, TCliOptions::TAction>> actions = {
      {"help", TCliOptions::ShowHelp},
      {"print-man", TCliOptions::PrintManPage},
      {"print-completion", TCliOptions::PrintCompletion},
      {"version", TCliOptions::ShowVersion},
      {"engines", TCliOptions::ListEngines},
  };
  for (const auto& [name, action] : actions) {
    if (isSet(name)) {
      options.action = action;
      return options;
    }
  }

  if (isSet("format")) {
    options.format = FormatIndex(value("format"));
    if (!options.format) {
      *error = QStringLiteral("unknown format \"%1\": use rar, zip or 7z").arg(value("format"));
      return std::nullopt;
    }
  }
  if (isSet("output")) {
    if (value("output").isEmpty()) {
      *error = QStringLiteral("--output needs a folder");
      return std::nullopt;
    }
    options.output = AbsoluteClean(value("output"));
  }
  if (isSet("password")) options.password = value("password");
  if (isSet("unpack-password")) options.unpackPassword = value("unpack-password");
  options.pluginFormats = isSet("plugin-formats");
  if (isSet("passwords")) {
    if (value("passwords").isEmpty()) {
      *error = QStringLiteral("--passwords needs a file");
      return std::nullopt;
    }
    options.passwordsFile = AbsoluteClean(value("passwords"));
  }
  options.keepTime = isSet("keep-time");
  if (isSet("nested")) {
    bool isNumber = false;
    const int depth = value("nested").toInt(&isNumber);
    if (!isNumber || depth < 0 || depth > kMaxNestedDepth) {
      *error = QStringLiteral("--nested needs a depth from 0 to %1, not \"%2\"").arg(kMaxNestedDepth).arg(value("nested"));
      return std::nullopt;
    }
    options.nestedDepth = depth;
  }
  options.testOutput = isSet("test-output");
  if (isSet("jobs")) {
    bool isNumber = false;
    options.jobs = value("jobs").toInt(&isNumber);
    if (!isNumber || *options.jobs < 0) {
      *error = QStringLiteral("--jobs needs a count of 0 or more, not \"%1\"").arg(value("jobs"));
      return std::nullopt;
    }
  }
  options.json = isSet("json");
  options.dryRun = isSet("dry-run");
  if (isSet("settle")) {
    bool isNumber = false;
    options.settleSeconds = value("settle").toDouble(&isNumber);
    if (!isNumber || !(options.settleSeconds >= 0) || options.settleSeconds > 86400) {
      *error = QStringLiteral("--settle needs a number of seconds from 0 to 86400, not \"%1\"")
                   .arg(value("settle"));
      return std::nullopt;
    }
  }
  if (isSet("watch")) {
    if (value("watch").isEmpty()) {
      *error = QStringLiteral("--watch needs a folder");
      return std::nullopt;
    }
    if (!parser.positionalArguments().isEmpty()) {
      *error = QStringLiteral("--watch takes its items from the folder, not from PATH arguments");
      return std::nullopt;
    }
    if (options.dryRun) {
      *error = QStringLiteral("--dry-run does not go with --watch");
      return std::nullopt;
    }
    options.watch = AbsoluteClean(value("watch"));
    return options;
  }
  if (isSet("settle")) {
    *error = QStringLiteral("--settle goes with --watch");
    return std::nullopt;
  }

  for (const QString& path : parser.positionalArguments()) {
    if (path.isEmpty()) {
      *error = QStringLiteral("an empty path was given");
      return std::nullopt;
    }
    options.paths << AbsoluteClean(path);
  }
  if (options.paths.isEmpty()) {
    *error = QStringLiteral("no PATH given");
    return std::nullopt;
  }
  return options;
}
