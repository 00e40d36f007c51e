#include "compress/common/RunEngine.h"

#include <QFileInfo>

#include "util/PathSeparators.h"
#include "util/Process.h"

namespace {
constexpr int kWatchIntervalMs = 200;
QString ProgramFolder(const QString& program) { return WithTrailingSeparator(QFileInfo(program).absolutePath()); }
}  // namespace

int RunEngine(const QString& program, const QString& parameters) {
  return RunAndWait(program, parameters, ProgramFolder(program), kSwHide, true);
}

int RunEngine(const QString& program, const QStringList& arguments, const QString& workFolder) {
  return RunAndWait(program, arguments, workFolder.isEmpty() ? ProgramFolder(program) : workFolder, true);
}

int RunEngineWatched(const QString& program, const QStringList& arguments, const std::function<bool()>& keepGoing) {
  return RunAndWatch(program, arguments, ProgramFolder(program), keepGoing, kWatchIntervalMs);
}

int RunEngineReading(const QString& program, const QStringList& arguments, const QString& workFolder,
                     const std::function<void(const QByteArray& piece)>& onOutput) {
  // Nothing to watch: the output alone is wanted; a stop request kills the program as any other.
  return RunAndWatch(program, arguments, workFolder, [] { return true; }, kWatchIntervalMs, onOutput);
}
