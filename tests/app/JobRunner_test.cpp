// The job runner with a scripted facade: the status of every way an item can go, the counters,
// the size rule, replace-source mode, failures, refusals and stop requests.
#include <QFile>
#include <QFileInfo>
#include <atomic>
#include <thread>

#include "FakeFacade.h"
#include "RunnerFixture.h"
#include "app/StatusTexts.h"
#include "settings/PathVars.h"
#include "util/FileOps.h"

using testsupport::MakeDir;
using testsupport::ReadFile;
using testsupport::WriteFile;

namespace {

struct StatusRow {
  QString name;
  QString status;
  int state;
  bool output;
};

TEST(JobRunner, StatusTable) {
  RunnerHome h;
  FakeFacade fake;
  MakeDir(h.In("Folder"));
  WriteFile(h.In("Folder/game.bin"), "game");
  WriteFile(h.In("notes.bin"), "notes");
  fake.archives["good.zip"].content = {{"game.bin", "g"}, {"ad.url", "ad"}};
  fake.archives["locked.rar"] = {".rar", crWrongPassword, {}, {}};
  fake.archives["needs-engine.7z"] = {".7z", crEngineLoadFailed, {}, {}};
  fake.archives["broken.zip"] = {".zip", crFailed, {}, {}};
  fake.archives["setup.exe"] = {".exe", crSuccess, ".rar", {{"setup.bin", "s"}}};
  fake.archives["odd.exe"] = {".exe", crFailed, {}, {}};
  const StatusRow rows[] = {
      {"Folder", "打包完毕", 1, true},
      {"notes.bin", "打包完毕", 1, true},
      {"good.zip", "打包完毕", 1, true},
      {"locked.rar", "解压密码错误", -1, false},
      {"needs-engine.7z", "引擎加载失败", -1, false},
      {"broken.zip", "无法解压", -1, false},
      {"setup.exe", "打包完毕", 1, true},
      {"odd.exe", "压缩exe完成", 1, true},
      {"missing.zip", "源文件不存在", -1, false},
  };
  QStringList paths;
  for (const StatusRow& row : rows) {
    if (row.name.contains('.') && row.name != "missing.zip" && row.name != "notes.bin")
      WriteFile(h.In(row.name), "archive bytes");
    paths << h.In(row.name);
  }
  TSnapshot items = RunnerHome::Checked(paths);
  items.append(TMyData{h.In("notes.bin"), {}, false, isNotProcessed});  // unchecked: announced only
  h.Data("delete.dat", "*.url");

  RecordingObserver o;
  h.Run(o, items, Factory(fake));

  for (int i = 0; i < int(std::size(rows)); ++i) {
    const StatusRow& row = rows[i];
    const TItemResult& r = o.results[i];
    SCOPED_TRACE(row.name.toStdString());
    EXPECT_EQ(r.status, row.status);
    EXPECT_EQ(o.states[i].last(), row.status);
    EXPECT_EQ(o.states[i].first(), TStatusText::Processing);
    EXPECT_EQ(r.rowState(), row.state);
    EXPECT_EQ(r.verdict == TItemVerdict::Success, row.state == 1);
    EXPECT_EQ(r.outputExists, row.output);
    EXPECT_EQ(QFileInfo::exists(r.CompressPath), row.output);
  }
  EXPECT_EQ(o.results[0].CompressPath, h.Out("Folder.zip"));
  EXPECT_EQ(OutputNameText(o.results[0]), "Folder.zip");
  EXPECT_EQ(o.results[0].fileSize, 10000);
  EXPECT_EQ(o.exNames, (QMap<int, QString>{{6, "rar自解压格式"}}));
  EXPECT_EQ(o.states[2], QStringList({"正在处理中...", "正在解压中...", "正在压缩中...", "打包完毕"}));
  EXPECT_EQ(o.states[0],
            QStringList({"正在处理中...", "正在复制...", "正在清理中...", "正在压缩中...", "打包完毕"}));
  EXPECT_EQ(o.states[7],
            QStringList({"正在处理中...", "正在解压中...", "正在复制...", "正在压缩中...", "压缩exe完成"}));
  EXPECT_FALSE(o.results.contains(9));
  EXPECT_TRUE(o.steps.contains("announce 9 90"));

  // The archive was cleaned before packing; the user's folder was copied, not touched.
  EXPECT_TRUE(fake.log->packedTrees.contains(QStringList({"game.bin"})));
  EXPECT_TRUE(QFileInfo::exists(h.In("Folder/game.bin")));

  ASSERT_TRUE(o.summary);
  EXPECT_EQ(o.summary->successCount, 5);
  EXPECT_EQ(o.summary->errorCount, 4);
  EXPECT_EQ(o.summary->statusLine, "状态:打包完毕,共完成5个。");
  EXPECT_EQ(o.summary->failureText, "4个打包失败，请注意核对。");
  EXPECT_FALSE(o.summary->stopped);
  EXPECT_EQ(o.steps.last(), "summary");
  EXPECT_EQ(h.TempLeftovers(), QStringList());
}

// Several items at once show the observer what one after another shows: the same steps in the
// same order, the same results and counts. Two items that want the same output name both get one.
TEST(JobRunner, SeveralWorkersShowWhatOneWorkerShows) {
  struct Run {
    RunnerHome h;
    RecordingObserver o;
  };
  const auto runWith = [](Run& run, int workers) {
    RunnerHome& h = run.h;
    FakeFacade fake;
    fake.archives["good.zip"].content = {{"game.bin", "g"}, {"ad.url", "ad"}};
    fake.archives["same.zip"].content = {{"s.bin", "s"}};
    fake.archives["locked.rar"] = {".rar", crWrongPassword, {}, {}};
    fake.archives["broken.zip"] = {".zip", crFailed, {}, {}};
    fake.archives["setup.exe"] = {".exe", crSuccess, ".rar", {{"setup.bin", "s"}}};
    fake.smallOutputs = {"small"};
    QStringList paths;
    for (const char* name : {"good.zip", "same.zip", "locked.rar", "broken.zip", "setup.exe"}) {
      WriteFile(h.In(name), "archive bytes");
      paths << h.In(name);
    }
    WriteFile(h.In("same/data.bin"), "d");  // wants same.zip as well
    WriteFile(h.In("small/data.bin"), "d");
    WriteFile(h.In("file.bin"), "f");
    paths << h.In("same") << h.In("missing.zip") << h.In("small") << h.In("file.bin");
    TSnapshot items = RunnerHome::Checked(paths);
    items.insert(3, TMyData{h.In("file.bin"), {}, false, isNotProcessed});
    h.Data("delete.dat", "*.url");
    h.Run(run.o, items, Factory(fake), {}, workers);
  };
  Run one, several;
  runWith(one, 1);
  runWith(several, 3);

  EXPECT_EQ(several.o.steps, one.o.steps);
  EXPECT_EQ(several.o.states, one.o.states);
  EXPECT_EQ(several.o.exNames, one.o.exNames);
  ASSERT_EQ(several.o.results.keys(), one.o.results.keys());
  QStringList namesOne, namesSeveral;
  for (const int i : one.o.results.keys()) {
    const TItemResult &a = one.o.results[i], &b = several.o.results[i];
    SCOPED_TRACE(a.source.toStdString());
    EXPECT_EQ(b.status, a.status);
    EXPECT_EQ(b.verdict, a.verdict);
    EXPECT_EQ(b.outputExists, a.outputExists);
    EXPECT_EQ(b.fileSize, a.fileSize);
    EXPECT_EQ(b.progress, a.progress);
    namesOne << QFileInfo(a.CompressPath).fileName();
    namesSeveral << QFileInfo(b.CompressPath).fileName();
  }
  // Which of the two same-named items gets the suffix depends on which is named first.
  namesOne.sort();
  namesSeveral.sort();
  EXPECT_EQ(namesSeveral, namesOne);
  EXPECT_TRUE(namesOne.contains("same.zip") && namesOne.contains("same_1.zip"))
      << namesOne.join(' ').toStdString();
  ASSERT_TRUE(one.o.summary && several.o.summary);
  EXPECT_EQ(several.o.summary->successCount, one.o.summary->successCount);
  EXPECT_EQ(several.o.summary->errorCount, one.o.summary->errorCount);
  EXPECT_EQ(several.o.summary->allPlausible, one.o.summary->allPlausible);
  EXPECT_EQ(testsupport::TreeListing(several.h.home.path() + "/out"),
            testsupport::TreeListing(one.h.home.path() + "/out"));
  EXPECT_EQ(several.h.TempLeftovers(), QStringList());
}

TEST(JobRunner, PlausibleSizeBoundary) {
  for (const qint64 size : {6143, 6144}) {
    RunnerHome h;
    FakeFacade fake;
    fake.outputSize = size;
    WriteFile(h.In("a.bin"), "a");
    RecordingObserver o;
    h.Run(o, RunnerHome::Checked({h.In("a.bin")}), Factory(fake));
    const TItemResult& r = o.results[0];
    SCOPED_TRACE(size);
    EXPECT_EQ(r.fileSize, size);
    EXPECT_EQ(r.rowState(), size >= 6144 ? 1 : -1);
    EXPECT_EQ(r.verdict, size >= 6144 ? TItemVerdict::Success : TItemVerdict::Suspect);
    EXPECT_EQ(r.outputMayBeDamaged(), size < 6144);
    EXPECT_EQ(OutputNameText(r), size >= 6144 ? QString("a.zip") : QString("文件可能出错"));
    EXPECT_EQ(r.progress, 100);
    EXPECT_EQ(o.summary->successCount, 1);  // a suspect output counts in both
    EXPECT_EQ(o.summary->errorCount, size >= 6144 ? 0 : 1);
    EXPECT_EQ(o.summary->allPlausible, size >= 6144);
  }
}

// Whether every item given made a plausible archive is the runner's to say, items a stop left
// undone included: the command line's exit status and the window take it from the summary.
TEST(JobRunner, SummarySaysWhetherEveryCheckedItemWasPlausible) {
  struct Case {
    const char* what;
    bool secondSmall;    // the second output lies below the plausible size
    QString stopAtStep;  // the observer step at which a stop is asked; empty: none
    bool allPlausible;
  };
  const Case cases[] = {
      {"both plausible", false, {}, true},
      {"second below the plausible size", true, {}, false},
      {"stopped after the first", false, "record 0", false},
      {"stopped before any", false, "reset", false},
  };
  for (const Case& c : cases) {
    RunnerHome h;
    FakeFacade fake;
    fake.archives["b.zip"].content = {{"x", "x"}};
    if (c.secondSmall) fake.smallOutputs = {"b"};
    WriteFile(h.In("a.bin"), "a");
    WriteFile(h.In("b.zip"), "PK");
    TSnapshot items = RunnerHome::Checked({h.In("a.bin"), h.In("b.zip")});
    items.append(TMyData{h.In("unchecked.bin"), {}, false, isNotProcessed});  // not asked for
    RecordingObserver o;
    std::atomic<TJobRunner*> current{nullptr};
    o.onStep = [&](const QString& step) {
      if (step != c.stopAtStep) return;
      while (!current) std::this_thread::yield();
      current.load()->Stop();
    };
    h.Run(o, items, Factory(fake), [&](TJobRunner& runner) { current = &runner; });
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(o.summary);
    EXPECT_EQ(o.summary->allPlausible, c.allPlausible);
    EXPECT_EQ(o.summary->stopped, !c.stopAtStep.isEmpty());
  }
}

TEST(JobRunner, SelfExtractingArchivesWithNoCompressExe) {
  RunnerHome h;
  h.settings.NoCompressEXE = true;
  FakeFacade fake;
  fake.archives["setup.exe"] = {".exe", crSuccess, ".rar", {{"x", "x"}}};
  fake.archives["really-rar.exe"] = {".rar", crSuccess, {}, {{"x", "x"}}};
  WriteFile(h.In("setup.exe"), "MZ");
  WriteFile(h.In("really-rar.exe"), "Rar");
  RecordingObserver o;
  h.Run(o, RunnerHome::Checked({h.In("setup.exe"), h.In("really-rar.exe")}), Factory(fake));
  EXPECT_EQ(o.results[0].status, "压缩exe完成");
  EXPECT_EQ(o.results[1].status, "无法解压");
  EXPECT_FALSE(fake.calls.contains("UnCompressFile"));
  EXPECT_TRUE(o.exNames.isEmpty());
}

// A file no signature claims goes to the plug-in of its name's longest extension only when the
// run extracts plug-in formats; a file with a signature keeps the facade's own dispatch either way.
TEST(JobRunner, PluginFormatsAreExtractedOnlyWhenAskedFor) {
  const QStringList names{"game.tar.gz", "disc.iso", "broken.tar.gz", "good.zip", "notes.bin"};
  const struct {
    bool pluginFormats;
    QStringList statuses;
    QStringList extractions;  // the facade's extraction calls, in order
    QMap<int, QString> types;
  } cases[] = {
      {false, {"打包完毕", "打包完毕", "打包完毕", "打包完毕", "打包完毕"}, {"UnCompressFile"}, {}},
      {true,
       {"打包完毕", "引擎加载失败", "无法解压", "打包完毕", "打包完毕"},
       {"UnCompressByPlugin .tar.gz", "UnCompressByPlugin .iso", "UnCompressByPlugin .tar.gz",
        "UnCompressFile"},
       {{0, "tar.gz文件"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pluginFormats);
    RunnerHome h;
    h.settings.PluginFormats = c.pluginFormats;
    h.Data("delete.dat", "*.url");
    QStringList paths;
    for (const QString& name : names) {
      WriteFile(h.In(name), "bytes of " + name.toUtf8());
      paths << h.In(name);
    }
    FakeFacade script;
    script.archives["game.tar.gz"] = {"", crSuccess, {}, {{"game.bin", "g"}, {"ad.url", "ad"}}};
    script.archives["disc.iso"] = {"", crEngineLoadFailed, {}, {}};
    script.archives["broken.tar.gz"] = {"", crFailed, {}, {}};
    script.archives["good.zip"].content = {{"zip.bin", "z"}};
    script.pluginExts = {
        {"game.tar.gz", ".tar.gz"}, {"disc.iso", ".iso"}, {"broken.tar.gz", ".tar.gz"}, {"good.zip", ".zip"}};
    RecordingObserver o;
    h.Run(o, RunnerHome::Checked(paths), Factory(script));

    QStringList statuses;
    for (int i = 0; i < names.size(); ++i) statuses << o.results[i].status;
    EXPECT_EQ(statuses, c.statuses);
    EXPECT_EQ(script.log->calls.filter("UnCompress"), c.extractions);
    EXPECT_EQ(o.exNames, c.types);
    // Packed whole, the archive is the output's one file; extracted, its content is, cleaned.
    EXPECT_EQ(script.log->packedTrees[0],
              c.pluginFormats ? QStringList{"game.bin"} : QStringList{"game.tar.gz"});
    // Extracted, it is named as an archive is: without its whole format extension.
    EXPECT_EQ(FileNamePart(o.results[0].CompressPath),
              QString(c.pluginFormats ? "game" : "game.tar") + GetOutputExt(h.settings.CompressExt));
    if (c.pluginFormats) {
      EXPECT_EQ(o.states[1], QStringList({"正在处理中...", "正在解压中...", "引擎加载失败"}));
    }
    for (int i : {1, 2}) EXPECT_EQ(o.results[i].outputExists, !c.pluginFormats);
    EXPECT_EQ(h.TempLeftovers(), QStringList());
  }
}

TEST(JobRunner, ReplaceSourceMode) {
  RunnerHome h;
  h.settings.RARToFrom = true;
  FakeFacade fake;
  fake.archives["Game.zip"].content = {{"game.bin", "g"}};
  fake.archives["Upper.ZIP"].content = {{"game.bin", "g"}};
  WriteFile(h.In("Game.zip"), "old archive");
  WriteFile(h.In("Upper.ZIP"), "old archive");
  MakeDir(h.In("Folder"));
  RecordingObserver o;
  h.Run(o, RunnerHome::Checked({h.In("Game.zip"), h.In("Upper.ZIP"), h.In("Folder")}), Factory(fake));

  EXPECT_EQ(o.results[0].status, "打包完毕");
  EXPECT_EQ(o.results[0].rowState(), 1);
  EXPECT_EQ(o.results[0].CompressPath, h.In("Game.zip"));  // the row then describes the source
  EXPECT_EQ(ReadFile(h.In("Game.zip")), QByteArray(10000, 'x'));
  EXPECT_FALSE(QFileInfo::exists(h.Out("Game.zip")));
  EXPECT_EQ(o.results[1].status, "文件忽略");
  EXPECT_EQ(o.results[2].status, "文件夹忽略");
  EXPECT_EQ(o.summary->errorCount, 2);
  EXPECT_EQ(testsupport::TreeListing(h.home.path() + "/in"),
            QStringList({"Folder/", "Game.zip", "Upper.ZIP"}));  // nothing left beside the source
}

// Replace-source mode names the output after its source, extension included, so the archive can
// take the source's place. What is packed in the run's format instead (a file that only carries
// an archive's name, a folder with such a name, a self-extracting program that did not extract)
// is named with the format it really has, and the source stays as it is.
TEST(JobRunner, ReplaceSourceModeNamesEveryOutputByItsRealFormat) {
  RunnerHome h;
  h.settings.RARToFrom = true;
  h.settings.CompressExt = ofRAR;
  FakeFacade fake;
  fake.archives["setup.zip"] = {".exe", crFailed, {}, {}};
  WriteFile(h.In("random.zip"), "random bytes that are no archive");
  WriteFile(h.In("setup.zip"), "MZ and then nothing any engine opens");
  WriteFile(h.In("Pack.zip/game.bin"), "a folder named like an archive");
  WriteFile(h.Out("random.rar"), "an earlier output of the same name");
  RecordingObserver o;
  h.Run(o, RunnerHome::Checked({h.In("random.zip"), h.In("setup.zip"), h.In("Pack.zip")}), Factory(fake));
  const QString expected[][2] = {{h.Out("random_1.rar"), "打包完毕"},
                                 {h.Out("setup.rar"), "压缩exe完成"},
                                 {h.Out("Pack.rar"), "打包完毕"}};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(o.results[i].CompressPath, expected[i][0]);
    EXPECT_EQ(o.results[i].status, expected[i][1]);
    EXPECT_EQ(o.results[i].rowState(), 1);
  }
  EXPECT_EQ(ReadFile(h.In("random.zip")), "random bytes that are no archive");
  EXPECT_FALSE(QFileInfo::exists(h.Out("random.zip")));
  EXPECT_FALSE(QFileInfo::exists(h.Out("Pack.zip")));
}

TEST(JobRunner, ReplaceSourceNeedsAReadableOutput) {
  RunnerHome h;
  h.settings.RARToFrom = true;
  FakeFacade fake;
  fake.archives["Game.zip"].content = {{"game.bin", "g"}};
  fake.listResults = {crSuccess};  // read once after packing, then no more
  fake.listResult = crFailed;
  WriteFile(h.In("Game.zip"), "old archive");
  RecordingObserver o;
  h.Run(o, RunnerHome::Checked({h.In("Game.zip")}), Factory(fake));
  EXPECT_EQ(o.results[0].status, "替换失败");
  EXPECT_EQ(o.results[0].rowState(), -1);
  EXPECT_EQ(ReadFile(h.In("Game.zip")), QByteArray("old archive"));
  EXPECT_EQ(o.results[0].CompressPath, h.Out("Game.zip"));  // the output stays for the user
  EXPECT_TRUE(QFileInfo::exists(h.Out("Game.zip")));
  EXPECT_EQ(o.summary->errorCount, 1);
}

// The source is replaced only by a whole copy of itself: not after an extraction that converted
// or refused an entry (a link became a file), not by an output the packer left partial (every
// name listed, but far too small); the source and the output both stay. An output without one
// of the prepared files is a failed packing, as in every mode, and is removed.
TEST(JobRunner, ReplaceSourceNeedsACompleteExtractionAndAWholeOutput) {
  struct Row {
    const char* name;
    std::function<void(FakeFacade&)> setup;
    QString status;
    bool outputStays;
  };
  const Row rows[] = {
      {"a link came out as a file", [](FakeFacade& f) { f.archives["Game.zip"].complete = false; },
       "替换失败", true},
      {"a partial archive", [](FakeFacade& f) { f.smallOutputs = {"Game"}; }, "替换失败", true},
      {"a file left out", [](FakeFacade& f) { f.leaveOut = {"lib.so"}; }, "压缩失败", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    RunnerHome h;
    h.settings.RARToFrom = true;
    FakeFacade fake;
    fake.archives["Game.zip"].content = {{"game.bin", "g"}, {"lib.so", "l"}};
    row.setup(fake);
    WriteFile(h.In("Game.zip"), "old archive");
    RecordingObserver o;
    h.Run(o, RunnerHome::Checked({h.In("Game.zip")}), Factory(fake));
    EXPECT_EQ(ReadFile(h.In("Game.zip")), QByteArray("old archive"));
    EXPECT_EQ(o.results[0].status, row.status);
    EXPECT_EQ(o.results[0].rowState(), -1);
    EXPECT_EQ(QFileInfo::exists(h.Out("Game.zip")), row.outputStays);
    EXPECT_EQ(o.summary->errorCount, 1);
  }
}

TEST(JobRunner, FailuresInsideAnItemLeaveNothingBehindAndTheRunGoesOn) {
  struct Row {
    std::function<void(FakeFacade&, RunnerHome&)> setup;
    QString status;
  };
  const Row rows[] = {
      {[](FakeFacade& f, RunnerHome&) { f.packFails = true; }, "压缩失败"},
      // The packer says it succeeded, but its output lacks a file.
      {[](FakeFacade& f, RunnerHome&) { f.leaveOut = {"x"}; }, "压缩失败"},
      {[](FakeFacade& f, RunnerHome& h) {
         f.throwLoadErrorOn7z = true;
         h.settings.CompressExt = of7z;
       },
       "引擎加载失败"},
      {[](FakeFacade& f, RunnerHome& h) {
         f.rarMissing = true;
         h.settings.CompressExt = ofRAR;
       },
       "引擎加载失败"},
      {[](FakeFacade& f, RunnerHome&) { f.throwOnExtract = true; }, "处理出错"},
  };
  for (const Row& row : rows) {
    RunnerHome h;
    FakeFacade fake;
    row.setup(fake, h);
    fake.archives["a.zip"].content = {{"x", "x"}};
    WriteFile(h.In("a.zip"), "PK");
    MakeDir(h.In("second"));
    WriteFile(h.In("second/y"), "y");
    RecordingObserver o;
    h.Run(o, RunnerHome::Checked({h.In("a.zip"), h.In("second")}), Factory(fake));
    SCOPED_TRACE(row.status.toStdString());
    EXPECT_EQ(o.results[0].status, row.status);
    EXPECT_EQ(o.results[0].rowState(), -1);
    EXPECT_EQ(o.results[1].rowState() == 1, !fake.packFails && !fake.throwLoadErrorOn7z && !fake.rarMissing);
    EXPECT_FALSE(o.results[0].outputExists);
    EXPECT_EQ(testsupport::TreeListing(h.home.path() + "/out").filter("a."), QStringList());
    EXPECT_EQ(h.TempLeftovers(), QStringList());
    EXPECT_EQ(ReadFile(h.In("a.zip")), QByteArray("PK"));
    ASSERT_TRUE(o.summary);
  }
}

TEST(JobRunner, FolderCleanedInPlaceWhenCopyingIsOff) {
  RunnerHome h;
  h.settings.CopyFolder = false;
  h.settings.MustToFolder = true;
  h.Data("delete.dat", "Ads*\r\n*.url\r\n");
  h.Data("MustFiles/Readme.txt", "must");
  WriteFile(h.In("Ads Pack/Game/game.bin"), "g");
  WriteFile(h.In("Ads Pack/Game/visit.url"), "ad");
  FakeFacade fake;
  RecordingObserver o;
  h.Run(o, RunnerHome::Checked({h.In("Ads Pack")}), Factory(fake));
  EXPECT_EQ(o.results[0].rowState(), 1);
  // The user's own folder stays, whatever its name; its content is cleaned and completed on disk.
  EXPECT_EQ(testsupport::TreeListing(h.In("Ads Pack")),
            QStringList({"Game/", "Game/Readme.txt", "Game/game.bin"}));
  EXPECT_EQ(fake.calls, QStringList({"ZipFile " + h.In("Ads Pack") + "/*", "GetFileList"}));
}

TEST(JobRunner, StartRefusalsChangeNothing) {
  RunnerHome h;
  RecordingObserver o;
  TJobRunner runner(h.paths, o, Factory(FakeFacade()));
  EXPECT_EQ(runner.Start(h.settings, {}).message, "请先添加需要打包的文件/目录。");

  WriteFile(h.home.file("blocker"), "a file where a folder is needed");
  for (const QString& folder : {h.home.file("blocker/out"), QStringLiteral("<app>out")}) {
    h.settings.OutputFolder = folder;
    const TStartResult start = runner.Start(h.settings, RunnerHome::Checked({h.In("x")}));
    EXPECT_FALSE(start.started);
    EXPECT_EQ(start.message, "无效的输出目录。");
  }
  EXPECT_FALSE(runner.isRunning());
  EXPECT_TRUE(o.steps.isEmpty());
  EXPECT_EQ(testsupport::TreeListing(h.home.path()), QStringList({"blocker", "in/"}));
}

TEST(JobRunner, AllUncheckedRun) {
  RunnerHome h;
  TSnapshot items = RunnerHome::Checked({h.In("a"), h.In("b")});
  for (TMyData& item : items) item.checked = false;
  RecordingObserver o;
  h.Run(o, items, Factory(FakeFacade()));
  EXPECT_EQ(o.steps, QStringList({"reset", "announce 0 0", "announce 1 50", "summary"}));
  EXPECT_EQ(o.summary->successCount, 0);
  EXPECT_TRUE(o.summary->failureText.isEmpty());
}

TEST(JobRunner, StopRequestEndsTheRunAfterTheCurrentItem) {
  RunnerHome h;
  FakeFacade fake;
  for (const char* name : {"a.zip", "b.zip", "c.zip"}) {
    fake.archives[name].content = {{"x", "x"}};
    WriteFile(h.In(name), "PK");
  }
  RecordingObserver o;
  TJobRunner* current = nullptr;
  o.onState = [&](int index, const QString& state) {
    if (index == 1 && state == TStatusText::Extracting) current->Stop();
  };
  h.Run(o, RunnerHome::Checked({h.In("a.zip"), h.In("b.zip"), h.In("c.zip")}), Factory(fake),
        [&](TJobRunner& runner) { current = &runner; });
  // The item in progress begins no extraction once the stop has come; the run ends after it.
  EXPECT_EQ(o.results.keys(), QList<int>({0, 1}));
  EXPECT_EQ(o.results[1].status, "已停止");
  EXPECT_EQ(fake.calls.count("UnCompressFile"), 1) << "only the first item was extracted";
  EXPECT_FALSE(o.steps.contains("announce 2 66"));
  EXPECT_TRUE(o.summary->stopped);
  EXPECT_EQ(o.summary->successCount, 1);
  EXPECT_EQ(h.TempLeftovers(), QStringList());
}

// A stop asked while an item is extracted or packed ends that extraction or packing at its next
// block, as the engines that work in the process do and as a killed packer program does: the item
// is "已停止" and leaves no output, whatever its formats, and no further item starts. A
// self-extracting program whose extraction was stopped is not packed as a file instead.
TEST(JobRunner, AStopDuringExtractionOrPackingEndsTheItemAsStopped) {
  using TPhase = TProgress::TPhase;
  struct Row {
    const char* source;
    TPhase phase;  // where the stop comes
    int format;
  };
  const Row rows[] = {
      {"a.zip", TPhase::Extracting, ofZIP}, {"a.zip", TPhase::Extracting, of7z},
      {"a.zip", TPhase::Extracting, ofRAR}, {"a.zip", TPhase::Packing, ofZIP},
      {"a.zip", TPhase::Packing, of7z},     {"a.zip", TPhase::Packing, ofRAR},
      {"a.exe", TPhase::Extracting, ofZIP}, {"Folder", TPhase::Packing, ofZIP},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.source) + (row.phase == TPhase::Packing ? " packing to " : " extracting to ") +
                 GetOutputExt(row.format).toStdString());
    RunnerHome h;
    h.settings.CompressExt = row.format;
    FakeFacade fake;
    fake.archives["a.zip"].content = {{"x", "x"}};
    fake.archives["a.exe"] = {".exe", crSuccess, ".rar", {{"x", "x"}}};
    if (QString(row.source) == "Folder")
      WriteFile(h.In("Folder/x"), "x");
    else
      WriteFile(h.In(row.source), "archive bytes");
    WriteFile(h.In("b.bin"), "next");
    std::atomic<TJobRunner*> current{nullptr};
    fake.whileWorking = [&](const TProgressHandler&, TPhase phase) {
      if (phase != row.phase) return;
      while (!current) std::this_thread::yield();
      current.load()->Stop();
    };
    RecordingObserver o;
    h.Run(o, RunnerHome::Checked({h.In(row.source), h.In("b.bin")}), Factory(fake),
          [&](TJobRunner& runner) { current = &runner; });
    EXPECT_EQ(o.results.keys(), QList<int>({0}));
    EXPECT_EQ(o.results[0].status, "已停止");
    EXPECT_EQ(o.results[0].verdict, TItemVerdict::Stopped);
    EXPECT_FALSE(o.results[0].outputExists);
    EXPECT_TRUE(o.summary->stopped);
    EXPECT_EQ(testsupport::TreeListing(h.home.path() + "/out"), QStringList()) << "no output, no held name";
    EXPECT_EQ(h.TempLeftovers(), QStringList());
  }
}

TEST(JobRunner, PasswordsAndCommentReachTheFacade) {
  RunnerHome h;
  h.settings.CompressPwd = "out-pwd";
  h.settings.UnCompressPwd = "open";
  WriteFile(h.In("a.bin"), "a");
  for (const bool setPwd : {false, true}) {
    h.settings.SetCompressPwd = setPwd;
    FakeFacade fake;
    RecordingObserver o;
    h.Run(o, RunnerHome::Checked({h.In("a.bin")}), Factory(fake));
    EXPECT_EQ(o.results[0].pwd, setPwd ? "out-pwd" : "");  // the row keeps what the output was made with
    EXPECT_EQ(fake.log->unCompressPwd, "open");
    EXPECT_EQ(fake.log->commentFile, h.paths.dataFolder() + "Comment.txt");
  }
}

// Rules that cannot be read are left out, but never in silence: each data file that exists and
// cannot be read is told once a run, and the items are packed all the same.
TEST(JobRunner, UnreadableDataFilesAreToldOnceARunAndTheRunGoesOn) {
  RunnerHome h;
  h.Data("data.db", testsupport::RandomBytes(4096));
  MakeDir(h.paths.dataFolder() + "NameDelete.dat");  // a folder where the list should be
  MakeDir(h.paths.dataFolder() + "TxtDelete.dat");
  h.Data("delete.dat", "*.url");  // readable: still applied
  for (const char* folder : {"First", "Second"}) {
    WriteFile(h.In(QString(folder) + "/notes.txt"), "notes");
    WriteFile(h.In(QString(folder) + "/visit.url"), "ad");
  }
  FakeFacade fake;
  RecordingObserver o;
  h.Run(o, RunnerHome::Checked({h.In("First"), h.In("Second")}), Factory(fake));

  const auto warning = [&](const QString& file) {
    return TRunText::DataFileUnreadable(h.paths.dataFolder() + file);
  };
  EXPECT_EQ(o.warnings,
            QStringList({warning("TxtDelete.dat"), warning("NameDelete.dat"), warning("data.db")}));
  EXPECT_EQ(o.results[0].rowState(), 1);
  EXPECT_EQ(o.results[1].rowState(), 1);
  EXPECT_EQ(fake.log->packedTrees[0], QStringList({"notes.txt"}));
}

// Workers that all meet a text file first, in a data folder without data.db: one of them creates
// it, and none reads it before its tables are there (which said "cannot be read" and cleaned
// without the rules).
TEST(JobRunner, WorkersThatOpenAMissingDataDbTogetherAllReadItsRules) {
  RunnerHome h;
  QStringList folders;
  for (int i = 0; i < 8; ++i) {
    folders << h.In(QStringLiteral("Folder%1").arg(i));
    WriteFile(folders.last() + "/notes.txt", "notes");
  }
  FakeFacade fake;
  RecordingObserver o;
  h.Run(o, RunnerHome::Checked(folders), Factory(fake), {}, 8);
  EXPECT_EQ(o.warnings, QStringList());
  EXPECT_EQ(o.summary->successCount, 8);
  EXPECT_TRUE(QFileInfo::exists(h.paths.databaseFile()));
}

TEST(JobRunner, EngineWarningsReachTheObserverAndTheRunGoesOn) {
  RunnerHome h;
  FakeFacade fake;
  fake.warning = "please download the newest unrar library";
  fake.archives["a.zip"].content = {{"x", "x"}};
  WriteFile(h.In("a.zip"), "PK");
  RecordingObserver o;
  h.Run(o, RunnerHome::Checked({h.In("a.zip")}), Factory(fake));
  EXPECT_EQ(o.warnings, QStringList({fake.warning}));
  EXPECT_EQ(o.results[0].rowState(), 1);
}

}  // namespace

