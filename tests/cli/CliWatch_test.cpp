// harrowmint-cli --watch with the real engines: archives that arrive slowly (a writer that pauses
// with the file open) and quickly (renamed in) are each repacked once, through a kill -9 and a
// restart, and through three watchers of which one is killed; SIGTERM lets the item in progress
// finish, two Ctrl+C put it back; the run's options reach the watched items.
#include <signal.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QThread>

#include <thread>

#include "CliHome.h"

using namespace testsupport;
using namespace clitest;

namespace {

// A watcher program over the home's inbox ("in"), writing to "out".
struct WatchProcess {
  QProcess process;
  WatchProcess(const CliHome& h, const QStringList& extra = {}) {
    process.start(Cli(), QStringList{"--home", h.home, "--watch", h.home + "/in", "--output", h.home + "/out",
                                     "--settle", "0.3", "--jobs", "0", "--format", "zip"} +
                             extra);
    EXPECT_TRUE(process.waitForStarted());
    // Its claimed folder comes after the kernel's notifications: no writer goes unnoticed then.
    const QString claimed = h.home + "/in/.harrowmint/claimed/";
    EXPECT_TRUE(WaitFor([&] {
      return !QDir(claimed).entryList({"*-" + QString::number(process.processId())}, QDir::Dirs).isEmpty();
    }));
  }
  ~WatchProcess() {
    if (process.state() != QProcess::NotRunning) {
      process.kill();
      process.waitForFinished(10000);
    }
  }
  void Signal(int signal) const { ::kill(pid_t(process.processId()), signal); }
  bool Ended() { return process.waitForFinished(120000); }
};

QList<QJsonObject> Journal(const CliHome& h) {
  QList<QJsonObject> lines;
  for (const QByteArray& line : ReadFile(h.home + "/in/.harrowmint/journal.jsonl").split('\n'))
    if (!line.isEmpty()) lines << QJsonDocument::fromJson(line).object();
  return lines;
}

// `count` ZIP archives made by python's zipfile in folder: archive-NNN.zip holding a payload of
// its own and an advertising link the seed rules remove.
void MakeArchives(const QString& folder, int count) {
  const char* script = R"(
import os, sys, zipfile
folder, count = sys.argv[1], int(sys.argv[2])
os.makedirs(folder, exist_ok=True)
for i in range(count):
    with zipfile.ZipFile(os.path.join(folder, 'archive-%03d.zip' % i), 'w', zipfile.ZIP_DEFLATED) as z:
        z.writestr('data.bin', os.urandom(200000) + b'%d' % i)
        z.writestr('visit.url', 'ad')
)";
  const ToolRun run = RunTool("python3", {"-c", script, folder, QString::number(count)});
  ASSERT_EQ(run.exitCode, 0) << run.err.constData();
}

QString ArchiveName(int i) { return QStringLiteral("archive-%1.zip").arg(i, 3, 10, QChar('0')); }

// The archives from `first` to before `last` renamed into the inbox one after another, a pause
// between them, as an upload tool that finishes each file elsewhere does.
void RenameIn(const CliHome& h, const QString& sources, int first, int last, int pauseMs) {
  for (int i = first; i < last; ++i) {
    QFile::copy(sources + '/' + ArchiveName(i), h.home + "/staging-" + ArchiveName(i));
    QFile::rename(h.home + "/staging-" + ArchiveName(i), h.In(ArchiveName(i)));
    QThread::msleep(pauseMs);
  }
}

// Checks with python's zipfile that every output holds exactly what its source held after the
// cleanup (data.bin byte for byte, the must-have file, no link). Prints the names that do not.
QByteArray WrongOutputs(const QString& sources, const QString& outputs) {
  const char* script = R"(
import os, sys, zipfile
sources, outputs = sys.argv[1], sys.argv[2]
for name in sorted(os.listdir(sources)):
    out = os.path.join(outputs, name)
    try:
        with zipfile.ZipFile(os.path.join(sources, name)) as s, zipfile.ZipFile(out) as o:
            if o.testzip() is not None or sorted(o.namelist()) != ['Readme.txt', 'data.bin'] \
               or o.read('data.bin') != s.read('data.bin'):
                print(name)
    except Exception as e:
        print(name, e)
)";
  const ToolRun run = RunTool("python3", {"-c", script, sources, outputs});
  return run.exitCode == 0 ? run.out : "checker failed: " + run.err;
}

// What lies in a folder, names only.
QStringList Names(const QString& folder) {
  return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
}

