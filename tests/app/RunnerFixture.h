#pragma once
// A program folder for runner tests, an observer that records every step, and a run helper.
#include <QFile>
#include <functional>
#include <mutex>
#include <optional>

#include "app/JobRunner.h"
#include "support/TestSupport.h"

class RecordingObserver : public IJobObserver {
 public:
  QStringList steps;  // "announce 0", "state 0 正在处理中...", "clear 0", "record 0", ...
  QMap<int, TItemResult> results;
  QMap<int, QString> exNames;
  QMap<int, QStringList> states;
  std::optional<TRunSummary> summary;
  QStringList warnings;
  QMap<int, QList<TProgress>> progress;  // what each item's progress steps carried
  // Called on the worker after each status step, e.g. to ask for a stop.
  std::function<void(int index, const QString& state)> onState;
  // Called on the worker after each step recorded in `steps`.
  std::function<void(const QString& step)> onStep;

  void ResetProgress() override { Step("reset"); }
  void AnnounceItem(int index, int progress, const QString& path, const QString& statusLine) override {
    Step(QStringLiteral("announce %1 %2").arg(index).arg(progress));
  }
  void ShowLvState(int index, const QString& stateStr) override {
    Step(QStringLiteral("state %1 %2").arg(index).arg(stateStr));
    states[index] << stateStr;
    if (onState) onState(index, stateStr);
  }
  void SetLvExName(int index, const QString& str) override { exNames[index] = str; }
  void ClearOutputColumns(int index) override { Step(QStringLiteral("clear %1").arg(index)); }
  void RecordResult(int index, const TItemResult& result) override {
    results[index] = result;
    Step(QStringLiteral("record %1").arg(index));
  }
  void ShowWarning(const QString& message) override { warnings << message; }
  void ShowItemProgress(int index, const TProgress& p) override {
    progress[index] << p;
    Step(QStringLiteral("progress %1 %2").arg(index).arg(p.percent()));
  }
  // From any worker thread.
  void ShowRunProgress(const TRunProgress& p) override {
    std::lock_guard lock(runProgressMutex_);
    runProgress << p;
  }
  QList<TRunProgress> RunProgress() {
    std::lock_guard lock(runProgressMutex_);
    return runProgress;
  }
  void ShowSummary(const TRunSummary& s) override {
    summary = s;
    Step("summary");
  }

 private:
  std::mutex runProgressMutex_;
  QList<TRunProgress> runProgress;

  void Step(const QString& step) {
    steps << step;
    if (onStep) onStep(step);
  }
};

struct RunnerHome {
  testsupport::TempDir home;
  TProgramPaths paths{home.path()};
  TSettings settings;

  RunnerHome() {
    settings.OutputFolder = home.path() + "/out";
    settings.CompressExt = ofZIP;
    settings.LockRAR = false;
    testsupport::MakeDir(home.path() + "/in");
  }

  QString In(const QString& name) const { return home.path() + "/in/" + name; }
  QString Out(const QString& name) const { return home.path() + "/out/" + name; }
  void Data(const QString& file, const QString& text) const {
    testsupport::WriteFile(paths.dataFolder() + file, text.toUtf8());
  }
  // Engines of the build, through a link, so a test can also put its own engine folder here.
  void LinkBuiltEngines() const { QFile::link(testsupport::EngineDir(), home.path() + "/Engine"); }

  static TSnapshot Checked(const QStringList& paths) {
    TSnapshot items;
    for (const QString& path : paths) items.append(TMyData{path, {}, true, isNotProcessed});
    return items;
  }

  // One whole run, on `workers` items at once; the runner is idle again when this returns.
  void Run(RecordingObserver& observer, const TSnapshot& items, TFacadeFactory factory = {},
           const std::function<void(TJobRunner&)>& whileRunning = {}, int workers = 1) const {
    TJobRunner runner(paths, observer, std::move(factory));
    const TStartResult start = runner.Start(settings, items, {.workers = workers});
    ASSERT_TRUE(start.started) << start.message.toStdString();
    if (whileRunning) whileRunning(runner);
    runner.Wait();
    EXPECT_FALSE(runner.isRunning());
  }

  // Work folders never outlive their item.
  QStringList TempLeftovers() const { return testsupport::TreeListing(paths.tempRoot()); }
};
