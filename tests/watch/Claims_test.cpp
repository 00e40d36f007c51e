// Claiming arrivals, writing down and carrying out how they end, the journal, and taking back
// what a killed watcher left: each item once, whoever is killed when.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>

#include "support/TestSupport.h"
#include "watch/ClaimEnd.h"
#include "watch/ClaimFolder.h"
#include "watch/InboxLayout.h"
#include "watch/Journal.h"
#include "watch/TakeBack.h"

using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::TreeListing;
using testsupport::WriteFile;

namespace {

struct Inbox {
  TempDir dir;
  TInboxLayout layout{dir.file("in")};
  TJournal journal{layout.journal()};
  Inbox() { EXPECT_TRUE(layout.Make()); }
  QString In(const QString& name) const { return layout.Arrival(name); }
  QStringList JournalLines() const {
    return QString::fromUtf8(ReadFile(layout.journal())).split('\n', Qt::SkipEmptyParts);
  }
  // What the inbox holds, without the watchers' own folder.
  QStringList Arrivals() const {
    return QDir(layout.inbox()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
  }
};

QJsonObject Line(const QString& source, const QString& output = {}) {
  return {{"source", source}, {"output", output}, {"state", 1}};
}

TEST(ClaimFolder, OneWatcherGetsAnArrivalAndASecondOfTheSameNameWaitsForTheFirst) {
  Inbox in;
  WriteFile(in.In("game.zip"), "game");
  TClaimFolder first(in.layout, "host", 11), second(in.layout, "host", 12);
  ASSERT_TRUE(first.ok() && second.ok());
  EXPECT_EQ(first.path(), in.layout.claimed() + "host-11/");
  EXPECT_TRUE(QFileInfo::exists(in.layout.claimed() + "host-11.lock"));
  EXPECT_EQ(first.Claim("game.zip"), TClaimFolder::TClaim::Claimed);
  EXPECT_EQ(second.Claim("game.zip"), TClaimFolder::TClaim::Lost);
  EXPECT_EQ(ReadFile(first.path() + "game.zip"), "game");

  // The same name uploaded again while the first is worked on stays in the inbox.
  WriteFile(in.In("game.zip"), "game again");
  EXPECT_EQ(first.Claim("game.zip"), TClaimFolder::TClaim::Busy);
  EXPECT_EQ(ReadFile(first.path() + "game.zip"), "game");
  EXPECT_EQ(ReadFile(in.In("game.zip")), "game again");
  EXPECT_FALSE(ReturnToInbox(in.layout, first.path() + "game.zip"));  // never over the new one
  EXPECT_EQ(ReadFile(in.In("game.zip")), "game again");
}

TEST(ClaimEnd, EntriesTakeFreeNamesASetKeepsOneNumberAndTheLineSaysWhereTheItemIs) {
  Inbox in;
  TClaimFolder claims(in.layout, "host", 11);
  for (const char* name : {"set.part1.rar", "set.part2.rar", "Folder"}) {
    if (QString(name) == "Folder")
      WriteFile(in.In("Folder/a.bin"), "a");
    else
      WriteFile(in.In(name), name);
    ASSERT_EQ(claims.Claim(name), TClaimFolder::TClaim::Claimed);
  }
  // Earlier items of these names are done already; the first volume's name is taken twice.
  WriteFile(in.layout.done() + "set.part1.rar", "earlier");
  WriteFile(in.layout.done() + "set_1.part1.rar", "earlier");
  WriteFile(in.layout.done() + "Folder", "an earlier file of that name");

  const std::optional<TClaimEnd> set = WriteClaimEnd(claims.path(), {"set.part1.rar", "set.part2.rar"},
                                                     Line(in.In("set.part1.rar")), in.layout.done());
  ASSERT_TRUE(set.has_value());
  const std::optional<TClaimEnd> folder =
      WriteClaimEnd(claims.path(), {"Folder"}, Line(in.In("Folder")), in.layout.done());
  ASSERT_TRUE(folder.has_value());
  // What is written down reads back as it was.
  const std::optional<TClaimEnd> read = ReadClaimEnd(claims.path(), "set.part1.rar");
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ(read->line, set->line);
  EXPECT_EQ(read->entries, set->entries);
  EXPECT_EQ(read->toFolder, in.layout.done());
  EXPECT_EQ(read->inode, set->inode);

  EXPECT_EQ(CarryOutClaimEnd(claims.path(), *set, in.journal), in.layout.done() + "set_2.part1.rar");
  EXPECT_EQ(CarryOutClaimEnd(claims.path(), *folder, in.journal), in.layout.done() + "Folder_1");
  EXPECT_EQ(TreeListing(in.layout.done()),
            QStringList({"Folder", "Folder_1/", "Folder_1/a.bin", "set.part1.rar", "set_1.part1.rar",
                         "set_2.part1.rar", "set_2.part2.rar"}));
  EXPECT_EQ(ReadFile(in.layout.done() + "set_2.part2.rar"), "set.part2.rar");
  EXPECT_EQ(TreeListing(claims.path()), QStringList());  // the records went with their items
  const QStringList lines = in.JournalLines();
  ASSERT_EQ(lines.size(), 2);
  EXPECT_EQ(QJsonDocument::fromJson(lines[0].toUtf8()).object()["kept"].toString(),
            in.layout.done() + "set_2.part1.rar");
  EXPECT_EQ(QJsonDocument::fromJson(lines[1].toUtf8()).object()["kept"].toString(),
            in.layout.done() + "Folder_1");
}

TEST(Journal, LinesOfManyWritersStayWholeAndAnUnfinishedLineIsEndedFirst) {
  Inbox in;
  // A writer that ran out of disk left half a line.
  WriteFile(in.layout.journal(), "{\"cut\":");
  constexpr int kWriters = 4, kLines = 150;
  std::vector<pid_t> writers;
  for (int w = 0; w < kWriters; ++w) {
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      bool ok = true;
      for (int i = 0; i < kLines; ++i)
        ok &= in.journal.Append(QStringLiteral("{\"writer\":%1,\"line\":%2,\"pad\":\"%3\"}")
                                    .arg(w)
                                    .arg(i)
                                    .arg(QString(300, 'x'))
                                    .toUtf8());
      ::_exit(ok ? 0 : 1);
    }
    writers.push_back(pid);
  }
  for (const pid_t pid : writers) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  const QStringList lines = in.JournalLines();
  ASSERT_EQ(lines.size(), kWriters * kLines + 1);
  EXPECT_EQ(lines[0], "{\"cut\":");
  QSet<QString> seen;
  for (const QString& line : lines.mid(1)) {
    const QJsonObject object = QJsonDocument::fromJson(line.toUtf8()).object();
    ASSERT_FALSE(object.isEmpty()) << line.toStdString();
    seen.insert(QString::number(object["writer"].toInt()) + '/' + QString::number(object["line"].toInt()));
  }
  EXPECT_EQ(seen.size(), kWriters * kLines);
  EXPECT_TRUE(in.journal.Append(lines[5].toUtf8(), true));
  EXPECT_EQ(in.JournalLines().size(), lines.size());
}

// A watcher process that claims what the test names, writes down the ends it is given, and then
// waits to be killed.
pid_t Watcher(const Inbox& in, const std::function<void(TClaimFolder&)>& work, const QString& ready) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    TClaimFolder claims(in.layout, "host", ::getpid());
    work(claims);
    WriteFile(ready, "ready");
    ::pause();
    ::_exit(0);
  }
  testsupport::WaitFor([&ready] { return QFileInfo::exists(ready); }, 10000);
  return pid;
}