// Every arrival once: one journal line each, its source in done/, one output of its own name.
void ExpectEachOnce(const CliHome& h, const QString& sources, int count) {
  const QList<QJsonObject> journal = Journal(h);
  QStringList journaled;
  for (const QJsonObject& line : journal) {
    journaled << QFileInfo(line["source"].toString()).fileName();
    EXPECT_EQ(line["state"].toInt(), 1) << line["source"].toString().toStdString();
  }
  journaled.sort();
  EXPECT_EQ(journal.size(), count);
  EXPECT_EQ(journaled, Names(sources));
  EXPECT_EQ(Names(h.home + "/in/.harrowmint/done"), Names(sources));
  // Outputs take their sources' names: none ran twice to a "_1" name.
  EXPECT_EQ(Names(h.home + "/out"), Names(sources));
  EXPECT_EQ(WrongOutputs(sources, h.home + "/out"), "");
  for (const QString& name : Names(sources))
    EXPECT_EQ(ReadFile(h.home + "/in/.harrowmint/done/" + name), ReadFile(sources + '/' + name))
        << name.toStdString();
  EXPECT_EQ(Names(h.home + "/in"), QStringList());
  EXPECT_EQ(TreeListing(h.home + "/in/.harrowmint/claimed"), QStringList());
  EXPECT_EQ(TreeListing(h.home + "/tmp"), QStringList());
}

constexpr int kCount = 100;

// A program folder and the archives that are to arrive in its inbox.
struct CliWatchArrivals : testing::Test {
  CliHome h;
  QString sources = h.home + "/sources";
  void SetUp() override {
    HM_REQUIRE_TOOL("python3");
    MakeArchives(sources, kCount);
  }
};

