// Whole runs through the real facade and engines: archives made by independent tools go in,
// outputs are listed by independent tools; wrong passwords, corrupt archives, and a stop request
// that ends the running packer program.
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QMap>
#include <algorithm>
#include <chrono>
#include <atomic>
#include <filesystem>
#include <thread>

#include "IndependentListing.h"
#include "RunnerFixture.h"
#include "app/StatusTexts.h"
#include "util/FileOps.h"
#include "util/LogTap.h"

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

// Every item of the run failed with its status, without an output, and left no work folder.
void ExpectEveryItemFailed(const RunnerHome& h, const RecordingObserver& o, const QStringList& statuses) {
  for (int i = 0; i < statuses.size(); ++i) {
    SCOPED_TRACE(o.results[i].source.toStdString());
    EXPECT_EQ(o.results[i].status, statuses[i]);
    EXPECT_EQ(o.results[i].rowState(), -1);
    EXPECT_FALSE(o.results[i].outputExists);
  }
  EXPECT_EQ(o.summary->errorCount, statuses.size());
  EXPECT_EQ(h.TempLeftovers(), QStringList());
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

// Every file keeps its modification time from the source archive to the output, whichever tool
// made the source and whichever format the output is; 7z's listing reads the outputs.
TEST_P(RunnerWithEngines, FileTimesSurviveTheRepacking) {
  for (const char* tool : {"zip", "7z", "rar"}) HM_REQUIRE_TOOL(tool);
  RunnerHome h;
  h.LinkBuiltEngines();
  h.settings.CompressExt = GetParam();
  const QString tree = h.home.file("tree");
  const QMap<QString, QDateTime> times{{"a.txt", QDateTime(QDate(2016, 5, 4), QTime(3, 2, 2))},
                                       {"sub/b.bin", QDateTime(QDate(2017, 6, 5), QTime(4, 3, 4))}};
  for (auto it = times.begin(); it != times.end(); ++it) {
    WriteFile(tree + '/' + it.key(), RandomBytes(20000));
    QFile file(tree + '/' + it.key());
    ASSERT_TRUE(file.open(QIODevice::ReadWrite) && file.setFileTime(it.value(), QFileDevice::FileModificationTime));
  }
  ASSERT_EQ(RunTool("zip", {"-qr", h.In("src.zip"), "."}, tree).exitCode, 0);
  ASSERT_EQ(RunTool("7z", {"a", "-bd", h.In("src.7z"), "."}, tree).exitCode, 0);
  ASSERT_EQ(RunTool("rar", {"a", "-r", "-ep1", "-idq", h.In("src.rar"), tree + "/*"}).exitCode, 0);

  RecordingObserver o;
  h.Run(o, RunnerHome::Checked({h.In("src.zip"), h.In("src.7z"), h.In("src.rar")}));
  for (int i = 0; i < 3; ++i) {
    const TItemResult& r = o.results[i];
    SCOPED_TRACE(r.source.toStdString());
    ASSERT_EQ(r.status, TStatusText::Packed);
    const QString listing = QString::fromUtf8(RunTool("7z", {"l", "-slt", "-p-", r.CompressPath}).out);
    for (auto it = times.begin(); it != times.end(); ++it) {
      const qsizetype at = listing.indexOf("Path = " + it.key() + '\n');
      ASSERT_GE(at, 0) << listing.toStdString();
      const qsizetype modified = listing.indexOf("Modified = ", at);
      ASSERT_GE(modified, 0) << listing.toStdString();
      const QDateTime stored = QDateTime::fromString(listing.mid(modified + 11, 19), "yyyy-MM-dd HH:mm:ss");
      // ZIP's own date and time count in steps of two seconds.
      EXPECT_LE(std::abs(stored.secsTo(it.value())), 1) << it.key().toStdString() << " "
                                                        << stored.toString(Qt::ISODate).toStdString();
    }
  }
}

// The source tree as a .tar.gz (bsdtar), an ISO image (xorriso) and a cabinet (gcab), the formats
// the shipped plug-ins open; returns their paths.
QStringList MakePluginFormatArchives(const RunnerHome& h, const QString& tree) {
  const QStringList files{"data.bin", "notes[ad].txt", "sub/visit.url", "sub/saves/slot 1.sav"};
  EXPECT_EQ(RunTool("bsdtar", QStringList{"-czf", h.In("game.tar.gz")} + files, tree).exitCode, 0);
  EXPECT_EQ(
      RunTool("xorriso", {"-as", "mkisofs", "-quiet", "-J", "-R", "-o", h.In("disc.iso"), tree}).exitCode, 0);
  EXPECT_EQ(RunTool("gcab", QStringList{"-c", "-z", h.In("setup.cab")} + files, tree).exitCode, 0);
  return {h.In("game.tar.gz"), h.In("disc.iso"), h.In("setup.cab")};
}

// Off, the formats only a plug-in opens are packed whole, as ever; on, the shipped plug-ins extract
// them and they are cleaned and repacked like any archive. The outputs are read by 7z and compared
// with the source tree.
TEST(RunnerWithEngines, PluginFormatsArePackedWholeOrExtractedByTheShippedPlugins) {
  for (const char* tool : {"bsdtar", "xorriso", "gcab", "7zz", "7z", "unzip"}) HM_REQUIRE_TOOL(tool);
  RunnerHome h;
  h.LinkBuiltEngines();
  WriteCleanupRules(h);
  const QString tree = h.home.file("tree");
  FillSourceTree(tree);
  WriteFile(tree + "/sub/saves/slot 1.sav", RandomBytes(3000));  // a folder that survives the cleaning
  const QStringList sources = MakePluginFormatArchives(h, tree);
  WriteFile(h.In("plain.bin"), RandomBytes(9000));  // no plug-in for it: a file either way

  for (const bool pluginFormats : {false, true}) {
    SCOPED_TRACE(pluginFormats);
    h.settings.PluginFormats = pluginFormats;
    RecordingObserver o;
    h.Run(o, RunnerHome::Checked(sources + QStringList{h.In("plain.bin")}));
    for (int i = 0; i < 4; ++i) {
      const TItemResult& r = o.results[i];
      SCOPED_TRACE(r.source.toStdString());
      ASSERT_EQ(r.status, TStatusText::Packed);
      EXPECT_EQ(r.rowState(), 1);
      const QString name = FileNamePart(r.source);
      const bool extracted = pluginFormats && i < 3;
      const QStringList cleaned{"Readme.txt", "data.bin", "notes.txt", "sub/saves/slot 1.sav"};
      EXPECT_EQ(listing::FileNames(r.CompressPath), extracted ? cleaned : QStringList({"Readme.txt", name}));
      const QString check = h.home.file(QStringLiteral("check%1-%2").arg(pluginFormats).arg(i));
      ASSERT_EQ(RunTool("7z", {"x", "-bd", "-o" + check, r.CompressPath}).exitCode, 0);
      if (extracted) {
        // Every file that the rules keep arrives whole; the renamed one under its new name.
        for (const char* kept : {"data.bin", "sub/saves/slot 1.sav"})
          EXPECT_EQ(ReadFile(check + '/' + kept), ReadFile(tree + '/' + kept)) << kept;
        EXPECT_EQ(ReadFile(check + "/notes.txt"), ReadFile(tree + "/notes[ad].txt"));
      } else {
        EXPECT_EQ(ReadFile(check + '/' + name), ReadFile(r.source));
      }
    }
    const QMap<int, QString> types{{0, "tar.gz文件"}, {1, "iso文件"}, {2, "cab文件"}};
    EXPECT_EQ(o.exNames, (pluginFormats ? types : QMap<int, QString>()));
    EXPECT_EQ(h.TempLeftovers(), QStringList());
  }
}

// A plug-in whose program is missing and archives its program cannot read: an archive's statuses,
// no output, nothing left behind, the sources untouched.
TEST(RunnerWithEngines, PluginFormatsFailLikeArchives) {
  HM_REQUIRE_TOOL("bsdtar");
  RunnerHome h;
  h.settings.PluginFormats = true;
  // The build's engine folder without 7zz, the program of iso.pk and cab.pk.
  MakeDir(h.paths.engineFolder());
  for (const QFileInfo& engine : QDir(testsupport::EngineDir()).entryInfoList(QDir::Files)) {
    if (engine.fileName() == "7zz") continue;
    ASSERT_TRUE(QFile::link(engine.canonicalFilePath(), h.paths.engineFolder() + engine.fileName()));
  }
  const QString tree = h.home.file("tree");
  FillSourceTree(tree);
  ASSERT_EQ(RunTool("bsdtar", {"-czf", h.home.file("whole.tar.gz"), "."}, tree).exitCode, 0);
  const QByteArray whole = ReadFile(h.home.file("whole.tar.gz"));
  WriteFile(h.In("truncated.tar.gz"), whole.left(whole.size() / 2));
  WriteFile(h.In("junk.tar.gz"), RandomBytes(8000));
  WriteFile(h.In("disc.iso"), RandomBytes(8000));
  const QStringList before = testsupport::TreeListing(h.home.path() + "/in");

  RecordingObserver o;
  h.Run(o, RunnerHome::Checked({h.In("truncated.tar.gz"), h.In("junk.tar.gz"), h.In("disc.iso")}));
  ExpectEveryItemFailed(h, o, {"无法解压", "无法解压", "引擎加载失败"});
  EXPECT_EQ(testsupport::TreeListing(h.home.path() + "/in"), before);
  EXPECT_EQ(testsupport::TreeListing(h.home.path() + "/out"), QStringList());
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
  ExpectEveryItemFailed(h, o,
                        {"解压密码错误", "解压密码错误", "无法解压", "无法解压", "无法解压", "无法解压"});

  // The right password opens all three.
  h.settings.UnCompressPwd = "secret";
  RecordingObserver right;
  h.Run(right, RunnerHome::Checked({h.In("locked.zip"), h.In("locked.rar"), h.In("locked.7z")}));
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(right.results[i].rowState(), 1) << right.results[i].status.toStdString();
}

// A small upload whose headers ask the highest key-derivation count (2^24 iterations: seconds a
// password) fails at once as a wrong password, with the cause logged, instead of holding the run
// for every line of the list; an ordinary encrypted archive beside it still opens by its line.
TEST(RunnerWithEngines, AHostileKeyDerivationCountEndsThePasswordTriesAtTheBound) {
  for (const char* tool : {"rar", "python3"}) HM_REQUIRE_TOOL(tool);
  RunnerHome h;
  h.LinkBuiltEngines();
  // One try at 2^24 is estimated beyond this on any machine; one at the packer's 2^15, far within.
  h.settings.MaxPasswordSeconds = 2;
  h.Data("Passwords.dat", "one\r\ntwo\r\n");
  const QString tree = h.home.file("tree");
  FillSourceTree(tree);
  ASSERT_TRUE(testsupport::MakeRar5WithKdfCount(tree + "/data.bin", h.In("hostile.rar"), 24));
  ASSERT_EQ(RunTool("rar", {"a", "-r", "-ep1", "-idq", "-hptwo", h.In("ordinary.rar"), tree + "/*"}).exitCode,
            0);

  QStringList log;
  const TLogTap tap([&log](const TLogLine& line) { log << line.message; });
  RecordingObserver o;
  h.Run(o, RunnerHome::Checked({h.In("hostile.rar"), h.In("ordinary.rar")}));
  EXPECT_EQ(o.results[0].status, TStatusText::WrongPassword);
  EXPECT_TRUE(log.filter("hostile.rar").join('\n').contains("MaxPasswordSeconds"))
      << log.join('\n').toStdString();
  EXPECT_EQ(o.results[1].status, TStatusText::Packed);
  EXPECT_EQ(o.results[1].unpackPasswordIndex, 1);
  EXPECT_EQ(h.TempLeftovers(), QStringList());
}

// Sources from uploaders with different passwords, AES and Deflate64 ZIPs among them: the list
// opens each with its own line, and every output holds every file of its source.
TEST(RunnerWithEngines, PasswordListOpensEverySourceWithItsOwnLine) {
  for (const char* tool : {"zip", "7z", "rar", "unzip"}) HM_REQUIRE_TOOL(tool);
  RunnerHome h;
  h.LinkBuiltEngines();
  WriteCleanupRules(h);
  h.settings.UnCompressPwd = "box";
  h.Data("Passwords.dat", "alpha\r\nbravo\r\ncharlie\r\n");
  const QString tree = h.home.file("tree");
  FillSourceTree(tree);
  const auto sevenZip = [&](const QString& archive, const QStringList& switches) {
    ASSERT_EQ(RunTool("7z", QStringList{"a", "-bd"} + switches + QStringList{archive, "."}, tree).exitCode,
              0);
  };
  ASSERT_EQ(RunTool("rar", {"a", "-r", "-ep1", "-idq", "-pbravo", h.In("a.rar"), tree + "/*"}).exitCode, 0);
  ASSERT_EQ(RunTool("zip", {"-qr", "-P", "bravo", h.In("b.zip"), "."}, tree).exitCode, 0);
  sevenZip(h.In("c.7z"), {"-pbravo"});
  sevenZip(h.In("d.7z"), {"-pcharlie", "-mhe=on"});
  sevenZip(h.In("e.zip"), {"-tzip", "-mem=AES256", "-palpha"});
  sevenZip(h.In("f.zip"), {"-tzip", "-mm=Deflate64", "-pbox"});
  sevenZip(h.In("g.zip"), {"-tzip", "-mm=BZip2"});
  // A self-extracting program as far as the engines can tell: a stub with the archive behind it.
  ASSERT_EQ(RunTool("rar", {"a", "-r", "-ep1", "-idq", "-pcharlie", h.In("sfx.rar"), tree + "/*"}).exitCode,
            0);
  WriteFile(h.In("h.exe"), "MZ" + QByteArray(4094, '\0') + ReadFile(h.In("sfx.rar")));
  QFile::remove(h.In("sfx.rar"));
  const QStringList sources{h.In("a.rar"), h.In("b.zip"), h.In("c.7z"),  h.In("d.7z"),
                            h.In("e.zip"), h.In("f.zip"), h.In("g.zip"), h.In("h.exe")};
  const int expectedIndex[] = {1, 1, 1, 2, 0, -1, -1, 2};

  RecordingObserver o;
  h.Run(o, RunnerHome::Checked(sources));
  for (int i = 0; i < sources.size(); ++i) {
    SCOPED_TRACE(sources[i].toStdString());
    EXPECT_EQ(o.results[i].status, TStatusText::Packed);
    EXPECT_EQ(o.results[i].rowState(), 1);
    EXPECT_EQ(o.results[i].unpackPasswordIndex, expectedIndex[i]);
    EXPECT_EQ(listing::FileNames(o.results[i].CompressPath),
              QStringList({"Readme.txt", "data.bin", "notes.txt"}));
  }
  EXPECT_EQ(o.exNames[7], "rar自解压格式");
  // The AES ZIP's payload came through whole.
  EXPECT_EQ(RunTool("unzip", {"-p", o.results[4].CompressPath, "data.bin"}).out,
            ReadFile(tree + "/data.bin"));
  EXPECT_EQ(h.TempLeftovers(), QStringList());

  // No line opens them: a wrong password where the engine can tell, "cannot extract" for 7z.
  h.Data("Passwords.dat", "delta\r\necho\r\n");
  RecordingObserver none;
  h.Run(none, RunnerHome::Checked(sources.mid(0, 5)));
  const QString expected[] = {"解压密码错误", "解压密码错误", "无法解压", "无法解压", "解压密码错误"};
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(sources[i].toStdString());
    EXPECT_EQ(none.results[i].status, expected[i]);
    EXPECT_EQ(none.results[i].unpackPasswordIndex, -1);
    EXPECT_FALSE(none.results[i].outputExists);
  }
  EXPECT_EQ(h.TempLeftovers(), QStringList());
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

// Waits for the run to end. One still going after two minutes hangs: it is stopped (which ends
// its packer program) and the test fails, so that a hang cannot stall the suite.
void StopIfHanging(TJobRunner& runner) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
  while (runner.isRunning() && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  if (!runner.isRunning()) return;
  ADD_FAILURE() << "the run did not end";
  while (runner.isRunning()) {
    runner.Stop();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
}

// Every entry below root with what it is: a link's target, a file's bytes, or a folder.
QStringList FolderState(const QString& root) {
  namespace fs = std::filesystem;
  QStringList state;
  const fs::path base = QFile::encodeName(root).toStdString();
  for (const auto& entry : fs::recursive_directory_iterator(base)) {
    const QString name = QString::fromStdString(entry.path().lexically_relative(base).native());
    if (entry.is_symlink())
      state << name + " -> " + QString::fromStdString(fs::read_symlink(entry.path()).native());
    else if (entry.is_directory())
      state << name + '/';
    else
      state << name + ": " + QString::fromLatin1(ReadFile(QFile::decodeName(entry.path().c_str())).toHex());
  }
  state.sort();
  return state;
}

// A folder in the list (not an archive) keeps its links. Links to the folder itself and to an
// ancestor made the RAR packer walk without end, cleaned in place or copied first; ZIP and 7z
// never enter linked folders. Every format finishes with the same files, and the user's folder
// is left as it was.
TEST(RunnerWithEngines, FolderWithLinksToItselfPacksTheSameFilesInEveryFormat) {
  for (const char* tool : {"7z", "unzip", "unrar"}) HM_REQUIRE_TOOL(tool);
  for (const bool copyFolder : {false, true}) {
    SCOPED_TRACE(copyFolder ? "copied first" : "cleaned in place");
    RunnerHome h;
    h.LinkBuiltEngines();
    h.settings.CopyFolder = copyFolder;
    const QString folder = h.In("Looping");
    WriteFile(folder + "/data.bin", RandomBytes(20000));
    WriteFile(folder + "/sub/b.txt", "b");
    WriteFile(folder + "/real/r.txt", "r");
    ASSERT_TRUE(QFile::link(".", folder + "/self"));
    ASSERT_TRUE(QFile::link("..", folder + "/sub/up"));
    ASSERT_TRUE(QFile::link("real", folder + "/linked folder"));
    ASSERT_TRUE(QFile::link("data.bin", folder + "/file link"));
    const QStringList before = FolderState(folder);

    QMap<QString, QStringList> stored;
    for (const int format : {int(ofRAR), int(ofZIP), int(of7z)}) {
      h.settings.CompressExt = format;
      RecordingObserver o;
      h.Run(o, RunnerHome::Checked({folder}), {}, StopIfHanging);
      const TItemResult& r = o.results[0];
      EXPECT_EQ(r.status, TStatusText::Packed) << GetOutputExt(format).toStdString();
      EXPECT_EQ(r.rowState(), 1);
      stored[GetOutputExt(format)] = listing::FileNames(r.CompressPath);
      EXPECT_EQ(h.TempLeftovers(), QStringList());
    }
    const QStringList files{"data.bin", "file link", "real/r.txt", "sub/b.txt"};
    EXPECT_EQ(stored.value(".rar"), files);
    EXPECT_EQ(stored.value(".zip"), files);
    EXPECT_EQ(stored.value(".7z"), files);
    EXPECT_EQ(FolderState(folder), before);
  }
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
