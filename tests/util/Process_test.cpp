// Starting, waiting for and killing external programs; Windows command-line splitting.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QThread>
#include <future>

#include "support/TestSupport.h"
#include "util/Process.h"

using testsupport::TempDir;

namespace {

struct SplitCase {
  const char* parameters;
  QStringList expected;
};

// Rows follow CommandLineToArgvW for the part after the program name.
const SplitCase kSplitCases[] = {
    {"", {}},
    {"   \t ", {}},
    {"a b\tc", {"a", "b", "c"}},
    {"  lead  trail  ", {"lead", "trail"}},
    {R"("a b" c)", {"a b", "c"}},
    {R"(a"b c"d)", {"ab cd"}},
    {R"("")", {""}},
    {R"(a "" b)", {"a", "", "b"}},
    {R"(a\\b c\)", {R"(a\\b)", R"(c\)"}},  // backslashes without a quote are literal
    {R"(a\\"b c")", {R"(a\b c)"}},         // 2n backslashes + quote: n, and the quote groups
    {R"(a\\\"b)", {R"(a\"b)"}},            // 2n+1 backslashes + quote: n and a literal quote
    {R"(\"a\")", {R"("a")"}},
    {R"("a""b")", {R"(a"b)"}},       // "" inside quotes: a literal quote...
    {R"("a"" b")", {R"(a")", "b"}},  // ...that also ends the group
    {R"(""")", {R"(")"}},
    {R"(-p"my pass" "C:\out dir\\" x)", {"-pmy pass", R"(C:\out dir\)", "x"}},
    {"中文 \"带 空格\"", {"中文", "带 空格"}},
};

TEST(SplitCommandLine, FollowsTheWindowsRules) {
  for (const SplitCase& c : kSplitCases)
    EXPECT_EQ(SplitCommandLine(QString::fromUtf8(c.parameters)), c.expected) << c.parameters;
}

TEST(SplitCommandLine, QuotingRoundTrips) {
  QStringList samples = {"",          " ",      "plain",   "with space", "tab\there",
                         R"(q"uote)", R"(\)",   R"(\\)",   R"(end\)",    R"(end\\)",
                         R"(\"x)",    R"(""")", R"(a\"b)", "中文 名",    "-p\"x y\"\\"};
  QRandomGenerator random(42);
  const char16_t alphabet[] = u"ab \t\"\\\\\"";
  for (int i = 0; i < 300; ++i) {
    QString s;
    const int length = random.bounded(8);
    for (int k = 0; k < length; ++k) s += QChar(alphabet[random.bounded(int(std::size(alphabet)) - 1)]);
    samples << s;
  }
  for (const QString& s : samples) {
    EXPECT_EQ(SplitCommandLine(QuoteCommandLineArgument(s)), QStringList{s}) << s.toStdString();
  }
  EXPECT_EQ(SplitCommandLine(JoinCommandLine(samples)), samples);
  EXPECT_EQ(QuoteCommandLineArgument("plain"), "plain");
}

// A script that writes its arguments, one per line, into args.txt of its working folder.
QString ArgumentEchoScript(const TempDir& dir) {
  const QString script = dir.file("echo-args.sh");
  testsupport::WriteFile(script,
                         "#!/bin/sh\nfor a in \"$@\"; do printf '[%s]\\n' \"$a\"; done > args.txt\nexit 3\n");
  QFile::setPermissions(script, QFile::permissions(script) | QFileDevice::ExeOwner);
  return script;
}

TEST(RunAndWait, PassesSplitArgumentsInTheWorkingFolderAndReturnsTheExitCode) {
  TempDir dir;
  const QString script = ArgumentEchoScript(dir);
  testsupport::MakeDir(dir.file("work"));
  EXPECT_EQ(RunAndWait(script, R"(a -p"x y" "C:\dir\\" $HOME;rm *)", dir.file("work"), kSwHide, true), 3);
  EXPECT_EQ(testsupport::ReadFile(dir.file("work/args.txt")), "[a]\n[-px y]\n[C:\\dir\\]\n[$HOME;rm]\n[*]\n");

  EXPECT_EQ(RunAndWait(script, QStringList{"one arg", "", R"(q"uote)"}, dir.file("work"), true), 3);
  EXPECT_EQ(testsupport::ReadFile(dir.file("work/args.txt")), "[one arg]\n[]\n[q\"uote]\n");
}

TEST(RunAndWait, EmptyWorkingFolderAndRelativeProgramUseTheCallersFolder) {
  TempDir dir;
  ArgumentEchoScript(dir);
  testsupport::MakeDir(dir.file("work"));
  const QString previous = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(dir.path()));
  const int inCurrent = RunAndWait("./echo-args.sh", "here", "", kSwHide, true);
  const int relativeProgram = RunAndWait("./echo-args.sh", "there", dir.file("work"), kSwHide, true);
  QDir::setCurrent(previous);
  EXPECT_EQ(inCurrent, 3);
  EXPECT_EQ(testsupport::ReadFile(dir.file("args.txt")), "[here]\n");
  EXPECT_EQ(relativeProgram, 3);
  EXPECT_EQ(testsupport::ReadFile(dir.file("work/args.txt")), "[there]\n");
}

TEST(RunAndWait, ProgramsThatCannotStartReturnMinusOne) {
  TempDir dir;
  testsupport::WriteFile(dir.file("not-executable"), "#!/bin/sh\nexit 0\n");
  EXPECT_EQ(RunAndWait(dir.file("missing"), "", "", kSwHide, true), kStartFailed);
  EXPECT_EQ(RunAndWait(dir.file("not-executable"), "", "", kSwHide, true), kStartFailed);
  EXPECT_EQ(RunAndWait(dir.path(), "", "", kSwHide, true), kStartFailed);
  EXPECT_EQ(RunAndWait("/bin/true", "", dir.file("no-such-folder"), kSwHide, true), kStartFailed);
  EXPECT_EQ(RunAndWait("", "", "", kSwHide, true), kStartFailed);
  EXPECT_EQ(RunAndWait(dir.file("missing"), QStringList{}, "", false), kStartFailed);
}

TEST(RunAndWait, StandardInputIsEmptyAndOutputIsCaptured) {
  // A program reading its input must not wait for a keyboard.
  EXPECT_EQ(RunAndWait("/bin/sh", R"(-c "read line || exit 7")", "", kSwHide, true), 7);
  QByteArray output;
  EXPECT_EQ(RunAndCapture("/bin/sh", {"-c", "echo out; echo err >&2; exit 4"}, "", &output), 4);
  EXPECT_EQ(output, "out\nerr\n");
  EXPECT_EQ(RunAndCapture("/nonexistent/program", {}, "", &output), kStartFailed);
}

// A watched program's output reaches the reader while it runs, not only at its end: the program
// here goes on only once the reader has seen its first line. Standard error comes too, and the
// watcher can still stop it.
TEST(RunAndWatch, HandsTheOutputOverWhileTheProgramRuns) {
  TempDir dir;
  const QString flag = dir.file("seen");
  const QString script =
      QStringLiteral("echo ready; while [ ! -e '%1' ]; do sleep 0.02; done; echo done >&2; exit 5").arg(flag);
  QByteArray heard;
  QElapsedTimer timer;
  timer.start();
  const auto read = [&](const QByteArray& piece) {
    heard += piece;
    if (heard.contains("ready\n")) QFile(flag).open(QIODevice::WriteOnly);
  };
  const auto inTime = [&] { return timer.elapsed() < 20000; };
  EXPECT_EQ(RunAndWatch("/bin/sh", {"-c", script}, "", inTime, 50, read), 5);
  EXPECT_EQ(heard, "ready\ndone\n");

  heard.clear();
  EXPECT_EQ(RunAndWatch(
                "/bin/sh", {"-c", "echo on; exec sleep 30"}, "", [] { return false; }, 50, read),
            kExitKilled);
  EXPECT_EQ(RunAndWatch("/nonexistent/program", {}, "", inTime, 50, read), kStartFailed);
}

// A program given a time (one asked for its version) that does not end in it is ended, whether
// it keeps writing, keeps its output open, or has closed its output and runs on.
// Gone or a zombie: the process has ended.
bool Ended(pid_t pid) {
  QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
  if (!stat.open(QIODevice::ReadOnly)) return true;
  const QByteArray text = stat.readAll();
  const qsizetype close = text.lastIndexOf(')');
  return close < 0 || text.mid(close + 2, 1) == "Z";
}

// A program we wait for dies with us, whether we are killed, crash or lose power, so it never
// goes on writing an output nobody finishes. One started without waiting (an update) lives on.
TEST(RunAndWait, AWaitedProgramDiesWithItsParent) {
  TempDir dir;
  for (const bool wait : {true, false}) {
    SCOPED_TRACE(wait ? "waited for" : "not waited for");
    const QString pidFile = dir.file(wait ? "waited.pid" : "free.pid");
    const pid_t parent = ::fork();
    ASSERT_GE(parent, 0);
    if (parent == 0) {
      RunAndWait("/bin/sh", {"-c", "echo $$ > \"$0\"; exec sleep 60", pidFile}, {}, wait);
      if (!wait) ::pause();
      ::_exit(0);
    }
    QElapsedTimer timer;
    timer.start();
    while (testsupport::ReadFile(pidFile).trimmed().isEmpty() && timer.elapsed() < 10000) QThread::msleep(10);
    const pid_t child = pid_t(testsupport::ReadFile(pidFile).trimmed().toInt());
    ASSERT_GT(child, 0);
    ::kill(parent, SIGKILL);
    ::waitpid(parent, nullptr, 0);
    timer.restart();
    while (!Ended(child) && timer.elapsed() < 5000) QThread::msleep(10);
    EXPECT_EQ(Ended(child), wait);
    ::kill(child, SIGKILL);
  }
}

TEST(RunAndCapture, AProgramPastItsTimeIsKilled) {
  QByteArray output;
  EXPECT_EQ(RunAndCapture("/bin/sh", {"-c", "echo 1.2; exit 3"}, "", &output, 5000), 3);
  EXPECT_EQ(output, "1.2\n");
  for (const char* script : {"echo started; exec sleep 30", "exec >/dev/null 2>&1; exec sleep 30",
                             "while :; do echo busy; done"}) {
    output.clear();
    EXPECT_EQ(RunAndCapture("/bin/sh", {"-c", script}, "", &output, 300), kTimedOut) << script;
  }
}

// Kills the direct children until one was killed; the child may still be starting.
int KillChildrenWhenStarted() {
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < 10000) {
    if (const int killed = KillChildProcesses(getpid(), false)) return killed;
    QThread::msleep(10);
  }
  return 0;
}

TEST(KillChildProcesses, TheBlockedWaiterSees255) {
  auto waiter =
      std::async(std::launch::async, [] { return RunAndWait("/bin/sleep", "30", "", kSwHide, true); });
  EXPECT_EQ(KillChildrenWhenStarted(), 1);
  ASSERT_EQ(waiter.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  EXPECT_EQ(waiter.get(), kExitKilled);
}

TEST(KillChildProcesses, StartedWithoutWaitingIsStillActiveUntilKilled) {
  EXPECT_EQ(RunAndWait("/bin/sleep", QStringList{"30"}, "", false), kStillActive);
  EXPECT_EQ(KillChildrenWhenStarted(), 1);
}

TEST(KillChildProcesses, OnlyDirectChildrenAndNeverTheCaller) {
  TempDir dir;
  const QString pidFile = dir.file("grandchild.pid");
  auto waiter = std::async(std::launch::async, [&] {
    return RunAndWait("/bin/sh", QStringList{"-c", "sleep 30 & echo $! > \"$0\"; wait", pidFile}, "", true);
  });
  QElapsedTimer timer;
  timer.start();
  while (testsupport::ReadFile(pidFile).isEmpty() && timer.elapsed() < 10000) QThread::msleep(10);
  const pid_t grandchild = testsupport::ReadFile(pidFile).trimmed().toInt();
  ASSERT_GT(grandchild, 0);

  EXPECT_EQ(KillChildProcesses(getpid(), false), 1);
  EXPECT_EQ(waiter.get(), kExitKilled);
  EXPECT_EQ(kill(grandchild, 0), 0) << "the grandchild must survive";
  kill(grandchild, SIGKILL);
}

TEST(InstanceKey, IsTheUpperCaseMd5OfTheAsciiBytes) {
  EXPECT_EQ(InstanceKey(""), "D41D8CD98F00B204E9800998ECF8427E");
  EXPECT_EQ(InstanceKey("/opt/Harrowmint/"), "41A5D8F23E2FE85489ECB9A0618B275C");
  EXPECT_EQ(InstanceKey("/opt/Harrowmint/"), InstanceKey("/opt/Harrowmint/"));
  EXPECT_NE(InstanceKey("/opt/Harrowmint/"), InstanceKey("/opt/harrowmint/"));
  // Every non-ASCII unit is hashed as '?'.
  EXPECT_EQ(InstanceKey("/opt/工具/"), InstanceKey(QStringLiteral("/opt/?") + "?/"));
  EXPECT_EQ(InstanceKey("/opt/é/"), InstanceKey("/opt/ü/"));
}

TEST(VersionTexts, ComeFromTheBuildForTheProgramAndAreZeroElsewhere) {
  EXPECT_EQ(ProgramVersionText(), "1.0.0.0");
  EXPECT_EQ(FileVersionText("/proc/self/exe"), ProgramVersionText());
  EXPECT_EQ(FileVersionText("/bin/sh"), "0.0.0.0");
  EXPECT_EQ(FileVersionText("/no/such/file"), "0.0.0.0");
}

}  // namespace
