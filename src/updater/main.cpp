// harrowmint-updater update [--home DIR] [--wait SECONDS]: installs the update the window program
// handed over in its folder (or DIR), then starts the program again. Portable layout only.
#include <QCoreApplication>
#include <algorithm>
#include <cstdio>

#include "updater/UpdaterJob.h"
#include "util/ProgramPaths.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QStringList arguments = app.arguments().mid(1);
  const TProgramPaths paths = TProgramPaths::FromArguments(arguments);
  TUpdaterOptions options;
  const qsizetype wait = arguments.indexOf(QStringLiteral("--wait"));
  if (wait >= 0) {
    bool ok = false;
    const int seconds = arguments.value(wait + 1).toInt(&ok);
    arguments.remove(wait, std::min<qsizetype>(2, arguments.size() - wait));
    if (!ok || seconds < 0) arguments.clear();
    options.waitMs = seconds * 1000;
  }
  if (arguments != QStringList{QStringLiteral("update")}) {
    std::fputs("usage: harrowmint-updater update [--home DIR] [--wait SECONDS]\n", stderr);
    return kUpdaterUsage;
  }
  // The programs of an installed layout are not in its program folder; they belong to the
  // package manager.
  if (!paths.updatableInPlace()) {
    std::fputs("harrowmint-updater: this installation is updated by its package manager\n", stderr);
    return kUpdaterFailed;
  }
  return RunUpdater(paths.programFolder(), options);
}