TEST(TakeBack, AKilledWatchersItemsAreFinishedAsWrittenDownOrArriveAgainAndALiveOnesAreLeftAlone) {
  Inbox in;
  WriteFile(in.dir.file("out/finished.zip"), "the output of finished.bin");
  const QStringList names = {"finished.bin", "moved.bin",  "journaled.bin", "cut-short.bin",
                             "running.bin",  "set.7z.001", "set.7z.002",    "clash.bin"};
  for (const QString& name : names) WriteFile(in.In(name), name.toUtf8());
  const pid_t killed = Watcher(
      in,
      [&in, &names](TClaimFolder& claims) {
        for (const QString& name : names) claims.Claim(name);
        // Killed with its end written down and its output there: finished as written.
        WriteClaimEnd(claims.path(), {"finished.bin"},
                      Line(in.In("finished.bin"), in.dir.file("out/finished.zip")), in.layout.done());
        // Killed after its move, before its journal line.
        WriteClaimEnd(claims.path(), {"moved.bin"}, Line(in.In("moved.bin")), in.layout.failed());
        QFile::rename(claims.path() + "moved.bin", in.layout.failed() + "moved.bin");
        // Killed after its journal line, before its record went.
        const auto journaled =
            WriteClaimEnd(claims.path(), {"journaled.bin"}, Line(in.In("journaled.bin")), in.layout.failed());
        const QByteArray record = ReadFile(claims.path() + ".journaled.bin.end");
        CarryOutClaimEnd(claims.path(), *journaled, in.journal);
        WriteFile(claims.path() + ".journaled.bin.end", record);
        // Killed before its run let go of the output, which the next start removed.
        WriteClaimEnd(claims.path(), {"cut-short.bin"},
                      Line(in.In("cut-short.bin"), in.dir.file("out/cut-short.zip")), in.layout.done());
      },
      in.dir.file("killed-ready"));
  const pid_t live = Watcher(
      in, [](TClaimFolder&) {}, in.dir.file("live-ready"));
  ASSERT_GT(killed, 0);
  ASSERT_GT(live, 0);
  // The same name arrived again meanwhile: the earlier one waits in the claimed folder.
  WriteFile(in.In("clash.bin"), "a new upload");

  int sweeps = 0;
  const auto sweep = [&sweeps] { ++sweeps; };
  EXPECT_EQ(TakeBackClaims(in.layout, "host", -1, in.journal, sweep), 0);  // both live
  ::kill(killed, SIGKILL);
  ::waitpid(killed, nullptr, 0);
  EXPECT_EQ(TakeBackClaims(in.layout, "other-host", -1, in.journal, sweep), 0);  // not that host's
  EXPECT_EQ(TakeBackClaims(in.layout, "host", -1, in.journal, sweep), 0);        // one item could not go back
  EXPECT_EQ(sweeps, 1);

  EXPECT_EQ(in.Arrivals(),
            QStringList({"clash.bin", "cut-short.bin", "running.bin", "set.7z.001", "set.7z.002"}));
  EXPECT_EQ(ReadFile(in.In("clash.bin")), "a new upload");
  EXPECT_EQ(TreeListing(in.layout.done()), QStringList({"finished.bin"}));
  EXPECT_EQ(TreeListing(in.layout.failed()), QStringList({"journaled.bin", "moved.bin"}));
  QMap<QString, QString> kept;
  for (const QString& line : in.JournalLines()) {
    const QJsonObject object = QJsonDocument::fromJson(line.toUtf8()).object();
    EXPECT_FALSE(kept.contains(object["source"].toString())) << line.toStdString();
    kept[object["source"].toString()] = object["kept"].toString();
  }
  EXPECT_EQ(kept, (QMap<QString, QString>{{in.In("finished.bin"), in.layout.done() + "finished.bin"},
                                          {in.In("moved.bin"), in.layout.failed() + "moved.bin"},
                                          {in.In("journaled.bin"), in.layout.failed() + "journaled.bin"}}));

  // Once the new upload has been taken, the earlier one arrives too.
  QFile::remove(in.In("clash.bin"));
  EXPECT_EQ(TakeBackClaims(in.layout, "host", -1, in.journal, sweep), 1);
  EXPECT_EQ(ReadFile(in.In("clash.bin")), "clash.bin");
  EXPECT_EQ(QDir(in.layout.claimed()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
            QStringList({QStringLiteral("host-%1").arg(live), QStringLiteral("host-%1.lock").arg(live)}));
  ::kill(live, SIGKILL);
  ::waitpid(live, nullptr, 0);
  EXPECT_EQ(TakeBackClaims(in.layout, "host", -1, in.journal, sweep), 1);
  EXPECT_EQ(TreeListing(in.layout.claimed()), QStringList());
  EXPECT_EQ(in.JournalLines().size(), 3);
}

}  // namespace
