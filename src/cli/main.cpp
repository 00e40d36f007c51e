// harrowmint-cli: one batch run over the paths given, or over what arrives in a watched folder,
// with the settings of the data folder.
#include <unistd.h>
#include <QCoreApplication>
#include <QLoggingCategory>
#include <cstdio>

#include "app/JobRunner.h"
#include "app/RunFolder.h"
#include "cli/CliDocs.h"
#include "cli/CliObserver.h"
#include "cli/CliOptions.h"
#include "cli/CliSettings.h"
#include "cli/EngineListing.h"
#include "cli/StopOnSignal.h"
#include "cli/WatchCommand.h"
#include "settings/DataFolder.h"
#include "settings/Settings.h"
#include "util/SystemInfo.h"

namespace {

void PrintTo(std::FILE* stream, const QString& text) {
  std::fputs(text.toUtf8().constData(), stream);
  std::fflush(stream);
}

int RunBatch(const TProgramPaths& paths, const TCliOptions& options) {
  // As at a window start: a missing data folder is seeded before the settings are read.
  SeedDataFolder(paths);
  const TSettings settings = CliRunSettings(paths, options);

  TSnapshot items;
  for (const QString& path : options.paths) items.append(TMyData{path, {}, true, isNotProcessed});

  // Leftovers of earlier runs that were killed before they could remove them; a run going on
  // beside this one keeps its own.
  RemoveEndedRuns(paths.tempRoot());
  TCliObserver observer(int(items.size()), options.json, stdout, isatty(STDERR_FILENO) ? stderr : nullptr);
  TJobRunner runner(paths, observer);
  const TStartResult start = runner.Start(settings, items, {.workers = settings.Jobs, .dryRun = options.dryRun});
  if (!start.started) {
    PrintTo(stderr, start.message + '\n');
    return kExitNotStarted;
  }
  {
    TStopOnSignal stopOnSignal([&runner] { runner.Stop(); });
    runner.Wait();
  }
  return observer.anyFailed() ? kExitSomeFailed : kExitAllPlausible;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QString error;
  const std::optional<TCliOptions> options = ParseCliOptions(app.arguments().mid(1), &error);
  if (!options) {
    PrintTo(stderr, QStringLiteral("harrowmint-cli: ") + error + QStringLiteral("\n\n") + CliUsage());
    return kExitNotStarted;
  }
  // The causes behind the status texts are for --verbose only; warnings the user must see (an
  // unreadable data file) come through the observer.
  QLoggingCategory::setFilterRules(options->verbose ? QStringLiteral("harrowmint.*=true")
                                                    : QStringLiteral("harrowmint.*=false"));
  const TProgramPaths paths =
      options->home.isEmpty() ? TProgramPaths::FromExecutable() : TProgramPaths(options->home);
  switch (options->action) {
    case TCliOptions::ShowHelp:
      PrintTo(stdout, CliUsage());
      return kExitAllPlausible;
    case TCliOptions::PrintManPage:
      PrintTo(stdout, CliManPage());
      return kExitAllPlausible;
    case TCliOptions::PrintCompletion:
      PrintTo(stdout, CliBashCompletion());
      return kExitAllPlausible;
    case TCliOptions::ShowVersion:
      PrintTo(stdout, QStringLiteral("harrowmint-cli ") + ProgramVersionText() + '\n');
      return kExitAllPlausible;
    case TCliOptions::ListEngines:
      PrintTo(stdout, EngineListingText(paths.engineFolder()));
      return kExitAllPlausible;
    case TCliOptions::RunBatch:
      break;
  }
  return options->watch.isEmpty() ? RunBatch(paths, *options) : RunWatch(paths, *options);
}
