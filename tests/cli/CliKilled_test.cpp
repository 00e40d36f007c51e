// A run killed with SIGKILL at any moment leaves nothing once the program starts again: not in the
// output folder, not in the program folder, not in the system's temp folder. Each format is killed
// at the moments where it has something on the disk: its run folder made, the source half
// extracted, the output half packed, and (RAR) the comment handed to the packer.
#include <signal.h>

#include <QDirIterator>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

#include <functional>

#include "CliHome.h"

using namespace testsupport;
using namespace clitest;

namespace {

// A program folder whose run has a comment to hand over, its own system temp folder, and a
// source of many files, so that each phase lasts long enough to be met.
struct KilledHome {
  CliHome h;
  TempDir systemTemp;
  TempDir outside;  // the output folder lies outside the program folder, as it may
  QString out = outside.file("out");

  KilledHome() {
    WriteFile(h.home + "/SysDb/Data/Comment.txt", "comment of the repack\r\n");
    const QString tree = h.home + "/tree";
    for (int i = 0; i < 1500; ++i) WriteFile(tree + QStringLiteral("/f%1.bin").arg(i), RandomBytes(8192));
    EXPECT_EQ(RunTool("zip", {"-q0r", h.In("src.zip"), "."}, tree).exitCode, 0);
    QDir(tree).removeRecursively();
    WriteFile(h.In("tiny.txt"), "tiny");
  }
  QProcessEnvironment Environment() const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("TMPDIR", systemTemp.path());
    return environment;
  }
  // A start that writes nothing outside its work folders: a dry run, which cleans a small file
  // as a run would (reading the data folder's rules).
  void StartAgain() const {
    QProcess cli;
    cli.setProcessEnvironment(Environment());
    cli.start(Cli(), {"--home", h.home, "--dry-run", h.In("tiny.txt")});
    ASSERT_TRUE(cli.waitForFinished(60000));
  }
  // Files below a folder whose name begins with `prefix`, at any depth.
  static bool HasFile(const QString& folder, const QString& prefix = {}) {
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
      if (QFileInfo(it.next()).fileName().startsWith(prefix)) return true;
    return false;
  }
};

struct Moment {
  const char* what;
  std::function<bool(const KilledHome&)> reached;
};

const Moment kStarted{"its run folder is made", [](const KilledHome& k) {
                        return !QDir(k.h.home + "/tmp").isEmpty(QDir::Dirs | QDir::NoDotAndDotDot);
                      }};
const Moment kExtracting{"the source is being extracted",
                         [](const KilledHome& k) { return KilledHome::HasFile(k.h.home + "/tmp", "f"); }};
// The output folder holds more than the output's name: what the packer writes beside it.
const Moment kPacking{
    "the output is being packed", [](const KilledHome& k) {
      return QDir(k.out).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size() > 1;
    }};
const Moment kCommentHanded{"the comment is handed to the packer", [](const KilledHome& k) {
                              return KilledHome::HasFile(k.h.home + "/tmp", "hm-comment-") ||
                                     KilledHome::HasFile(k.systemTemp.path(), "hm-comment-");
                            }};

TEST(CliKilled, NothingIsLeftAfterTheNextStartWhateverTheMoment) {
  HM_REQUIRE_TOOL("zip");
  HM_REQUIRE_ENGINE("rar");
  const struct {
    const char* format;
    QList<Moment> moments;
  } cases[] = {
      {"rar", {kStarted, kExtracting, kPacking, kCommentHanded}},
      {"zip", {kStarted, kExtracting, kPacking}},
      {"7z", {kStarted, kExtracting, kPacking}},
  };
  for (const auto& c : cases) {
    for (const Moment& moment : c.moments) {
      SCOPED_TRACE(std::string(c.format) + ", killed when " + moment.what);
      KilledHome k;
      k.StartAgain();  // seeds the data folder
      const QStringList programFolder = TreeListing(k.h.home);

      QProcess cli;
      cli.setProcessEnvironment(k.Environment());
      cli.start(Cli(), {"--home", k.h.home, "--format", c.format, "--output", k.out, k.h.In("src.zip")});
      ASSERT_TRUE(cli.waitForStarted());
      QElapsedTimer waited;
      waited.start();
      // Killed as soon as the moment is seen: a packer's working file may be renamed a moment later.
      bool reached = false;
      while (cli.state() == QProcess::Running && !(reached = moment.reached(k)) && waited.elapsed() < 120000)
        QThread::msleep(1);
      ASSERT_EQ(cli.state(), QProcess::Running)
          << "the run ended first, exit code " << cli.exitCode() << ": " << cli.readAllStandardOutput().data()
          << cli.readAllStandardError().data();
      ::kill(pid_t(cli.processId()), SIGKILL);
      ASSERT_TRUE(reached) << "not reached in two minutes";
      ASSERT_TRUE(cli.waitForFinished(30000));

      k.StartAgain();
      EXPECT_EQ(TreeListing(k.out), QStringList());
      EXPECT_EQ(TreeListing(k.h.home), programFolder);
      EXPECT_EQ(TreeListing(k.systemTemp.path()), QStringList());
    }
  }
}

}  // namespace
