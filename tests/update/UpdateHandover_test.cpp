// After a download: the target path, the hand-over file's exact bytes, and what is started (and
// what never is) for each origin of the package.
#include <QFileInfo>
#include <QTest>

#include "UpdateFixtures.h"
#include "support/TestSupport.h"
#include "update/PackageTrust.h"
#include "update/UpdateHandover.h"
#include "update/UpdateTexts.h"

using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

TEST(UpdateHandover, DownloadTargetByFormat) {
  struct Row {
    const char* saveDir;
    const char* format;
    const char* expected;
  };
  const Row rows[] = {
      {"<app>", "zip", "/opt/hm/update/tmp.tmp"},      {"<app>", "exe", "/opt/hm/update/update.exe"},
      {"<app>", "msi", "/opt/hm/update/update.exe"},  // anything but "zip" is an installer
      {"<app>", "ZIP", "/opt/hm/update/update.exe"},   {"<app>", "", "/opt/hm/update/update.exe"},
      {"/data/dl/", "zip", "/data/dl/update/tmp.tmp"}, {"<app>cache", "zip", "/opt/hm/cache/update/tmp.tmp"},
  };
  for (const Row& row : rows)
    EXPECT_EQ(DownloadTargetPath(row.saveDir, "/opt/hm/", row.format), row.expected)
        << row.saveDir << " " << row.format;
}

const QByteArray kDescription = DescriptionXml({{"newMajVer", "2"},
                                                {"KillProc", B64("harrowmint\r\nharrowmint-cli")},
                                                {"MainExe", B64("harrowmint")},
                                                {"MainPram", B64("--home \"/opt/hm\" <x>")},
                                                {"DelFiles", B64("Engine/old.pk")}});

TEST(UpdateHandover, TheHandOverFileCarriesTheUpdaterInstructions) {
  const QByteArray expected =
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
      "<root>"
      "<list id=\"KillProcList2\" Value=\"" +
      B64("harrowmint\r\nharrowmint-cli").toLatin1() +
      "\"/>"
      "<list id=\"MainProcName\" Value=\"harrowmint\"/>"
      "<list id=\"MainProcPram\" Value=\"--home &quot;/opt/hm&quot; &lt;x&gt;\"/>"
      "<list id=\"DelFileList\" Value=\"" +
      B64("Engine/old.pk").toLatin1() +
      "\"/>"
      "</root>";
  EXPECT_EQ(HandoverText(kDescription), expected);

  // What the updater reads back.
  TXML written;
  ASSERT_TRUE(written.LoadFromText(HandoverText(kDescription)));
  const THandover handover = ReadHandover(written);
  EXPECT_EQ(handover.processNames, (QStringList{"harrowmint", "harrowmint-cli"}));
  EXPECT_EQ(handover.mainExe, "harrowmint");
  EXPECT_EQ(handover.mainPram, "--home \"/opt/hm\" <x>");
  EXPECT_EQ(handover.deleteFiles, QStringList{"Engine/old.pk"});
  // A description without the instructions gives empty values, not a missing element.
  EXPECT_EQ(HandoverText(DescriptionXml({})),
            "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<root><list id=\"KillProcList2\" Value=\"\"/>"
            "<list id=\"MainProcName\" Value=\"\"/><list id=\"MainProcPram\" Value=\"\"/>"
            "<list id=\"DelFileList\" Value=\"\"/></root>");
}

// A program folder with a downloaded package and, when asked, a recording updater.
struct Installation {
  TempDir dir;
  QByteArray package = QByteArrayLiteral("PK\x03\x04 the new version");
  TUpdateOffer offer;

  Installation() {
    offer.xml = kDescription;
    offer.fileUrl = "http://127.0.0.1/p.zip";
  }
  QString Folder() const { return dir.path() + '/'; }
  QString Package() const { return dir.file("update/tmp.tmp"); }
  QString Record() const { return dir.file("ran.txt"); }
  void AddUpdater() { WriteRecordingProgram(UpdaterPath(Folder()), Record()); }
  TInstallResult Install(bool verifiedHttps = false) {
    WriteFile(Package(), package);
    return InstallDownloadedUpdate(offer, Package(), verifiedHttps, Folder());
  }
  // Nothing was started: no record appears within a moment.
  bool NothingStarted() const { return !WaitForFile(Record(), 300); }
};

