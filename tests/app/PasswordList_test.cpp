// The password list with a scripted facade: which passwords an item tries and in what order, each
// try from an empty work folder, the status when none opens the archive, the index the item
// reports, and where the list comes from (Passwords.dat, a file the run was given, neither).
#include "FakeFacade.h"
#include "RunnerFixture.h"
#include "app/RunOverrides.h"
#include "app/StatusTexts.h"
#include "util/LogTap.h"

using testsupport::MakeDir;
using testsupport::WriteFile;

namespace {

struct ListCase {
  const char* what;
  QString boxPassword;
  QStringList list;
  std::optional<QString> archivePassword;  // none: the archive needs no password
  int wrongPasswordCode;                   // what the engine says to any other password
  int failureCode;                         // what it says to the right one (crSuccess: opens)
  QStringList tried;
  QString status;
  int index;
};

ListCase Row(const char* what, QString box, QStringList list, std::optional<QString> archivePassword,
             QStringList tried, QString status, int index, int wrongCode = crWrongPassword,
             int failureCode = crSuccess) {
  return {what, box, list, archivePassword, wrongCode, failureCode, tried, status, index};
}

TEST(PasswordList, TriedInOrderUntilOneOpensTheArchive) {
  const QString packed = TStatusText::Packed;
  const QString wrong = TStatusText::WrongPassword;
  const QString cannot = TStatusText::CannotExtract;
  const ListCase cases[] = {
      Row("the second line opens it", "", {"one", "two", "three"}, "two", {"", "one", "two"}, packed, 1),
      Row("the box's password opens it", "two", {"one", "two"}, "two", {"two"}, packed, -1),
      Row("no password is needed", "", {"one"}, std::nullopt, {""}, packed, -1),
      Row("all are wrong", "box", {"one", "two"}, "secret", {"box", "one", "two"}, wrong, -1),
      Row("no list", "box", {}, "secret", {"box"}, wrong, -1),
      Row("a line equal to one tried is not tried again", "one", {"one", "two", "one", "three"}, "three",
          {"one", "two", "three"}, packed, 3),
      // 7z says "cannot extract" to a wrong password; encrypted content makes it worth the next.
      Row("7z: the third line opens it", "", {"a", "b", "c"}, "c", {"", "a", "b", "c"}, packed, 2, crFailed),
      Row("7z: all are wrong", "", {"a", "b"}, "c", {"", "a", "b"}, cannot, -1, crFailed),
      // The right password meets damage on encrypted content: a 7z archive cannot tell that from a
      // wrong password, so the rest are tried; damage, not the password, is what is said.
      Row("a damaged archive behind the right password", "", {"a", "b", "c"}, "b", {"", "a", "b", "c"},
          cannot, -1, crWrongPassword, crFailed),
  };
  for (const ListCase& c : cases) {
    SCOPED_TRACE(c.what);
    RunnerHome h;
    h.settings.UnCompressPwd = c.boxPassword;
    h.Data("Passwords.dat", c.list.isEmpty() ? QString() : c.list.join("\r\n") + "\r\n");
    WriteFile(h.In("src.zip"), "archive");
    FakeFacade fake;
    FakeArchive& archive = fake.archives["src.zip"];
    archive.content = {{"file.txt", "content"}};
    archive.password = c.archivePassword;
    archive.wrongPasswordCode = c.wrongPasswordCode;
    archive.code = c.failureCode;
    RecordingObserver o;
    h.Run(o, RunnerHome::Checked({h.In("src.zip")}), Factory(fake));

    EXPECT_EQ(fake.log->triedPasswords, c.tried);
    EXPECT_EQ(o.results[0].status, c.status);
    EXPECT_EQ(o.results[0].unpackPasswordIndex, c.index);
    // Every try began in a folder of its own, empty, and none outlived the item.
    for (const QString& folder : fake.log->extractedInto)
      EXPECT_TRUE(folder.endsWith(" empty")) << folder.toStdString();
    EXPECT_EQ(QSet<QString>(fake.log->extractedInto.begin(), fake.log->extractedInto.end()).size(),
              fake.log->extractedInto.size());
    EXPECT_EQ(h.TempLeftovers(), QStringList());
    if (c.status == packed) {
      EXPECT_EQ(fake.log->packedTrees.last(), QStringList({"file.txt"}));
    }
  }
}

// An archive whose headers ask seconds of key derivation a try: the item tries passwords only as
// long as the time spent and the next try's cost stay within MaxPasswordSeconds (0: no bound).
TEST(PasswordList, NoTryThatWouldPassMaxPasswordSeconds) {
  const QString packed = TStatusText::Packed;
  const QString wrong = TStatusText::WrongPassword;
  const struct {
    const char* what;
    int maxSeconds;
    double secondsPerTry;
    QString box;
    QString archivePassword;
    QStringList tried;
    QString status;
  } cases[] = {
      // The empty password derives no key: free; then three tries of 8 s, a fourth would pass 30.
      {"three lines fit", 30, 8, "", "e", {"", "a", "b", "c"}, wrong},
      {"the right one within the bound", 30, 8, "", "b", {"", "a", "b"}, packed},
      {"no bound", 0, 8, "", "e", {"", "a", "b", "c", "d", "e"}, packed},
      {"no try fits, not even the box's", 5, 8, "box", "a", {}, wrong},
      {"headers that ask for nothing", 30, 0, "", "e", {"", "a", "b", "c", "d", "e"}, packed},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    RunnerHome h;
    h.settings.MaxPasswordSeconds = c.maxSeconds;
    h.settings.UnCompressPwd = c.box;
    h.Data("Passwords.dat", "a\r\nb\r\nc\r\nd\r\ne\r\n");
    WriteFile(h.In("src.rar"), "archive");
    FakeFacade fake;
    FakeArchive& archive = fake.archives["src.rar"];
    archive.detected = ".rar";
    archive.content = {{"file.txt", "content"}};
    archive.password = c.archivePassword;
    archive.secondsPerTry = c.secondsPerTry;
    QStringList log;
    const TLogTap tap([&log](const TLogLine& line) { log << line.message; });
    RecordingObserver o;
    h.Run(o, RunnerHome::Checked({h.In("src.rar")}), Factory(fake));
    EXPECT_EQ(fake.log->triedPasswords, c.tried);
    EXPECT_EQ(o.results[0].status, c.status);
    EXPECT_EQ(log.join('\n').contains("MaxPasswordSeconds"), c.tried.size() < 6 && c.status == wrong)
        << log.join('\n').toStdString();
  }
}

TEST(PasswordList, EachItemStartsWithTheBoxPasswordAgain) {
  RunnerHome h;
  h.settings.UnCompressPwd = "box";
  h.Data("Passwords.dat", "first\r\nsecond\r\n");
  WriteFile(h.In("a.zip"), "a");
  WriteFile(h.In("b.zip"), "b");
  FakeFacade fake;
  fake.archives["a.zip"].password = "second";
  fake.archives["b.zip"].password = "box";
  RecordingObserver o;
  h.Run(o, RunnerHome::Checked({h.In("a.zip"), h.In("b.zip")}), Factory(fake));
  EXPECT_EQ(fake.log->triedPasswords, QStringList({"box", "first", "second", "box"}));
  EXPECT_EQ(o.results[0].unpackPasswordIndex, 1);
  EXPECT_EQ(o.results[1].unpackPasswordIndex, -1);
}

TEST(PasswordList, AListFileGivenToTheRunReplacesPasswordsDat) {
  RunnerHome h;
  h.Data("Passwords.dat", "stored\r\n");
  // UTF-16 with its byte-order mark, as the other list files may be.
  const QString text = QStringLiteral("密码一\r\n密码二\r\n");
  QByteArray utf16("\xff\xfe");
  utf16.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
  WriteFile(h.home.file("list.txt"), utf16);
  h.settings = ApplyRunOverrides(h.settings, {.passwordsFile = h.home.file("list.txt")});
  WriteFile(h.In("src.rar"), "archive");
  FakeFacade fake;
  fake.archives["src.rar"].detected = ".rar";
  fake.archives["src.rar"].password = QStringLiteral("密码二");
  RecordingObserver o;
  h.Run(o, RunnerHome::Checked({h.In("src.rar")}), Factory(fake));
  EXPECT_EQ(fake.log->triedPasswords, QStringList({"", QStringLiteral("密码一"), QStringLiteral("密码二")}));
  EXPECT_EQ(o.results[0].unpackPasswordIndex, 1);
}

// A list the user named that cannot be read stops the run before anything happens; the data
// folder's own list is optional, and one that cannot be read is told and left out.
TEST(PasswordList, ListFilesThatCannotBeRead) {
  RunnerHome h;
  WriteFile(h.In("src.zip"), "archive");
  MakeDir(h.home.file("folder.txt"));
  for (const QString& file : {h.home.file("missing.txt"), h.home.file("folder.txt")}) {
    SCOPED_TRACE(file.toStdString());
    RecordingObserver o;
    TJobRunner runner(h.paths, o, Factory(FakeFacade()));
    const TStartResult start = runner.Start(ApplyRunOverrides(h.settings, {.passwordsFile = file}),
                                            RunnerHome::Checked({h.In("src.zip")}));
    EXPECT_FALSE(start.started);
    EXPECT_EQ(start.message, TRunText::PasswordListUnreadable(file));
    EXPECT_TRUE(o.steps.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(h.Out("")));  // not even the output folder
  }

  MakeDir(h.paths.dataFolder() + "Passwords.dat");
  FakeFacade fake;
  fake.archives["src.zip"].password = "secret";
  RecordingObserver o;
  h.Run(o, RunnerHome::Checked({h.In("src.zip")}), Factory(fake));
  EXPECT_EQ(o.warnings, QStringList({TRunText::DataFileUnreadable(h.paths.dataFolder() + "Passwords.dat")}));
  EXPECT_EQ(o.results[0].status, TStatusText::WrongPassword);
}

}  // namespace
