#pragma once
// A program a test starts: standard input fed from the test, standard output and error collected
// apart. Started with posix_spawn, which never runs a line of the test's code in the child: the
// vfork-like start QProcess uses runs the thread sanitizer's fork handling in a child that shares
// the test's memory, and its bookkeeping of the test's threads is wrong from then on.
#include <sys/types.h>

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace testsupport {

struct ToolRun {
  int exitCode = -1;  // -1: could not start, or ended by a signal
  QByteArray out;
  QByteArray err;
};

class ToolProcess {
 public:
  // program: a path, or a name looked for on PATH. The child's locale is C.UTF-8, whatever the
  // test's is, so the checking tools print and read names in UTF-8.
  ToolProcess(const QString& program, const QStringList& args, const QString& workDir = {});
  // A program still running is killed and reaped.
  ~ToolProcess();
  ToolProcess(const ToolProcess&) = delete;
  ToolProcess& operator=(const ToolProcess&) = delete;

  bool started() const { return pid_ > 0; }
  void Signal(int signal) const;
  // Feeds input (then closes standard input) and collects the output until the program ends;
  // after timeoutMs it is killed. Once only.
  ToolRun Finish(const QByteArray& input = {}, int timeoutMs = 300000);

 private:
  pid_t pid_ = -1;
  int in_ = -1, out_ = -1, err_ = -1;  // the test's ends of the pipes
};

}  // namespace testsupport
