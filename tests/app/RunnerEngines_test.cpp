// Whole runs through the real facade and engines: archives made by independent tools go in,
// outputs are listed by independent tools; wrong passwords, corrupt archives, and a stop request
// that ends the running packer program.
#include <QFile>
#include <algorithm>
#include <atomic>
#include <filesystem>
#include <thread>

#include "IndependentListing.h"
#include "RunnerFixture.h"
#include "app/StatusTexts.h"

using testsupport::MakeDir;
using testsupport::RandomBytes;
using testsupport::ReadFile;
using testsupport::RunTool;
using testsupport::WriteFile;

namespace {

// The content every source holds: a payload, an advertising link and a text file with a tag.
void FillSourceTree(const QString& folder) {
  WriteFile(folder + "/data.bin", RandomBytes(20000));
  WriteFile(folder + "/notes[ad].txt", "Game notes\r\n");
  WriteFile(folder + "/sub/visit.url", "[InternetShortcut]\r\n");
}

void WriteCleanupRules(const RunnerHome& h) {
  h.Data("delete.dat", "*.url\r\n");
  h.Data("NameDelete.dat", "[ad]\r\n");
  h.Data("MustFiles/Readme.txt", "must have\r\n");
}

class RunnerWithEngines : public testing::TestWithParam<int> {};

TEST_P(RunnerWithEngines, ArchivesFolderAndFileRepackedAndCleaned) {
  for (const char* tool : {"zip", "7z", "rar", "unzip", "unrar"}) HM_REQUIRE_TOOL(tool);
  RunnerHome h;
  h.LinkBuiltEngines();
  h.settings.CompressExt = GetParam();
  h.settings.LockRAR = true;
  WriteCleanupRules(h);
  const QString tree = h.home.file("tree");
  FillSourceTree(tree);
  ASSERT_EQ(RunTool("zip", {"-qr", h.In("src.zip"), "."}, tree).exitCode, 0);
  ASSERT_EQ(RunTool("7z", {"a", "-bd", h.In("src.7z"), "."}, tree).exitCode, 0);
  ASSERT_EQ(RunTool("rar", {"a", "-r", "-ep1", "-idq", h.In("src.rar"), tree + "/*"}).exitCode, 0);
  FillSourceTree(h.In("Folder"));
  WriteFile(h.In("plain.bin"), RandomBytes(9000));

  RecordingObserver o;
  h.Run(o, RunnerHome::Checked(
               {h.In("src.zip"), h.In("src.7z"), h.In("src.rar"), h.In("Folder"), h.In("plain.bin")}));

  const QString ext = GetOutputExt(GetParam());
  const QStringList cleaned{"Readme.txt", "data.bin", "notes.txt"};
  const QStringList expected[] = {cleaned, cleaned, cleaned, cleaned, {"Readme.txt", "plain.bin"}};
  for (int i = 0; i < 5; ++i) {
    const TItemResult& r = o.results[i];
    SCOPED_TRACE(r.source.toStdString());
    EXPECT_EQ(r.status, TStatusText::Packed);
    EXPECT_EQ(r.rowState(), 1);
    EXPECT_TRUE(r.CompressPath.endsWith(ext));
    EXPECT_EQ(listing::FileNames(r.CompressPath), expected[i]);
  }
  EXPECT_EQ(o.results[0].CompressPath, h.Out("src" + ext));
  EXPECT_EQ(o.results[1].CompressPath, h.Out("src_1" + ext));
  EXPECT_EQ(o.results[2].CompressPath, h.Out("src_2" + ext));
  EXPECT_EQ(h.TempLeftovers(), QStringList());
  EXPECT_TRUE(QFileInfo::exists(h.In("Folder/sub/visit.url")));  // the user's folder was copied first
  if (GetParam() == ofRAR) {
    const QByteArray info = RunTool("unrar", {"lt", "-p-", o.results[0].CompressPath}).out;
    EXPECT_TRUE(info.contains(", lock")) << info.constData();
  }
}

INSTANTIATE_TEST_SUITE_P(OutputFormats, RunnerWithEngines,
                         testing::Values(int(ofZIP), int(of7z), int(ofRAR)));

// Relative paths of the files below root, as the file system holds them (bytes), sorted.
QList<QByteArray> RawFilesBelow(const QString& root) {
  namespace fs = std::filesystem;
  QList<QByteArray> files;
  const fs::path base = QFile::encodeName(root).toStdString();
  for (const auto& entry : fs::recursive_directory_iterator(base))
    if (entry.is_regular_file())
      files << QByteArray::fromStdString(entry.path().lexically_relative(base).native());
  std::sort(files.begin(), files.end());
  return files;
}

// Every file in, every file out, every name intact: names beyond U+FFFF (several that a 16-bit
// cut would merge), a name in GBK bytes as a Windows system leaves it, and a link to a file. The
// outputs are checked by the engines' own tools: tested whole, then extracted by them.
TEST_P(RunnerWithEngines, EveryFileAndEveryNameOfAFolderReachesTheOutput) {
  for (const char* tool : {"7z", "unzip", "unrar"}) HM_REQUIRE_TOOL(tool);
  RunnerHome h;
  h.LinkBuiltEngines();
  h.settings.CompressExt = GetParam();
  h.Data("MustFiles/Readme.txt", "must have\r\n");
  const QString folder = h.In("Names");
  const QByteArray gbk("\xC4\xE3\xBA\xC3.txt");  // 你好.txt
  for (const char* name : {"a😀b.txt", "x𠀀1.txt", "x𠀀2.txt", "y𡀀.txt"})
    WriteFile(folder + '/' + name, name);
  testsupport::WriteFileAtRawPath(folder, gbk, "written on Windows");
  WriteFile(folder + "/data.bin", RandomBytes(20000));
  ASSERT_TRUE(QFile::link("data.bin", folder + "/link.bin"));

  RecordingObserver o;
  h.Run(o, RunnerHome::Checked({folder}));
  const TItemResult& r = o.results[0];
  ASSERT_EQ(r.status, TStatusText::Packed);
  ASSERT_EQ(r.rowState(), 1);

  const QString check = h.home.file("check");
  if (GetParam() == ofZIP) {
    EXPECT_EQ(RunTool("unzip", {"-tq", r.CompressPath}).exitCode, 0);
    ASSERT_EQ(RunTool("7z", {"x", "-bd", "-o" + check, r.CompressPath}).exitCode, 0);
  } else if (GetParam() == of7z) {
    EXPECT_EQ(RunTool("7z", {"t", r.CompressPath}).exitCode, 0);
    ASSERT_EQ(RunTool("7z", {"x", "-bd", "-o" + check, r.CompressPath}).exitCode, 0);
  } else {
    EXPECT_EQ(RunTool("unrar", {"t", "-idq", r.CompressPath}).exitCode, 0);
    ASSERT_EQ(RunTool("unrar", {"x", "-idq", r.CompressPath, check + '/'}).exitCode, 0);
  }
  // ZIP stores the GBK name in its own bytes (the OEM code page) and RAR keeps the bytes; 7z
  // keeps names as text, so its reader writes the name in UTF-8.
  const QByteArray gbkOut = GetParam() == of7z ? QByteArray("你好.txt") : gbk;
  QList<QByteArray> expected{"Readme.txt", "a😀b.txt",  "data.bin", "link.bin",
                             "x𠀀1.txt",   "x𠀀2.txt", "y𡀀.txt",  gbkOut};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(RawFilesBelow(check), expected);
  for (const char* name : {"a😀b.txt", "x𠀀1.txt", "x𠀀2.txt", "y𡀀.txt"})
    EXPECT_EQ(ReadFile(check + '/' + name), name);
  EXPECT_EQ(ReadFile(check + "/link.bin"), ReadFile(folder + "/data.bin"));
}

TEST(RunnerWithEngines, PasswordsAndDamagedArchives) {
  for (const char* tool : {"zip", "7z", "rar"}) HM_REQUIRE_TOOL(tool);
  RunnerHome h;
  h.LinkBuiltEngines();
  h.settings.UnCompressPwd = "wrong";
  const QString tree = h.home.file("tree");
  FillSourceTree(tree);
  ASSERT_EQ(RunTool("zip", {"-qr", "-P", "secret", h.In("locked.zip"), "."}, tree).exitCode, 0);
  ASSERT_EQ(RunTool("rar", {"a", "-r", "-ep1", "-idq", "-psecret", h.In("locked.rar"), tree + "/*"}).exitCode,
            0);
  ASSERT_EQ(RunTool("7z", {"a", "-bd", "-psecret", h.In("locked.7z"), "."}, tree).exitCode, 0);
  WriteFile(h.In("damaged.zip"), "PK\x03\x04" + RandomBytes(3000));
  WriteFile(h.In("damaged.rar"), "Rar!\x1a\x07\x01" + RandomBytes(3000));
  QByteArray truncated = ReadFile(h.In("locked.7z"));
  WriteFile(h.In("truncated.7z"), truncated.left(truncated.size() / 2));

  RecordingObserver o;
  h.Run(o, RunnerHome::Checked({h.In("locked.zip"), h.In("locked.rar"), h.In("locked.7z"),
                                h.In("damaged.zip"), h.In("damaged.rar"), h.In("truncated.7z")}));
  const QString expected[] = {"解压密码错误", "解压密码错误", "无法解压", "无法解压", "无法解压", "无法解压"};
  for (int i = 0; i < 6; ++i) {
    SCOPED_TRACE(o.results[i].source.toStdString());
    EXPECT_EQ(o.results[i].status, expected[i]);
    EXPECT_EQ(o.results[i].rowState(), -1);
    EXPECT_FALSE(o.results[i].outputExists);
  }
  EXPECT_EQ(o.summary->errorCount, 6);
  EXPECT_EQ(h.TempLeftovers(), QStringList());

  // The right password opens all three.
  h.settings.UnCompressPwd = "secret";
  RecordingObserver right;
  h.Run(right, RunnerHome::Checked({h.In("locked.zip"), h.In("locked.rar"), h.In("locked.7z")}));
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(right.results[i].rowState(), 1) << right.results[i].status.toStdString();
}

TEST(RunnerWithEngines, LinksOutOfTheArchiveAreNotFollowedWhenPacking) {
  HM_REQUIRE_TOOL("bsdtar");
  HM_REQUIRE_TOOL("unzip");
  RunnerHome h;
  h.LinkBuiltEngines();
  WriteFile(h.home.file("secret.txt"), "private");
  const QString tree = h.home.file("tree");
  WriteFile(tree + "/data.bin", RandomBytes(20000));
  ASSERT_TRUE(QFile::link(h.home.file("secret.txt"), tree + "/stolen.txt"));
  // A ZIP that stores the link as a link.
  ASSERT_EQ(RunTool("bsdtar", {"-a", "-cf", h.In("links.zip"), "data.bin", "stolen.txt"}, tree).exitCode, 0);
  RecordingObserver o;
  h.Run(o, RunnerHome::Checked({h.In("links.zip")}));
  EXPECT_EQ(o.results[0].rowState(), 1) << o.results[0].status.toStdString();
  EXPECT_FALSE(RunTool("unzip", {"-p", o.results[0].CompressPath}).out.contains("private"));
}

// Two links to their own folder made the RAR packer walk ever deeper names without end; the
// extraction leaves files holding the links' text, which the packer stores as they are.
TEST(RunnerWithEngines, LinksToTheirOwnFolderDoNotHangTheRarPacker) {
  HM_REQUIRE_TOOL("bsdtar");
  HM_REQUIRE_TOOL("rar");
  RunnerHome h;
  h.LinkBuiltEngines();
  h.settings.CompressExt = ofRAR;
  const QString tree = h.home.file("tree");
  WriteFile(tree + "/data.bin", RandomBytes(20000));
  ASSERT_TRUE(QFile::link(".", tree + "/loop1"));
  ASSERT_TRUE(QFile::link(".", tree + "/loop2"));
  ASSERT_EQ(RunTool("bsdtar", {"-a", "-cf", h.In("loops.zip"), "data.bin", "loop1", "loop2"}, tree).exitCode, 0);
  RecordingObserver o;
  h.Run(o, RunnerHome::Checked({h.In("loops.zip")}));
  EXPECT_EQ(o.results[0].rowState(), 1) << o.results[0].status.toStdString();
  const QString listing = RunTool("rar", {"lb", o.results[0].CompressPath}).out;
  EXPECT_EQ(listing.split('\n', Qt::SkipEmptyParts), QStringList({"data.bin", "loop1", "loop2"}));
}

TEST(RunnerWithEngines, StopEndsThePackerAndTheRun) {
  RunnerHome h;
  h.settings.CompressExt = ofRAR;
  // A packer that would take a minute.
  WriteFile(h.home.file("Engine/rar"), "#!/bin/sh\nexec sleep 60\n");
  QFile::setPermissions(h.home.file("Engine/rar"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  WriteFile(h.In("first/a.bin"), "a");
  WriteFile(h.In("second/b.bin"), "b");

  RecordingObserver o;
  std::atomic<bool> packing{false};
  o.onState = [&](int, const QString& state) { packing = packing || state == TStatusText::Compressing; };
  h.Run(o, RunnerHome::Checked({h.In("first"), h.In("second")}), {}, [&](TJobRunner& runner) {
    while (!packing && runner.isRunning()) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    // Repeated, since the packer may not have started at the first request.
    while (runner.isRunning()) {
      runner.Stop();
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
  });
  EXPECT_EQ(o.results.keys(), QList<int>({0}));
  EXPECT_EQ(o.results[0].status, "已停止");
  EXPECT_EQ(o.results[0].verdict, TItemVerdict::Stopped);
  EXPECT_FALSE(o.results[0].outputExists);
  EXPECT_TRUE(o.summary->stopped);
  EXPECT_FALSE(o.summary->allPlausible);
  EXPECT_EQ(h.TempLeftovers(), QStringList());
  EXPECT_EQ(testsupport::TreeListing(h.home.path() + "/in"),
            QStringList({"first/", "first/a.bin", "second/", "second/b.bin"}));
}

}  // namespace