namespace {

// The engines' progress reaches the observer thinned out, for the right row, between the step
// that starts the extraction or packing and the one that follows it.
TEST(JobRunner, ItemProgressReachesTheObserverThrottled) {
  RunnerHome h;
  FakeFacade fake;
  fake.archives["a.zip"].content = {{"a.bin", "a"}};
  fake.archives["b.zip"].content = {{"b.bin", "b"}};
  WriteFile(h.In("a.zip"), "archive bytes");
  WriteFile(h.In("b.zip"), "archive bytes");
  // As fast as an engine writes blocks: far more reports than anyone could read.
  fake.whileWorking = [](const TProgressHandler& report, TProgress::TPhase phase) {
    ASSERT_TRUE(report);
    for (quint64 done = 1; done <= 1000; ++done) report({phase, done, 1000});
  };
  RecordingObserver observer;
  h.Run(observer, RunnerHome::Checked({h.In("a.zip"), h.In("b.zip")}), Factory(fake));

  for (int index : {0, 1}) {
    const QList<TProgress>& heard = observer.progress[index];
    // At least the first and the last of each phase; a slow machine may see one more per interval.
    ASSERT_GE(heard.size(), 4);
    EXPECT_LT(heard.size(), 40);
    EXPECT_EQ(heard.first().phase, TProgress::TPhase::Extracting);
    EXPECT_EQ(heard.last().phase, TProgress::TPhase::Packing);
    EXPECT_EQ(heard.last().done, 1000u);
    for (qsizetype i = 1; i < heard.size(); ++i)
      if (heard[i].phase == heard[i - 1].phase) {
        EXPECT_GT(heard[i].done, heard[i - 1].done);
      }
    EXPECT_EQ(observer.results[index].status, TStatusText::Packed);
  }
  const auto at = [&](const QString& step) { return observer.steps.indexOf(step); };
  EXPECT_LT(at("state 0 " + TStatusText::Extracting), at("progress 0 100"));
  EXPECT_LT(at("progress 0 100"), at("state 0 " + TStatusText::Compressing));
  EXPECT_LT(observer.steps.lastIndexOf("progress 0 100"), at("state 0 " + TStatusText::Packed));
}

TEST(StatusTexts, InProgressAddsThePercentWhenTheTotalIsKnown) {
  EXPECT_EQ(TStatusText::InProgress({TProgress::TPhase::Packing, 42, 100}),
            QStringLiteral("正在压缩中... 42%"));
  EXPECT_EQ(TStatusText::InProgress({TProgress::TPhase::Extracting, 3, 3}),
            QStringLiteral("正在解压中... 100%"));
  EXPECT_EQ(TStatusText::InProgress({TProgress::TPhase::Extracting, 5, 0}), TStatusText::Extracting);
  // An estimate the engine passes is shown as done, never beyond.
  EXPECT_EQ(TStatusText::InProgress({TProgress::TPhase::Packing, 150, 100}),
            QStringLiteral("正在压缩中... 100%"));
}

}  // namespace
