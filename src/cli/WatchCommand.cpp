#include "cli/WatchCommand.h"

#include <cstdio>

#include "app/StatusTexts.h"
#include "cli/CliObserver.h"
#include "cli/CliSettings.h"
#include "cli/StopOnSignal.h"
#include "settings/DataFolder.h"
#include "watch/InboxWatcher.h"

int RunWatch(const TProgramPaths& paths, const TCliOptions& options) {
  SeedDataFolder(paths);
  TCliObserver observer(0, options.json, stdout, nullptr);
  TInboxWatcher watcher(
      paths,
      {.inbox = options.watch,
       .settle = std::chrono::milliseconds(qint64(options.settleSeconds * 1000)),
       // The setting Jobs of the start, or --jobs; each item's other settings are those of its start.
       .jobs = CliRunSettings(paths, options).Jobs},
      [&paths, &options] { return CliRunSettings(paths, options); },
      {.itemFinished =
           [&observer](const TWatchedItem& item) { observer.RecordResult(item.index, item.result); },
       .warning = [&observer](const QString& message) { observer.ShowWarning(message); }});
  TWatchEnd end;
  {
    TStopOnSignal stopOnSignal([&watcher] { watcher.Stop(); });
    end = watcher.Run();
  }
  if (!end.started) {
    std::fputs(("harrowmint-cli: " + end.message + '\n').toUtf8().constData(), stderr);
    return kExitNotStarted;
  }
  TRunSummary summary;
  summary.successCount = end.successCount;
  summary.errorCount = end.errorCount;
  summary.stopped = true;
  summary.statusLine = TRunText::Summary(end.successCount);
  if (end.errorCount > 0) summary.failureText = TRunText::Failures(end.errorCount);
  observer.ShowSummary(summary);
  if (!end.message.isEmpty()) {
    observer.ShowWarning(end.message);
    return kExitSomeFailed;
  }
  return end.stoppedAtOnce ? kExitSomeFailed : kExitAllPlausible;
}