TEST_F(CliWatchArrivals, SlowAndQuickOnesAreRepackedOnceEachThroughAKillAndARestart) {
  auto watcher = std::make_unique<WatchProcess>(h);

  // Half are uploaded slowly: five writers, each file in three pieces with pauses longer than the
  // settle time while the file stays open. The other half are renamed in, one at a time.
  std::vector<std::thread> writers;
  for (int w = 0; w < 5; ++w)
    writers.emplace_back([this, w] {
      for (int i = w; i < kCount / 2; i += 5) {
        const QString name = ArchiveName(i);
        const QByteArray bytes = ReadFile(sources + '/' + name);
        QFile file(h.In(name));
        if (!file.open(QIODevice::WriteOnly)) return;
        for (int piece = 0; piece < 3; ++piece) {
          file.write(
              bytes.mid(piece * bytes.size() / 3, (piece + 1) * bytes.size() / 3 - piece * bytes.size() / 3));
          file.flush();
          QThread::msleep(450);
        }
      }
    });
  std::thread renamer([this] { RenameIn(h, sources, kCount / 2, kCount, 120); });

  // Killed in the middle, started again at once.
  ASSERT_TRUE(WaitFor([this] { return Journal(h).size() >= 35; }));
  watcher->process.kill();
  ASSERT_TRUE(watcher->process.waitForFinished(10000));
  watcher = std::make_unique<WatchProcess>(h);

  for (std::thread& writer : writers) writer.join();
  renamer.join();
  ASSERT_TRUE(WaitFor([this] { return Journal(h).size() >= kCount; })) << Journal(h).size();
  QThread::msleep(1000);  // nothing more comes
  watcher->Signal(SIGTERM);
  ASSERT_TRUE(watcher->Ended());
  EXPECT_EQ(watcher->process.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(watcher->process.exitCode(), 0) << watcher->process.readAllStandardError().constData();
  const QStringList out = Lines(watcher->process.readAllStandardOutput());
  ASSERT_FALSE(out.isEmpty());
  EXPECT_TRUE(out.last().startsWith("状态:打包完毕,共完成")) << out.last().toStdString();
  ExpectEachOnce(h, sources, kCount);
}

TEST_F(CliWatchArrivals, ThreeWatchersTakeEachOnceWhenOneIsKilled) {
  std::vector<std::unique_ptr<WatchProcess>> watchers;
  for (int i = 0; i < 3; ++i)
    watchers.push_back(std::make_unique<WatchProcess>(h, QStringList{"--jobs", "1"}));
  std::thread renamer([this] { RenameIn(h, sources, 0, kCount, 40); });
  ASSERT_TRUE(WaitFor([this] { return Journal(h).size() >= 30; }));
  watchers[1]->process.kill();
  ASSERT_TRUE(watchers[1]->process.waitForFinished(10000));
  renamer.join();
  // The two that live take back what the killed one had claimed.
  ASSERT_TRUE(WaitFor([this] { return Journal(h).size() >= kCount; })) << Journal(h).size();
  QThread::msleep(1000);
  for (const int i : {0, 2}) {
    watchers[i]->Signal(SIGTERM);
    ASSERT_TRUE(watchers[i]->Ended());
    EXPECT_EQ(watchers[i]->process.exitCode(), 0) << watchers[i]->process.readAllStandardError().constData();
  }
  ExpectEachOnce(h, sources, kCount);
}

// The run's options reach every watched item (--nested, --test-output), and its journal line is
// the item's --json object with the time, the host and where the item now lies added.
TEST(CliWatch, TheRunsOptionsReachEachItemAndItsJournalLineIsItsJsonLine) {
  HM_REQUIRE_TOOL("zip");
  HM_REQUIRE_TOOL("unzip");
  CliHome h;
  h.MakeNestedZip(h.home + "/upload.zip");

  WatchProcess watcher(h, {"--json", "--nested", "1", "--test-output"});
  ASSERT_TRUE(QFile::rename(h.home + "/upload.zip", h.In("upload.zip")));
  ASSERT_TRUE(WaitFor([&h] { return Journal(h).size() == 1; }));
  watcher.Signal(SIGTERM);
  ASSERT_TRUE(watcher.Ended());
  EXPECT_EQ(watcher.process.exitCode(), 0) << watcher.process.readAllStandardError().constData();

  QJsonObject line = Journal(h).first();
  EXPECT_EQ(line["nestedOpened"].toArray(), QJsonArray({"inner.zip"}));
  EXPECT_EQ(line["nestedKept"].toArray(), QJsonArray({"broken.rar"}));
  EXPECT_EQ(line["source"].toString(), h.In("upload.zip"));
  EXPECT_EQ(line["output"].toString(), h.Out("upload.zip"));
  EXPECT_FALSE(line.take("time").toString().isEmpty());
  EXPECT_FALSE(line.take("host").toString().isEmpty());
  EXPECT_EQ(line.take("kept").toString(), h.In(".harrowmint/done/upload.zip"));
  const QStringList out = Lines(watcher.process.readAllStandardOutput());
  ASSERT_FALSE(out.isEmpty());
  EXPECT_EQ(QJsonDocument::fromJson(out.first().toUtf8()).object(), line) << out.first().toStdString();
  EXPECT_EQ(ZipFiles(h.Out("upload.zip")), QStringList({"Readme.txt", "broken.rar", "inner/data.bin"}));
  EXPECT_FALSE(ReadFile(h.home + "/Data/Setting.ini").contains("NestedDepth"));
}

// The RAR packer of this home takes its time: a stop request comes while it runs.
void SlowRarPacker(const CliHome& h) {
  QFile::remove(h.home + "/Engine");
  MakeDir(h.home + "/Engine");
  for (const QString& name : QDir(EngineDir()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot))
    QFile::link(QFileInfo(EngineDir() + '/' + name).canonicalFilePath(), h.home + "/Engine/" + name);
  QFile::remove(h.home + "/Engine/rar");
  WriteFile(h.home + "/Engine/rar", ("#!/bin/sh\ntouch '" + h.home + "/packing'\nsleep 2\nexec '" +
                                     QFileInfo(EngineDir() + "/rar").canonicalFilePath() + "' \"$@\"\n")
                                        .toUtf8());
  QFile::setPermissions(h.home + "/Engine/rar", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST(CliWatch, SigtermFinishesTheItemInProgressAndTwoInterruptsPutItBack) {
  HM_REQUIRE_TOOL("rar");
  HM_REQUIRE_TOOL("unrar");
  for (const bool interruptTwice : {false, true}) {
    SCOPED_TRACE(interruptTwice ? "two interrupts" : "SIGTERM");
    CliHome h;
    SlowRarPacker(h);
    WriteFile(h.home + "/staging/file.bin", RandomBytes(30000));
    WatchProcess watcher(h, {"--format", "rar"});
    QFile::rename(h.home + "/staging/file.bin", h.In("file.bin"));
    ASSERT_TRUE(WaitFor([&h] { return QFileInfo::exists(h.home + "/packing"); }));
    if (interruptTwice) {
      watcher.Signal(SIGINT);
      QThread::msleep(100);
      watcher.Signal(SIGINT);
    } else {
      watcher.Signal(SIGTERM);
    }
    ASSERT_TRUE(watcher.Ended());
    EXPECT_EQ(watcher.process.exitStatus(), QProcess::NormalExit);
    const QStringList out = Lines(watcher.process.readAllStandardOutput());
    if (interruptTwice) {
      EXPECT_EQ(watcher.process.exitCode(), 1);
      EXPECT_EQ(out, QStringList({"状态:打包完毕,共完成0个。"}));
      EXPECT_EQ(Names(h.home + "/in"), QStringList({"file.bin"}));
      EXPECT_EQ(Names(h.home + "/out"), QStringList());
      EXPECT_EQ(Journal(h).size(), 0);
    } else {
      EXPECT_EQ(watcher.process.exitCode(), 0);
      const QString output = h.Out("file.rar");
      EXPECT_EQ(out, QStringList({Line(0, "打包完毕", output), "状态:打包完毕,共完成1个。"}));
      EXPECT_EQ(RunTool("unrar", {"t", "-idq", output}).exitCode, 0);
      EXPECT_EQ(Names(h.home + "/in/.harrowmint/done"), QStringList({"file.bin"}));
      ASSERT_EQ(Journal(h).size(), 1);
      EXPECT_EQ(Journal(h)[0]["output"].toString(), output);
    }
    EXPECT_EQ(TreeListing(h.home + "/in/.harrowmint/claimed"), QStringList());
    EXPECT_EQ(TreeListing(h.home + "/tmp"), QStringList());
  }
}

}  // namespace
