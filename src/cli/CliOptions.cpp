#include "cli/CliOptions.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

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

QString CliUsage() {
  return QStringLiteral(
      "Usage: harrowmint-cli [--home DIR] [options] PATH...\n"
      "       harrowmint-cli [--home DIR] --engines\n"
      "       harrowmint-cli --version\n"
      "\n"
      "Repacks every PATH (archive, folder or file), in order, with the settings of the data\n"
      "folder, and prints one line per item: index, status, output archive, size in bytes.\n"
      "\n"
      "Options (for this run only; the settings file is never written):\n"
      "  --home DIR               program folder holding Data/, Engine/ and tmp/\n"
      "  --format rar|zip|7z      output format\n"
      "  --output DIR             output folder\n"
      "  --password PWD           password of the output archives\n"
      "  --unpack-password PWD    password for extracting the sources\n"
      "  --json                   one JSON object per item instead of the tab-separated lines\n"
      "  --verbose                why items failed, as log lines on standard error\n"
      "  --engines                list the engines and plug-ins with their versions\n"
      "  --version                print the program's version\n"
      "  --help                   print this text\n"
      "\n"
      "Exit status: 0 every item made a plausible archive, 1 some item failed,\n"
      "2 the run could not start or the arguments are wrong.\n");
}

std::optional<TCliOptions> ParseCliOptions(const QStringList& arguments, QString* error) {
  QCommandLineParser parser;
  const QCommandLineOption home(QStringLiteral("home"), {}, QStringLiteral("DIR"));
  const QCommandLineOption format(QStringLiteral("format"), {}, QStringLiteral("FORMAT"));
  const QCommandLineOption output(QStringLiteral("output"), {}, QStringLiteral("DIR"));
  const QCommandLineOption password(QStringLiteral("password"), {}, QStringLiteral("PWD"));
  const QCommandLineOption unpackPassword(QStringLiteral("unpack-password"), {}, QStringLiteral("PWD"));
  const QCommandLineOption json(QStringLiteral("json"));
  const QCommandLineOption verbose(QStringLiteral("verbose"));
  const QCommandLineOption engines(QStringLiteral("engines"));
  const QCommandLineOption version(QStringLiteral("version"));
  const QCommandLineOption help(QStringList{QStringLiteral("help"), QStringLiteral("h")});
  parser.addOptions({home, format, output, password, unpackPassword, json, verbose, engines, version, help});

  // QCommandLineParser expects the program name first.
  if (!parser.parse(QStringList{QStringLiteral("harrowmint-cli")} + arguments)) {
    *error = parser.errorText();
    return std::nullopt;
  }

  TCliOptions options;
  if (parser.isSet(home)) options.home = AbsoluteClean(parser.value(home));
  options.verbose = parser.isSet(verbose);
  if (parser.isSet(help)) {
    options.action = TCliOptions::ShowHelp;
    return options;
  }
  if (parser.isSet(version)) {
    options.action = TCliOptions::ShowVersion;
    return options;
  }
  if (parser.isSet(engines)) {
    options.action = TCliOptions::ListEngines;
    return options;
  }

  if (parser.isSet(format)) {
    options.format = FormatIndex(parser.value(format));
    if (!options.format) {
      *error = QStringLiteral("unknown format \"%1\": use rar, zip or 7z").arg(parser.value(format));
      return std::nullopt;
    }
  }
  if (parser.isSet(output)) {
    if (parser.value(output).isEmpty()) {
      *error = QStringLiteral("--output needs a folder");
      return std::nullopt;
    }
    options.output = AbsoluteClean(parser.value(output));
  }
  if (parser.isSet(password)) options.password = parser.value(password);
  if (parser.isSet(unpackPassword)) options.unpackPassword = parser.value(unpackPassword);
  options.json = parser.isSet(json);

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
