#pragma once
// The command line of harrowmint-cli, parsed by the option table (CliOptionTable.h).
#include <QString>
#include <QStringList>
#include <optional>

#include "settings/Settings.h"

struct TCliOptions {
  enum TAction { RunBatch, ListEngines, ShowVersion, ShowHelp, PrintManPage, PrintCompletion };
  TAction action = RunBatch;
  QString home;               // --home: the program folder to use; empty: the executable's
  std::optional<int> format;  // --format: TOutputFormat
  std::optional<QString> output;
  std::optional<QString> password;
  std::optional<QString> unpackPassword;
  bool pluginFormats = false;  // --plugin-formats: on for this run, whatever the settings say
  std::optional<QString> passwordsFile;  // --passwords, absolute
  bool keepTime = false;
  std::optional<int> nestedDepth;  // --nested: levels of archives inside archives opened
  bool testOutput = false;         // --test-output: every output's data tested (TestOutput=1)
  // --jobs: items worked on at once, 0 for one per processor core; none: the setting Jobs.
  std::optional<int> jobs;
  bool json = false;
  bool dryRun = false;   // --dry-run
  bool verbose = false;  // --verbose: the log lines (harrowmint.*) on standard error
  QStringList paths;     // absolute, in the order given
  QString watch;         // --watch: the folder to watch, absolute; empty for a run over the paths
  double settleSeconds = 5;  // --settle: how long an arrival stays unchanged before it is taken
};

// Parses the arguments after the program name. On a mistake returns nothing and puts the
// reason in *error.
std::optional<TCliOptions> ParseCliOptions(const QStringList& arguments, QString* error);
