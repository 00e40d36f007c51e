#include "util/Process.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "util/DirHandle.h"
#include "util/FileDescriptor.h"
#include "util/NativePath.h"

extern char** environ;

namespace {

// How often a captured program's time is looked at; its end wakes the waiter at once.
constexpr int kCaptureIntervalMs = 50;

// Arguments and paths go to the child as UTF-8. A child whose inherited locale is not UTF-8
// (no LANG, as under cron, a service or CI) would misread them: the RAR packer then stores every
// non-ASCII name as the same placeholder. Such children get LC_ALL=C.UTF-8.
class ChildEnvironment {
 public:
  ChildEnvironment() {
    if (InheritedLocaleIsUtf8()) return;
    for (char** e = environ; *e; ++e)
      if (std::strncmp(*e, "LC_ALL=", 7) != 0) entries_.push_back(*e);
    entries_.push_back(const_cast<char*>("LC_ALL=C.UTF-8"));
    entries_.push_back(nullptr);
  }
  char* const* get() const { return entries_.empty() ? environ : entries_.data(); }

 private:
  static bool InheritedLocaleIsUtf8() {
    const char* names[] = {"LC_ALL", "LC_CTYPE", "LANG"};
    for (const char* name : names) {
      const char* value = std::getenv(name);
      if (value && *value) {
        const QByteArray v = QByteArray(value).toLower();
        return v.contains("utf-8") || v.contains("utf8");
      }
    }
    return false;
  }
  std::vector<char*> entries_;
};

// Between fork and exec the child of a threaded process may only call async-signal-safe
// functions: everything it needs is made before the fork, and it reports a failure as an errno
// on a pipe that exec closes.
[[noreturn]] void ChildFails(int reportFd) {
  const int error = errno;
  [[maybe_unused]] const ssize_t n = ::write(reportFd, &error, sizeof error);
  ::_exit(127);
}

// Every descriptor above standard error closes at exec, so no handle of ours leaks into the child.
void CloseOnExecAbove(int lowest) {
  if (::syscall(SYS_close_range, lowest, ~0U, 4 /* CLOSE_RANGE_CLOEXEC */) == 0) return;
  const long limit = ::sysconf(_SC_OPEN_MAX);
  for (long fd = lowest; fd < (limit > 0 ? limit : 65536); ++fd) ::fcntl(int(fd), F_SETFD, FD_CLOEXEC);
}

void ChildSetup(int outputFd, const char* workDir, bool dieWithParent, pid_t parent, int reportFd) {
  // A program we wait for must not outlive us: killed or crashed, we could no longer finish,
  // judge or remove what it writes. The parent may have died before the signal was asked for.
  if (dieWithParent && (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || ::getppid() != parent)) ChildFails(reportFd);
  sigset_t none;
  sigemptyset(&none);
  for (int signal = 1; signal < NSIG; ++signal) ::signal(signal, SIG_DFL);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  const int input = ::open("/dev/null", O_RDONLY);
  const int output = outputFd >= 0 ? outputFd : ::open("/dev/null", O_WRONLY);
  if (input < 0 || output < 0 || ::dup2(input, STDIN_FILENO) < 0 || ::dup2(output, STDOUT_FILENO) < 0 ||
      ::dup2(STDOUT_FILENO, STDERR_FILENO) < 0)
    ChildFails(reportFd);
  if (*workDir && ::chdir(workDir) != 0) ChildFails(reportFd);
  CloseOnExecAbove(STDERR_FILENO + 1);
}

// Starts the program with stdin from /dev/null and stdout/stderr into outputFd (or /dev/null).
// Returns the child's id, or -1 when it could not be started (exec failures included). With
// dieWithParent the child is killed when this process ends, however it ends.
pid_t Spawn(const QString& program, const QStringList& arguments, const QString& workDir, int outputFd,
            bool dieWithParent) {
  if (program.isEmpty()) return -1;
  // A relative program is found from the caller's folder, not from the child's working folder.
  const std::string path = NativePath(QFileInfo(program).absoluteFilePath());
  std::vector<QByteArray> storage;
  storage.reserve(static_cast<size_t>(arguments.size()) + 1);
  storage.push_back(QByteArray::fromStdString(NativePath(program)));
  for (const QString& a : arguments) storage.push_back(a.toLocal8Bit());
  std::vector<char*> argv;
  for (QByteArray& a : storage) argv.push_back(a.data());
  argv.push_back(nullptr);
  const std::string dir = workDir.isEmpty() ? std::string() : NativePath(workDir);
  const ChildEnvironment environment;

  int report[2];
  if (pipe2(report, O_CLOEXEC) != 0) return -1;
  TFileDescriptor reportRead(report[0]);
  TFileDescriptor reportWrite(report[1]);
  const pid_t parent = ::getpid();
  const pid_t pid = ::fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    ChildSetup(outputFd, dir.c_str(), dieWithParent, parent, reportWrite.get());
    ::execve(path.c_str(), argv.data(), environment.get());
    ChildFails(reportWrite.get());
  }
  reportWrite.reset();
  int error = 0;
  ssize_t n;
  while ((n = ::read(reportRead.get(), &error, sizeof error)) < 0 && errno == EINTR) {
  }
  if (n == 0) return pid;  // exec closed the pipe
  while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
  }
  return -1;
}

