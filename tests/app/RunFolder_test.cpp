// A run's marked leftovers: a killed run's work folder and partial output are removed by the next
// start, a live run's are kept, and a run that ends removes its own.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>

#include "app/RunFolder.h"
#include "compress/rar/RarPacker.h"
#include "support/TestSupport.h"

using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::TreeListing;
using testsupport::WriteFile;

namespace {

// What a run leaves while it packs `output`: a work folder with content, the partial output, and
// beside it the 7z packer's and the ZIP engine's temporaries and the RAR packer's folder. Returns
// the work folder.
QString WorkAsARun(TRunFolder& run, const QString& output) {
  const QString work = run.path() + "work";
  WriteFile(work + "/big.bin", QByteArray(1000, 'w'));
  run.BeginOutput(output);
  WriteFile(output, "partial");
  WriteFile(output + ".0123abcd.tmp", "partial temporary");
  WriteFile(output + ".4567cdef.hmtmp", "partial temporary of the ZIP engine");
  WriteFile(RarStagingPrefix(output) + "Ab12Cd/archive.rar", "partial archive");
  return work;
}

TEST(RunFolder, TheNextStartRemovesAKilledRunsLeftoversAndKeepsALiveRuns) {
  TempDir dir;
  const QString tempRoot = dir.file("tmp/");
  const QString ready = dir.file("ready");
  const pid_t killed = ::fork();
  ASSERT_GE(killed, 0);
  if (killed == 0) {
    TRunFolder run(tempRoot);
    WriteFile(ready, WorkAsARun(run, dir.file("out/Killed.7z")).toUtf8());
    ::pause();
    ::_exit(0);
  }
  QElapsedTimer timer;
  timer.start();
  while (ReadFile(ready).isEmpty() && timer.elapsed() < 10000) QThread::msleep(10);
  const QString killedWork = QString::fromUtf8(ReadFile(ready));
  ASSERT_TRUE(QFileInfo::exists(killedWork));
  ::kill(killed, SIGKILL);
  ::waitpid(killed, nullptr, 0);

  WriteFile(dir.file("out/Finished.7z"), "an output of an earlier run");
  WriteFile(dir.file("out/.Killed.7z.kept/note.txt"), "not a packer's folder");
  TRunFolder live(tempRoot);
  const QString liveWork = WorkAsARun(live, dir.file("out/Live.7z"));
  EXPECT_EQ(RemoveEndedRuns(tempRoot), 1);
  EXPECT_FALSE(QFileInfo::exists(killedWork));
  EXPECT_EQ(TreeListing(dir.file("out")),
            QStringList({".Killed.7z.kept/", ".Killed.7z.kept/note.txt", ".Live.7z.hm-rar-Ab12Cd/",
                         ".Live.7z.hm-rar-Ab12Cd/archive.rar", "Finished.7z", "Live.7z",
                         "Live.7z.0123abcd.tmp", "Live.7z.4567cdef.hmtmp"}));
  EXPECT_TRUE(QFileInfo::exists(liveWork + "/big.bin"));
  EXPECT_EQ(RemoveEndedRuns(tempRoot), 0);  // the live run again
  EXPECT_TRUE(QFileInfo::exists(liveWork + "/big.bin"));
}

TEST(RunFolder, ARunThatEndsRemovesItsOwnAndKeepsItsFinishedOutput) {
  TempDir dir;
  const QString tempRoot = dir.file("tmp/");
  {
    TRunFolder run(tempRoot);
    WorkAsARun(run, dir.file("out/Done.7z"));
    QFile::remove(dir.file("out/Done.7z.0123abcd.tmp"));
    QFile::remove(dir.file("out/Done.7z.4567cdef.hmtmp"));
    QDir(RarStagingPrefix(dir.file("out/Done.7z")) + "Ab12Cd").removeRecursively();
    run.EndOutput();  // finished
  }
  EXPECT_EQ(TreeListing(tempRoot), QStringList());
  EXPECT_EQ(ReadFile(dir.file("out/Done.7z")), "partial");
}

}  // namespace
