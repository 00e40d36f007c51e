// The README's GNU parallel command for many machines, run for real: two ssh servers in network
// namespaces of their own stand for two hosts, each with the program installed in a folder of its
// own, and this machine is the third; they share the input and output folders. The outputs equal
// those of one local run, and a host killed half-way loses nothing.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QThread>

#include <atomic>
#include <thread>

#include "ArchiveContents.h"
#include "CliHome.h"
#include "SshHosts.h"

using namespace testsupport;
using namespace clitest;

namespace {

// The command as the README gives it, for a batch below root: its folders there, two items a
// program so that every host gets some.
QString ReadmeCommand(const QString& root) {
  const QString readme = QString::fromUtf8(ReadFile(SourceDir() + "/README.md"));
  const qsizetype section = readme.indexOf("### Many machines: GNU parallel");
  const qsizetype start = readme.indexOf("```sh\n", section) + 6;
  QString command = readme.mid(start, readme.indexOf("```", start) - start);
  for (const char* part : {"/srv/repack/in", "/srv/repack/out", "-S host1,host2,:", "-N 50", "--retries 2"})
    EXPECT_TRUE(command.contains(part)) << "the README's command lacks " << part;
  return command.replace("/srv/repack", root).replace("-N 50", "-N 2");
}

// The program installed in a folder of its own: the executable, the engines and the seed data.
QString Install(const QString& folder) {
  MakeDir(folder);
  QFile::copy(BinDir() + "/harrowmint-cli", folder + "/harrowmint-cli");
  QFile::setPermissions(folder + "/harrowmint-cli", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  EXPECT_EQ(RunTool("cp", {"-a", EngineDir(), folder + "/Engine"}).exitCode, 0);
  WriteFile(folder + "/SysDb/Data/delete.dat", "*.url\r\n");
  WriteFile(folder + "/SysDb/Data/MustFiles/Readme.txt", "must have\r\n");
  return folder;
}

// Archives with payloads large enough that a program works on them for a while, a folder, a file
// and a damaged archive (whose program ends with status 1 and must not be run again).
void MakeBatch(const QString& in) {
  const char* script = R"(
import os, sys, zipfile
folder = sys.argv[1]
for i in range(9):
    with zipfile.ZipFile(os.path.join(folder, 'archive-%d.zip' % i), 'w', zipfile.ZIP_DEFLATED) as z:
        z.writestr('data.bin', os.urandom(3000000) + b'%d' % i)
        z.writestr('visit.url', 'ad')
)";
  MakeDir(in);
  ASSERT_EQ(RunTool("python3", {"-c", script, in}).exitCode, 0);
  WriteFile(in + "/Folder/sub/deep.bin", RandomBytes(30000));
  WriteFile(in + "/file.bin", RandomBytes(20000));
  WriteFile(in + "/damaged.zip", "PK\x03\x04" + RandomBytes(2000));
}

// The fingerprints of every archive in a folder, sorted.
QStringList Fingerprints(const QString& folder) {
  QStringList prints;
  for (const QString& name : QDir(folder).entryList(QDir::Files)) prints << Fingerprint(folder + '/' + name);
  prints.sort();
  return prints;
}

struct ManyHosts : testing::Test {
  TempDir dir;
  QString root = dir.path();
  QString local;
  std::unique_ptr<SshHosts> hosts;

  void SetUp() override {
    HM_REQUIRE_TOOL("parallel");
    HM_REQUIRE_TOOL("ssh");
    HM_REQUIRE_TOOL("ssh-keygen");
    HM_REQUIRE_TOOL("ip");
    HM_REQUIRE_TOOL("python3");
    HM_REQUIRE_TOOL("7z");
    HM_REQUIRE_PRESENT(QFileInfo("/usr/sbin/sshd").isExecutable(), "the ssh server /usr/sbin/sshd");
    MakeBatch(root + "/in");
    local = Install(root + "/local");
    hosts = std::make_unique<SshHosts>(root, QStringList{Install(root + "/host1"), Install(root + "/host2")});
    if (!hosts->why().isEmpty()) GTEST_SKIP() << "no test hosts: " << hosts->why().toStdString();
    // The reference: one run of the local program over the whole batch.
    QStringList batch;
    for (const QString& name : QDir(root + "/in").entryList(QDir::AllEntries | QDir::NoDotAndDotDot))
      batch << root + "/in/" + name;
    const ToolRun one =
        RunTool(local + "/harrowmint-cli", QStringList{"--format", "zip", "--output", root + "/one"} + batch);
    ASSERT_EQ(one.exitCode, 1) << one.out.constData();  // the damaged archive
  }