int ExitCodeOf(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  return kExitKilled;
}

int WaitFor(pid_t pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return kStartFailed;
  }
  return ExitCodeOf(status);
}

int Run(const QString& program, const QStringList& arguments, const QString& workDir, bool wait) {
  // Only a program we wait for dies with us: one left to run on (an update) must outlive us.
  const pid_t pid = Spawn(program, arguments, workDir, -1, wait);
  if (pid < 0) return kStartFailed;
  if (wait) return WaitFor(pid);
  int status = 0;
  if (waitpid(pid, &status, WNOHANG) == pid) return ExitCodeOf(status);
  // Nobody waits for it later: reap it in the background so it leaves no zombie.
  std::thread([pid] { WaitFor(pid); }).detach();
  return kStillActive;
}

// Parent process id and state from /proc/<pid>/stat; the command name may hold ')' and blanks.
bool ReadParent(const char* pidText, qint64* parent, char* state) {
  char path[64];
  snprintf(path, sizeof path, "/proc/%s/stat", pidText);
  const TFileDescriptor fd(::open(path, O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) return false;
  char buffer[512];
  const ssize_t n = ::read(fd.get(), buffer, sizeof buffer - 1);
  if (n <= 0) return false;
  buffer[n] = '\0';
  const char* close = strrchr(buffer, ')');
  if (!close) return false;
  long long ppid = 0;
  if (sscanf(close + 1, " %c %lld", state, &ppid) != 2) return false;
  *parent = ppid;
  return true;
}

// The child's output for a reader that wants it while the child runs; nothing without a reader.
class TOutputReader {
 public:
  explicit TOutputReader(std::function<void(const QByteArray&)> onOutput) : onOutput_(std::move(onOutput)) {
    if (!onOutput_) return;
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return;
    readEnd_ = TFileDescriptor(fds[0]);
    writeEnd_ = TFileDescriptor(fds[1]);
    ::fcntl(readEnd_.get(), F_SETFL, O_NONBLOCK);
  }
  bool ok() const { return readEnd_.get() >= 0; }
  // For the child: its output goes here, or to /dev/null (-1) without a reader.
  int writeEnd() const { return writeEnd_.get(); }
  // Once the child has its copy: the pipe ends when the child (and whatever it started) ends.
  void StartReading() { writeEnd_.reset(); }
  int readEnd() const { return readEnd_.get(); }
  // Hands over what the pipe holds now; never waits.
  void ReadAvailable() {
    if (!ok()) return;
    char buffer[4096];
    for (;;) {
      const ssize_t n = ::read(readEnd_.get(), buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        // At its end the pipe is read no more, so a waiter is not woken by it again.
        if (n == 0) readEnd_.reset();
        return;
      }
      onOutput_(QByteArray(buffer, n));
    }
  }

 private:
  std::function<void(const QByteArray&)> onOutput_;
  TFileDescriptor readEnd_;
  TFileDescriptor writeEnd_;
};

// Waits up to timeoutMs for the child to end, handing its output to the reader as it comes; true
// when it has ended (it is not reaped).
bool WaitForEnd(int pidFd, int timeoutMs, TOutputReader& reader) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    // poll skips a negative descriptor: without a pidfd or a reader it waits for the other, or
    // for the time alone.
    pollfd fds[2] = {{pidFd, POLLIN, 0}, {reader.readEnd(), POLLIN, 0}};
    const int ready = ::poll(fds, 2, int(left.count()));
    if (ready < 0 && errno != EINTR) return false;
    if (ready <= 0) continue;
    if (fds[1].revents) reader.ReadAvailable();
    if (fds[0].revents) return true;
  }
}

