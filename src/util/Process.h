#pragma once
// Starting external programs (the RAR packer, plug-in extractors, updates) and ending them.
// No shell is ever involved: parameter texts are split into an argument vector by the Windows
// command-line rules, so plug-in templates written for Windows mean the same thing here.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

#include "util/CommandLine.h"
#include "util/SystemInfo.h"

// Exit code reported while a program started without waiting still runs (STILL_ACTIVE).
inline constexpr int kStillActive = 259;
// Exit code seen by the waiter when the child was killed by a signal (KillChildProcesses).
inline constexpr int kExitKilled = 255;
// Exit code when the program could not be started at all; nothing is waited on then.
inline constexpr int kStartFailed = -1;
// Result of RunAndCapture when the program did not end in the time it was given (it is killed).
inline constexpr int kTimedOut = -2;

// Show commands of the Windows API; accepted for the callers' sake, there is no window to show.
inline constexpr quint16 kSwHide = 0;
inline constexpr quint16 kSwShowNormal = 1;

// Runs `program` (a path; relative paths are taken from the caller's current folder, no PATH
// search) with `parameters` split by SplitCommandLine. Standard input is /dev/null and standard
// output and error are discarded, as a hidden console would. An empty workDir keeps the caller's
// current folder. With wait: the exit code, kExitKilled after a signal, kStartFailed when the
// program could not be started. Without wait: kStillActive while the program runs (it is reaped
// in the background), else its exit code.
int RunAndWait(const QString& program, const QString& parameters, const QString& workDir, quint16 showCmd,
               bool wait);
// The same with the argument vector given directly, so a password or path with spaces or quotes
// stays one argument.
int RunAndWait(const QString& program, const QStringList& arguments, const QString& workDir, bool wait);

// Like RunAndWait with wait, while a watcher looks on: keepGoing is called every intervalMs (less
// often when it is slow itself) as long as the program runs; when it returns false the program is
// killed and kExitKilled returned.
// With onOutput, the program's standard output and error (interleaved) are handed to it piece by
// piece as they come, on the calling thread, instead of being discarded.
int RunAndWatch(const QString& program, const QStringList& arguments, const QString& workDir,
                const std::function<bool()>& keepGoing, int intervalMs,
                const std::function<void(const QByteArray& piece)>& onOutput = {});

// Like RunAndWait with wait, but collects standard output and error (interleaved) into *output
// when it is not null. For asking an engine for its version or listing. With timeoutMs >= 0, a
// program still running after that long is killed and kTimedOut returned.
int RunAndCapture(const QString& program, const QStringList& arguments, const QString& workDir,
                  QByteArray* output, int timeoutMs = -1);

// Kills (SIGKILL) every process whose parent is processId, and processId itself when
// includeSelf. Only direct children: a grandchild survives. Returns how many were killed.
int KillChildProcesses(qint64 processId, bool includeSelf);