  // The README's command from the client, with this machine's program on its PATH.
  ToolRun RunReadmeCommand() const {
    return hosts->Run(
        "bash", {"-c", ReadmeCommand(root)}, root,
        {"PARALLEL_SSH=ssh -F " + hosts->sshConfig(), "PATH=" + local + ":/usr/bin:/bin", "HOME=" + root});
  }
  // The hosts that ran a program, from parallel's job log.
  QStringList HostsThatRan() const {
    QStringList ran;
    for (const QString& line : QString::fromUtf8(ReadFile(root + "/repack.log")).split('\n').mid(1))
      if (!line.isEmpty()) ran << line.section('\t', 1, 1);
    ran.removeDuplicates();
    ran.sort();
    return ran;
  }
};

TEST_F(ManyHosts, TheReadmeCommandOverTwoHostsAndThisOneMakesWhatOneRunMakes) {
  const ToolRun run = RunReadmeCommand();
  EXPECT_EQ(run.exitCode, 0) << run.out.constData() << run.err.constData();
  EXPECT_EQ(HostsThatRan(), QStringList({":", "host1", "host2"}));
  EXPECT_EQ(TreeListing(root + "/out"), TreeListing(root + "/one"));
  for (const QString& name : QDir(root + "/one").entryList(QDir::Files))
    EXPECT_EQ(Fingerprint(root + "/out/" + name), Fingerprint(root + "/one/" + name)) << name.toStdString();
  // Twelve item lines and the summaries of six programs, in input order per program.
  EXPECT_EQ(Lines(run.out).filter(QRegularExpression("^\\d+\t")).size(), 12);
}

TEST_F(ManyHosts, AHostKilledHalfWayLosesNothing) {
  // host1 is lost while its program works on an item: its server and everything it runs end.
  std::atomic<bool> done{false}, killed{false};
  std::thread killer([&] {
    while (!done) {
      if (!QDir(root + "/host1/tmp").entryList({"run-*"}, QDir::Dirs).isEmpty()) {
        hosts->Kill(0);
        killed = true;
        return;
      }
      QThread::msleep(2);
    }
  });
  const ToolRun run = RunReadmeCommand();
  done = true;
  killer.join();
  ASSERT_TRUE(killed) << "host1 ran nothing to be killed in";
  // Every program finished, the lost host's on another: the job log keeps each program's last run.
  EXPECT_EQ(run.exitCode, 0) << run.out.constData() << run.err.constData();
  EXPECT_FALSE(HostsThatRan().contains("host1")) << ReadFile(root + "/repack.log").constData();
  EXPECT_EQ(Lines(ReadFile(root + "/repack.log")).size(), 1 + 6);

  // What the killed program was writing stays until its program folder is used again.
  RunTool(root + "/host1/harrowmint-cli", {"--output", root + "/out", root + "/in/gone.zip"});
  for (const QString& name :
       QDir(root + "/out").entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)) {
    EXPECT_TRUE(name.endsWith(".zip")) << name.toStdString();
    EXPECT_GT(QFileInfo(root + "/out/" + name).size(), 0) << name.toStdString();
  }
  // Every item's archive is there, whole; an item the lost host had finished may be there twice.
  QStringList expected = Fingerprints(root + "/one"), found = Fingerprints(root + "/out");
  for (const QString& print : expected) EXPECT_TRUE(found.contains(print)) << "lost: " << print.toStdString();
  for (const QString& print : found)
    EXPECT_TRUE(expected.contains(print)) << "unknown: " << print.toStdString();
  found.removeDuplicates();
  EXPECT_EQ(found, expected);
  EXPECT_EQ(QDir(root + "/in").entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(), 12);
}

}  // namespace
