#include "support/ToolProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

extern char** environ;

namespace testsupport {

namespace {

void Close(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

std::vector<std::string> ChildEnvironment() {
  std::vector<std::string> entries;
  for (char** e = environ; *e; ++e)
    if (std::strncmp(*e, "LC_ALL=", 7) != 0) entries.emplace_back(*e);
  entries.emplace_back("LC_ALL=C.UTF-8");
  return entries;
}

}  // namespace

ToolProcess::ToolProcess(const QString& program, const QStringList& args, const QString& workDir) {
  int in[2], out[2], err[2];
  if (::pipe2(in, O_CLOEXEC) != 0) return;
  if (::pipe2(out, O_CLOEXEC) != 0) {
    ::close(in[0]), ::close(in[1]);
    return;
  }
  if (::pipe2(err, O_CLOEXEC) != 0) {
    ::close(in[0]), ::close(in[1]), ::close(out[0]), ::close(out[1]);
    return;
  }
  std::vector<std::string> argStorage{QFile::encodeName(program).toStdString()};
  for (const QString& a : args) argStorage.push_back(a.toLocal8Bit().toStdString());
  std::vector<char*> argv;
  for (std::string& a : argStorage) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<std::string> envStorage = ChildEnvironment();
  std::vector<char*> envp;
  for (std::string& e : envStorage) envp.push_back(e.data());
  envp.push_back(nullptr);
  const std::string dir = QFile::encodeName(workDir).toStdString();

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
  // Nothing of the test (sockets of its servers, files) leaks into the program.
  posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
  if (!dir.empty()) posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());
  pid_t pid = -1;
  const int failed = ::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  ::close(in[0]), ::close(out[1]), ::close(err[1]);
  in_ = in[1], out_ = out[0], err_ = err[0];
  if (failed != 0) {
    Close(in_), Close(out_), Close(err_);
    return;
  }
  pid_ = pid;
}

ToolProcess::~ToolProcess() {
  Close(in_), Close(out_), Close(err_);
  if (pid_ > 0) {
    ::kill(pid_, SIGKILL);
    while (::waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
    }
  }
}

void ToolProcess::Signal(int signal) const {
  if (pid_ > 0) ::kill(pid_, signal);
}

ToolRun ToolProcess::Finish(const QByteArray& input, int timeoutMs) {
  ToolRun run;
  if (pid_ <= 0) return run;
  qsizetype fed = 0;
  if (input.isEmpty())
    Close(in_);
  else
    ::signal(SIGPIPE, SIG_IGN);  // a program that does not read all its input ends the feeding only
  QElapsedTimer timer;
  timer.start();
  char buffer[65536];
  while (out_ >= 0 || err_ >= 0) {
    pollfd fds[3];
    nfds_t n = 0;
    for (const int fd : {out_, err_}) {
      if (fd >= 0) fds[n++] = {fd, POLLIN, 0};
    }
    if (in_ >= 0) fds[n++] = {in_, POLLOUT, 0};
    const qint64 left = timeoutMs - timer.elapsed();
    if (left <= 0) {
      ::kill(pid_, SIGKILL);
      break;
    }
    if (::poll(fds, n, int(left)) < 0 && errno != EINTR) break;
    for (nfds_t i = 0; i < n; ++i) {
      if (!fds[i].revents) continue;
      if (fds[i].fd == in_) {
        const ssize_t written = ::write(in_, input.constData() + fed, size_t(input.size() - fed));
        if (written > 0) fed += written;
        if (written < 0 || fed == input.size()) Close(in_);
        continue;
      }
      const ssize_t got = ::read(fds[i].fd, buffer, sizeof buffer);
      if (got > 0) {
        (fds[i].fd == out_ ? run.out : run.err).append(buffer, got);
      } else if (got == 0 || errno != EINTR) {
        Close(fds[i].fd == out_ ? out_ : err_);
      }
    }
  }
  Close(in_), Close(out_), Close(err_);
  int status = 0;
  while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
  pid_ = -1;
  if (WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
  return run;
}

}  // namespace testsupport