TEST(UpdateInstall, AMatchingDigestHandsTheZipToTheUpdater) {
  Installation in;
  in.AddUpdater();
  in.offer.fileSha256 = Sha256Of(in.package).toUpper();
  const TInstallResult result = in.Install();
  EXPECT_TRUE(result.started) << result.reason.toStdString();
  ASSERT_TRUE(WaitForFile(in.Record()));
  // One argument, "update", started in the program folder.
  EXPECT_EQ(QString::fromUtf8(ReadFile(in.Record())), "update\n" + in.dir.path() + "\n");
  EXPECT_EQ(ReadFile(in.dir.file("tmp.updx")), HandoverText(kDescription));
  EXPECT_EQ(ReadFile(in.Package()), in.package) << "the package stays for the updater";
}

TEST(UpdateInstall, NothingStartsWithoutAnEstablishedOrigin) {
  struct Row {
    const char* name;
    QString sha256;
    bool verifiedHttps;
    QString reason;
  };
  const Row rows[] = {
      {"plain http without digest", {}, false, TUpdateText::OriginUnverified},
      {"digest differs", Sha256Of("other bytes"), false, TUpdateText::HashMismatch},
      {"digest differs over https", Sha256Of("other bytes"), true, TUpdateText::HashMismatch},
      {"malformed digest", "not-a-digest", true, TUpdateText::HashMismatch},
  };
  for (const Row& row : rows) {
    Installation in;
    in.AddUpdater();
    in.offer.fileSha256 = row.sha256;
    const TInstallResult result = in.Install(row.verifiedHttps);
    EXPECT_FALSE(result.started) << row.name;
    EXPECT_EQ(result.errorId, TUpdateText::InstallErrorId) << row.name;
    EXPECT_EQ(result.reason, row.reason) << row.name;
    EXPECT_FALSE(QFileInfo::exists(in.Package())) << row.name << ": unverified code is not left to run";
    EXPECT_FALSE(QFileInfo::exists(in.dir.file("tmp.updx"))) << row.name;
    EXPECT_TRUE(in.NothingStarted()) << row.name;
  }
}

TEST(UpdateInstall, VerifiedHttpsNeedsNoDigest) {
  Installation in;
  in.AddUpdater();
  EXPECT_TRUE(in.Install(true).started);
  EXPECT_TRUE(WaitForFile(in.Record()));
}

TEST(UpdateInstall, AMissingUpdaterIsAnErrorNotACrash) {
  Installation in;
  in.offer.fileSha256 = Sha256Of(in.package);
  TInstallResult result = in.Install();
  EXPECT_FALSE(result.started);
  EXPECT_EQ(result.reason, TUpdateText::UpdaterMissing);
  EXPECT_FALSE(QFileInfo::exists(in.dir.file("tmp.updx")));

  // Present but not executable counts as missing.
  WriteFile(UpdaterPath(in.Folder()), "#!/bin/sh\n");
  result = in.Install();
  EXPECT_EQ(result.reason, TUpdateText::UpdaterMissing);
}

TEST(UpdateInstall, AnInstallerRunsWithTheDescriptionParameters) {
  Installation in;
  in.offer.UpdateDataFormat = "exe";
  in.offer.RunPram = "/S \"--dir=a b\"";
  const QString record = in.Record();
  in.package = "#!/bin/sh\n{ for a in \"$@\"; do echo \"$a\"; done; } > '" + record.toUtf8() +
               ".part' && mv '" + record.toUtf8() + ".part' '" + record.toUtf8() + "'\n";
  in.offer.fileSha256 = Sha256Of(in.package);
  const TInstallResult result = in.Install();
  EXPECT_TRUE(result.started) << result.reason.toStdString();
  ASSERT_TRUE(WaitForFile(record));
  EXPECT_EQ(ReadFile(record), "/S\n--dir=a b\n");
  EXPECT_FALSE(QFileInfo::exists(in.dir.file("tmp.updx"))) << "the hand-over file is for the updater only";
}

TEST(PackageTrust, TheDigestDecidesWhenGiven) {
  TempDir dir;
  WriteFile(dir.file("p"), "bytes");
  const QString digest = Sha256Of("bytes");
  EXPECT_EQ(FileSha256(dir.file("p")), digest);
  EXPECT_EQ(JudgePackage(dir.file("p"), digest, false), TPackageTrust::ViaSha256);
  EXPECT_EQ(JudgePackage(dir.file("p"), " " + digest.toUpper() + " ", false), TPackageTrust::ViaSha256);
  EXPECT_EQ(JudgePackage(dir.file("p"), Sha256Of("x"), true), TPackageTrust::Sha256Mismatch);
  EXPECT_EQ(JudgePackage(dir.file("missing"), digest, true), TPackageTrust::Sha256Mismatch);
  EXPECT_EQ(JudgePackage(dir.file("p"), {}, true), TPackageTrust::ViaHttps);
  EXPECT_EQ(JudgePackage(dir.file("p"), {}, false), TPackageTrust::Unverified);
}

}  // namespace
