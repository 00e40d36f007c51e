// harrowmint-cli on several items at once (--jobs), and a batch split over two programs by GNU
// parallel: the same outputs, entry for entry and byte for byte, as one item after another, the
// lines in input order, and a stop that ends every running packer.
#include <QDir>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>

#include "ArchiveContents.h"
#include "CliHome.h"

using namespace testsupport;
using namespace clitest;

namespace {

struct ItemLine {
  QString index, status, output;
};

// The item lines of a run's standard output (the summary lines have no tab).
QList<ItemLine> ItemLines(const QByteArray& out) {
  QList<ItemLine> items;
  for (const QString& line : Lines(out)) {
    const QStringList cells = line.split('\t');
    if (cells.size() == 4) items.append({cells[0], cells[1], cells[2]});
  }
  return items;
}

QStringList SummaryLines(const QByteArray& out) { return Lines(out).filter(QRegularExpression("^[^\t]*$")); }

// Archives, folders and files of every kind an item can be, good and bad; "same.zip" and the
// folder "same" want the same output name.
QStringList MixedBatch(const CliHome& h) {
  h.MakeZip("game.zip");
  h.MakeZip("same.zip");
  WriteFile(h.In("same/data.bin"), RandomBytes(12000));
  WriteFile(h.In("same/visit.url"), "ad");
  WriteFile(h.In("Folder/sub/deep.bin"), RandomBytes(30000));
  WriteFile(h.In("Folder/top.txt"), QByteArray(5000, 't'));
  WriteFile(h.In("file.bin"), RandomBytes(9000));
  WriteFile(h.In("damaged.zip"), "PK\x03\x04" + RandomBytes(2000));
  WriteFile(h.home + "/tree-7z/inner/a.bin", RandomBytes(15000));
  EXPECT_EQ(RunTool("7z", {"a", "-bd", h.In("pack.7z"), "inner"}, h.home + "/tree-7z").exitCode, 0);
  QStringList paths;
  for (const char* name :
       {"game.zip", "same.zip", "Folder", "damaged.zip", "gone.zip", "same", "pack.7z", "file.bin"})
    paths << h.In(name);
  return paths;
}

TEST(CliJobs, SeveralJobsMakeWhatOneJobMakesInEveryFormat) {
  HM_REQUIRE_TOOL("zip");
  HM_REQUIRE_TOOL("unrar");
  HM_REQUIRE_TOOL("7z");
  for (const char* format : {"zip", "7z", "rar"}) {
    SCOPED_TRACE(format);
    CliHome h;
    const QStringList batch = MixedBatch(h);
    const ToolRun one =
        h.Run(QStringList{"--jobs", "1", "--format", format, "--output", h.home + "/one"} + batch);
    const ToolRun two =
        h.Run(QStringList{"--jobs", "2", "--format", format, "--output", h.home + "/two"} + batch);
    EXPECT_EQ(two.exitCode, one.exitCode);
    EXPECT_EQ(one.exitCode, 1) << one.out.constData();  // the damaged and the missing archive

    const QList<ItemLine> lines1 = ItemLines(one.out), lines2 = ItemLines(two.out);
    ASSERT_EQ(lines1.size(), batch.size()) << one.out.constData();
    ASSERT_EQ(lines2.size(), batch.size()) << two.out.constData();
    QStringList names1, names2;
    for (int i = 0; i < int(batch.size()); ++i) {
      SCOPED_TRACE(batch[i].toStdString());
      EXPECT_EQ(lines1[i].index, QString::number(i));
      EXPECT_EQ(lines2[i].index, QString::number(i));
      EXPECT_EQ(lines2[i].status, lines1[i].status);
      EXPECT_EQ(lines2[i].output.isEmpty(), lines1[i].output.isEmpty());
      if (lines1[i].output.isEmpty()) continue;
      EXPECT_EQ(Contents(lines2[i].output), Contents(lines1[i].output));
      names1 << QFileInfo(lines1[i].output).fileName();
      names2 << QFileInfo(lines2[i].output).fileName();
    }
    EXPECT_EQ(SummaryLines(two.out), SummaryLines(one.out));
    // Which of the two same-named items takes the suffix depends on which is named first.
    names1.sort();
    names2.sort();
    EXPECT_EQ(names2, names1);
    const QString ext = QStringLiteral(".") + format;
    EXPECT_TRUE(names2.contains("same" + ext) && names2.contains("same_1" + ext))
        << names2.join(' ').toStdString();
    EXPECT_EQ(TreeListing(h.home + "/two"), TreeListing(h.home + "/one"));
    EXPECT_EQ(TreeListing(h.home + "/tmp"), QStringList());
  }
}

TEST(CliJobs, TerminationEndsEveryRunningPacker) {
  CliHome h;
  QFile::remove(h.home + "/Engine");
  // Every packer run leaves a mark of its own, then waits to be ended.
  WriteFile(h.home + "/Engine/rar",
            ("#!/bin/sh\ntouch '" + h.home + "/started-'$$\nexec sleep 60\n").toUtf8());
  QFile::setPermissions(h.home + "/Engine/rar", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  for (const char* name : {"first", "second", "third"}) WriteFile(h.In(name) + "/a.bin", name);

  QProcess cli;
  cli.start(Cli(), {"--home", h.home, "--jobs", "2", "--format", "rar", "--output", h.home + "/out",
                    h.In("first"), h.In("second"), h.In("third")});
  ASSERT_TRUE(cli.waitForStarted());
  const auto started = [&h] { return QDir(h.home).entryList({"started-*"}).size(); };
  for (int i = 0; i < 600 && started() < 2; ++i) QThread::msleep(50);
  ASSERT_EQ(started(), 2);
  cli.terminate();
  ASSERT_TRUE(cli.waitForFinished(30000));
  EXPECT_EQ(cli.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(cli.exitCode(), 1);
  // Both items in progress were stopped; the third never began.
  EXPECT_EQ(Lines(cli.readAllStandardOutput()),
            QStringList({"0\t已停止\t\t0", "1\t已停止\t\t0", "状态:打包完毕,共完成0个。",
                         "2个打包失败，请注意核对。"}));
  EXPECT_EQ(started(), 2);
  EXPECT_EQ(TreeListing(h.home + "/out"), QStringList());
  EXPECT_EQ(TreeListing(h.home + "/tmp"), QStringList());
  EXPECT_EQ(TreeListing(h.home + "/in"),
            QStringList({"first/", "first/a.bin", "second/", "second/a.bin", "third/", "third/a.bin"}));
}

// A batch split by GNU parallel over two programs that share the output folder, as machines that
// share it would: the same archives as one run, and the two items that want one name both get one.
TEST(CliJobs, GnuParallelSplitsABatchOverTwoPrograms) {
  HM_REQUIRE_TOOL("parallel");
  HM_REQUIRE_TOOL("zip");
  HM_REQUIRE_TOOL("7z");
  CliHome h;
  const QStringList batch = MixedBatch(h);
  const ToolRun one = h.Run(QStringList{"--format", "zip", "--output", h.home + "/one"} + batch);
  // Four items a program, both programs at once, their lines kept in the order of the chunks.
  const ToolRun split =
      RunTool("parallel", QStringList{"--will-cite", "--keep-order", "-j2", "-N4", Cli(), "--home", h.home,
                                      "--format", "zip", "--output", h.home + "/split", ":::"} +
                              batch);
  EXPECT_EQ(split.exitCode, 2) << split.err.constData();  // parallel's count of programs with failures

  const QList<ItemLine> lines1 = ItemLines(one.out), lines2 = ItemLines(split.out);
  ASSERT_EQ(lines2.size(), lines1.size()) << split.out.constData();
  for (int i = 0; i < int(lines1.size()); ++i) {
    EXPECT_EQ(lines2[i].index, QString::number(i % 4));
    EXPECT_EQ(lines2[i].status, lines1[i].status) << batch[i].toStdString();
  }
  EXPECT_EQ(TreeListing(h.home + "/split"), TreeListing(h.home + "/one"));
  QStringList prints1, prints2;
  for (const QString& name : TreeListing(h.home + "/one")) {
    prints1 << Fingerprint(h.home + "/one/" + name);
    prints2 << Fingerprint(h.home + "/split/" + name);
  }
  prints1.sort();
  prints2.sort();
  EXPECT_EQ(prints2, prints1);
  EXPECT_EQ(TreeListing(h.home + "/tmp"), QStringList());
}

}  // namespace
