// A run's marked leftovers: a killed run's work folder and partial output are removed by the next
// start, a live run's are kept, also while the start sweeps as runs begin and end, and a run that
// ends removes its own.
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>
#include <atomic>
#include <functional>
#include <thread>
#include <vector>

#include "app/RunFolder.h"
#include "compress/common/WorkingNames.h"
#include "support/TestSupport.h"

using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::TreeListing;
using testsupport::WriteFile;

namespace {

// The working names a packer of `output` writes: a file (ZIP, 7z) and a folder (RAR).
QString WorkingFile(const QString& output) { return WorkingNamePrefix(output) + "Ab12Cd"; }
QString WorkingFolder(const QString& output) { return WorkingNamePrefix(output) + "Xy34Zw"; }
// As a listing of the output's folder shows them.
QStringList WorkingListing(const QString& output) {
  const QString file = QFileInfo(WorkingFile(output)).fileName();
  const QString folder = QFileInfo(WorkingFolder(output)).fileName() + '/';
  return {file, folder, folder + "archive.rar"};
}

// What a run leaves while it packs `output`: a work folder with content, the partial output, and
// beside it what packers write under working names. Returns the work folder.
QString WorkAsARun(TRunFolder& run, const QString& output) {
  const QString work = run.path() + "work";
  WriteFile(work + "/big.bin", QByteArray(1000, 'w'));
  run.BeginOutput(output);
  WriteFile(output, "partial");
  WriteFile(WorkingFile(output), "partial archive");
  WriteFile(WorkingFolder(output) + "/archive.rar", "partial archive");
  return work;
}

// Runs `work` as a run in a process of its own, which is killed once it has done it; returns what
// work returned.
QString KilledRun(const QString& tempRoot, const std::function<QString(TRunFolder&)>& work) {
  TempDir signal;
  const QString ready = signal.file("ready");
  const pid_t killed = ::fork();
  if (killed == 0) {
    TRunFolder run(tempRoot);
    WriteFile(ready, "+" + work(run).toUtf8());
    ::pause();
    ::_exit(0);
  }
  QElapsedTimer timer;
  timer.start();
  while (ReadFile(ready).isEmpty() && timer.elapsed() < 10000) QThread::msleep(10);
  ::kill(killed, SIGKILL);
  ::waitpid(killed, nullptr, 0);
  return QString::fromUtf8(ReadFile(ready).mid(1));
}

TEST(RunFolder, TheNextStartRemovesAKilledRunsLeftoversAndKeepsALiveRuns) {
  TempDir dir;
  const QString tempRoot = dir.file("tmp/");
  const QString killedWork =
      KilledRun(tempRoot, [&dir](TRunFolder& run) { return WorkAsARun(run, dir.file("out/Killed.7z")); });
  ASSERT_TRUE(QFileInfo::exists(killedWork));

  WriteFile(dir.file("out/Finished.7z"), "an output of an earlier run");
  WriteFile(dir.file("out/.Killed.7z.kept/note.txt"), "not a packer's folder");
  // Its prefix, but not a name a packer makes.
  const QString lookalike = WorkingNamePrefix(dir.file("out/Killed.7z")) + "notes.txt";
  WriteFile(lookalike, "the user's");
  TRunFolder live(tempRoot);
  const QString liveWork = WorkAsARun(live, dir.file("out/Live.7z"));
  EXPECT_EQ(RemoveEndedRuns(tempRoot), 1);
  EXPECT_FALSE(QFileInfo::exists(killedWork));
  QStringList kept = QStringList({".Killed.7z.kept/", ".Killed.7z.kept/note.txt", "Finished.7z", "Live.7z",
                                  QFileInfo(lookalike).fileName()}) +
                     WorkingListing(dir.file("out/Live.7z"));
  kept.sort();
  EXPECT_EQ(TreeListing(dir.file("out")), kept);
  EXPECT_TRUE(QFileInfo::exists(liveWork + "/big.bin"));
  EXPECT_EQ(RemoveEndedRuns(tempRoot), 0);  // the live run again
  EXPECT_TRUE(QFileInfo::exists(liveWork + "/big.bin"));
}

// A run killed while it holds an output's name: the name's file is removed only when it is the
// one the run made (the working file it noted is still there and is that file), never another's.
// A run killed between making its lock file and writing its number in it left the file empty: the
// next start takes it once no process holds it, and leaves it to an owner that does.
TEST(RunFolder, AnEmptyLockIsTakenOnlyWhenNoProcessHoldsIt) {
  for (const bool held : {false, true}) {
    SCOPED_TRACE(held ? "held" : "not held");
    TempDir dir;
    const QString tempRoot = dir.file("tmp/");
    const QString folder = tempRoot + "run-20261211084755898";
    WriteFile(folder + "/work/big.bin", "w");
    WriteFile(folder + ".lock", "");
    const int fd = ::open((folder + ".lock").toUtf8().constData(), O_RDONLY);
    ASSERT_GE(fd, 0);
    if (held) ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(RemoveEndedRuns(tempRoot), held ? 0 : 1);
    ::close(fd);
    EXPECT_EQ(TreeListing(dir.path()),
              held ? QStringList({"tmp/", "tmp/run-20261211084755898.lock", "tmp/run-20261211084755898/",
                                  "tmp/run-20261211084755898/work/", "tmp/run-20261211084755898/work/big.bin"})
                   : QStringList());
  }
}

TEST(RunFolder, ARunKilledWhileHoldingANameLeavesNothingAndTakesNothingElse) {
  const struct {
    const char* moment;
    bool workingMade;  // the noted working file was created
    bool linked;       // and linked to the name
    bool nameTaken;    // the name's file is another holder's
    QStringList left;
  } cases[] = {
      {"noted, nothing made yet", false, false, false, {}},
      {"noted, the name another's", false, false, true, {"Tool.zip"}},
      {"the working file made", true, false, false, {}},
      {"the working file made, the name another's", true, false, true, {"Tool.zip"}},
      {"the name linked", true, true, false, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.moment);
    TempDir dir;
    const QString tempRoot = dir.file("tmp/");
    const QString output = dir.file("out/Tool.zip");
    testsupport::MakeDir(dir.file("out"));
    KilledRun(tempRoot, [&](TRunFolder& run) {
      const QString working = WorkingNamePrefix(output) + "Ab12Cd";
      run.HoldingOutput(output, working);
      if (c.nameTaken) WriteFile(output, "");
      if (c.workingMade) WriteFile(working, "");
      if (c.linked) ::link(working.toUtf8().constData(), output.toUtf8().constData());
      return QString();
    });
    EXPECT_EQ(RemoveEndedRuns(tempRoot), 1);
    EXPECT_EQ(TreeListing(dir.file("out")), c.left);
  }
}

// Another program's start sweeps the temp root while runs (a worker's each) begin and end: it takes
// nothing of a live run, and a run that begins meanwhile gets its marked folder even when the sweep
// has just removed the emptied temp root.
TEST(RunFolder, ASweepWhileRunsBeginAndEndTakesNothingLive) {
  TempDir dir;
  const QString tempRoot = dir.file("tmp/");
  std::atomic<bool> done{false};
  std::thread sweeper([&] {
    while (!done) {
      RemoveEndedRuns(tempRoot);
      std::this_thread::yield();
    }
  });
  std::atomic<int> unmarked{0}, lost{0};
  std::vector<std::thread> workers;
  for (int w = 0; w < 2; ++w)
    workers.emplace_back([&] {
      for (int i = 0; i < 150; ++i) {
        TRunFolder run(tempRoot);
        if (!QFileInfo(run.path()).isDir()) {
          ++unmarked;
          continue;
        }
        QFile work(run.path() + "work.bin");
        if (!work.open(QIODevice::WriteOnly) || work.write("w") != 1) ++lost;
        work.close();
        QThread::usleep(200);
        if (!QFileInfo::exists(work.fileName())) ++lost;
      }
    });
  for (std::thread& worker : workers) worker.join();
  done = true;
  sweeper.join();
  EXPECT_EQ(unmarked, 0) << "a run began without its folder";
  EXPECT_EQ(lost, 0) << "a live run's work was swept";
  EXPECT_EQ(RemoveEndedRuns(tempRoot), 0);
}

TEST(RunFolder, ARunThatEndsRemovesItsOwnAndKeepsItsFinishedOutput) {
  TempDir dir;
  const QString tempRoot = dir.file("tmp/");
  {
    TRunFolder run(tempRoot);
    WorkAsARun(run, dir.file("out/Done.7z"));
    QFile::remove(WorkingFile(dir.file("out/Done.7z")));
    QDir(WorkingFolder(dir.file("out/Done.7z"))).removeRecursively();
    run.EndOutput();  // finished
  }
  EXPECT_EQ(TreeListing(tempRoot), QStringList());
  EXPECT_EQ(ReadFile(dir.file("out/Done.7z")), "partial");
}

}  // namespace