// Waits for a started child to end, handing its output to the reader as it comes. keepGoing is
// asked each time intervalMs passes (less often when it is slow itself); when it says no, the
// child is killed and stoppedCode returned. Otherwise the child's exit code.
int Supervise(pid_t pid, TOutputReader& reader, const std::function<bool()>& keepGoing, int intervalMs,
              int stoppedCode) {
  // Readable once the child has ended; without it (an old kernel) the watcher polls by the clock.
  const TFileDescriptor pidFd(int(::syscall(SYS_pidfd_open, pid, 0)));
  int waitMs = intervalMs;
  for (;;) {
    int status = 0;
    const pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) {
      reader.ReadAvailable();
      return ExitCodeOf(status);
    }
    if (done < 0 && errno != EINTR) return kStartFailed;
    if (WaitForEnd(pidFd.get(), waitMs, reader)) continue;
    const auto started = std::chrono::steady_clock::now();
    if (!keepGoing()) {
      kill(pid, SIGKILL);
      WaitFor(pid);
      return stoppedCode;
    }
    // A watcher that takes long (a large folder to measure) is asked less often.
    const auto took =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
    waitMs = std::max(intervalMs, int(std::min<qint64>(took.count() * 4, 60000)));
  }
}

}  // namespace

int RunAndWait(const QString& program, const QString& parameters, const QString& workDir, quint16 /*showCmd*/,
               bool wait) {
  return Run(program, SplitCommandLine(parameters), workDir, wait);
}

int RunAndWait(const QString& program, const QStringList& arguments, const QString& workDir, bool wait) {
  return Run(program, arguments, workDir, wait);
}

int RunAndWatch(const QString& program, const QStringList& arguments, const QString& workDir,
                const std::function<bool()>& keepGoing, int intervalMs,
                const std::function<void(const QByteArray& piece)>& onOutput) {
  TOutputReader reader(onOutput);
  if (onOutput && !reader.ok()) return kStartFailed;
  const pid_t pid = Spawn(program, arguments, workDir, reader.writeEnd(), true);
  reader.StartReading();
  if (pid < 0) return kStartFailed;
  return Supervise(pid, reader, keepGoing, intervalMs, kExitKilled);
}

int RunAndCapture(const QString& program, const QStringList& arguments, const QString& workDir,
                  QByteArray* output, int timeoutMs) {
  TOutputReader reader([output](const QByteArray& piece) {
    if (output) output->append(piece);
  });
  if (!reader.ok()) return kStartFailed;
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  const pid_t pid = Spawn(program, arguments, workDir, reader.writeEnd(), true);
  reader.StartReading();
  if (pid < 0) return kStartFailed;
  const auto inTime = [&] { return timeoutMs < 0 || std::chrono::steady_clock::now() < end; };
  return Supervise(pid, reader, inTime, kCaptureIntervalMs, kTimedOut);
}

int KillChildProcesses(qint64 processId, bool includeSelf) {
  const TDirHandle proc(opendir("/proc"));
  if (!proc) return 0;
  int killed = 0;
  while (const dirent* entry = readdir(proc.get())) {
    char* end = nullptr;
    const long long pid = strtoll(entry->d_name, &end, 10);
    if (pid <= 0 || *end != '\0') continue;
    qint64 parent = 0;
    char state = 0;
    if (!ReadParent(entry->d_name, &parent, &state)) continue;
    // A zombie has already ended; its waiter collects it.
    if (state == 'Z') continue;
    if (parent == processId || (includeSelf && pid == processId)) {
      if (kill(static_cast<pid_t>(pid), SIGKILL) == 0) ++killed;
    }
  }
  return killed;
}
