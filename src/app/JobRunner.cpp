#include "app/JobRunner.h"

#include <unistd.h>
#include <QDateTime>
#include <QFileInfo>
#include <algorithm>
#include <utility>

#include "app/JobLog.h"
#include "app/StatusTexts.h"
#include "compress/vxCompress.h"
#include "settings/DataFolder.h"
#include "settings/PathVars.h"
#include "util/FileOps.h"
#include "util/Process.h"
#include "util/TextFile.h"

namespace {

TFacadeFactory vxCompressFactory(const QString& engineFolder) {
  return [engineFolder] { return std::make_unique<TvxCompress>(engineFolder); };
}

}  // namespace

TJobRunner::TJobRunner(TProgramPaths paths, IJobObserver& observer, TFacadeFactory factory)
    : paths_(std::move(paths)),
      observer_(observer),
      factory_(factory ? std::move(factory) : vxCompressFactory(paths_.engineFolder())),
      run_{paths_, {}, {}, {}, {}, {}, {}} {}

TJobRunner::~TJobRunner() {
  if (isRunning_) Stop();
  Wait();
}

TStartResult TJobRunner::Start(const TSettings& settings, const TSnapshot& items, const TRunOptions& options) {
  if (isRunning_) return {};
  if (items.isEmpty()) return {false, TRunText::NoItems};
  QStringList unreadable;
  const TUnreadableFile note = [&unreadable](const QString& path) { unreadable << path; };
  // Before the output folder is made: a refused run changes nothing.
  std::optional<QStringList> passwordList = LoadPasswordList(paths_, settings, note);
  if (!passwordList) return {false, TRunText::PasswordListUnreadable(settings.PasswordsFile)};
  const QString outputPath = ResolveOutputFolder(settings.OutputFolder, paths_.programFolder(), settings.ampm,
                                                 QDateTime::currentDateTime(), !options.dryRun);
  if (outputPath.isEmpty()) return {false, TRunText::InvalidOutputFolder};

  Wait();  // a finished worker may still be on its way out
  run_ = TRunContext{paths_,
                     settings,
                     outputPath,
                     GetOutputExt(settings.CompressExt),
                     LoadDelList(paths_, note),
                     LoadTxtDelList(paths_, note),
                     {}};
  // The engines read the comment themselves; an unreadable one is found here.
  if (!TryLoadTextFile(CommentFile(paths_))) note(CommentFile(paths_));
  run_.unreadableFiles = unreadable;
  run_.dryRun = options.dryRun;
  run_.passwordList = std::move(*passwordList);
  // Workers read the list at once: it must never detach under them (a non-const access to a
  // list shared with the caller's copies would), so it is made its own here and read as const.
  t_List = items;
  t_List.detach();
  workers_ = TItemWorkers::ForRequest(options.workers);
  isRunning_ = true;
  isExit_ = false;
  stopRequests_ = 0;
  std::lock_guard lock(workerMutex_);
  try {
    myThread = std::thread(&TJobRunner::RunJob, this);
  } catch (...) {
    isRunning_ = false;
    throw;
  }
  return {true, {}};
}

void TJobRunner::Stop() {
  isExit_ = true;
  // Counted before the kill, so that the packer it ends knows a stop came while it ran.
  ++stopRequests_;
  // Engine programs (the RAR packer, plug-ins) end at once; in-process engines at their next block.
  KillChildProcesses(getpid(), false);
}

void TJobRunner::Wait() {
  std::lock_guard lock(workerMutex_);
  if (myThread.joinable()) myThread.join();
}

void TJobRunner::RunJob() {
  summaryShown_ = false;
  try {
    StartCompress();
  } catch (...) {
    // Whatever went wrong, the run ends as a run: with its summary, and idle afterwards.
    if (!summaryShown_) {
      try {
        ShowSummary();
      } catch (...) {
      }
    }
  }
  isRunning_ = false;
}

void TJobRunner::StartCompress() {
  const int count = int(t_List.size());
  TOrderedObserver observer(observer_, count);
  observer.ResetProgress();
  tally_ = {};
  warnedFiles_.clear();
  failure_ = nullptr;
  for (const QString& path : run_.unreadableFiles) WarnUnreadable(observer, path);
  WarnMissingPackingEngine(observer);
  // Once for the run: finding the sets looks at every listed volume's siblings.
  const TVolumeSetPlan volumePlan(t_List);
  TItemWorkers workers(workers_, count);
  qCInfo(lcJob) << "items worked on at once:" << workers_;
  workers.Run([&] { Work(workers, observer, volumePlan); });
  observer.FinishAll();
  if (failure_) std::rethrow_exception(failure_);
  ShowSummary();
}

void TJobRunner::Work(TItemWorkers& workers, TOrderedObserver& observer, const TVolumeSetPlan& volumePlan) {
  try {
    const std::unique_ptr<IArchiveFacade> compress = factory_();
    if (run_.settings.SetCompressPwd) compress->SetCompressPwd(run_.settings.CompressPwd);
    compress->SetUnCompressPwd(run_.settings.UnCompressPwd);
    compress->SetCommentFile(CommentFile(run_.paths));
    compress->SetExtractLimits(run_.settings.extractLimits);
    compress->SetStopRequest([this] { return isExit_.load(); });
    compress->SetOnEngineWarning([&observer](const QString& message) { observer.ShowWarning(message); });
    // A folder of its own per worker: each notes the one output it is writing, and holds what the
    // engines hand to a program.
    TRunFolder runFolder(run_.paths.tempRoot());
    compress->SetTempFolder(runFolder.path());
    TItemJob job(
        run_, volumePlan, runFolder, *compress, observer, [this] { return stopRequests_.load(); },
        [this, &observer](const QString& path) { WarnUnreadable(observer, path); });

    const int count = int(t_List.size());
    while (!isExit_) {
      const std::optional<int> next = workers.Next();
      if (!next) break;
      const int i = *next;
      const TMyData& item = std::as_const(t_List)[i];
      observer.AnnounceItem(i, i * 100 / count, item.path, TRunText::Announce(item.path));
      if (item.checked) {
        const TItemOutcome outcome = job.Process(i, item.path);
        observer.RecordResult(i, RecordResult(i, outcome, compress->CompressPwd()));
        // Only now is the output no longer the run's to remove should it die.
        runFolder.EndOutput();
        observer.ShowLvState(i, outcome.status);
      }
      observer.Finish(i);
    }
  } catch (...) {
    workers.Close();
    std::lock_guard lock(sharedMutex_);
    if (!failure_) failure_ = std::current_exception();
  }
}

TItemResult TJobRunner::RecordResult(int index, const TItemOutcome& outcome, const QString& pwd) {
  {
    std::lock_guard lock(sharedMutex_);
    ++tally_.recorded;
    if (outcome.outputExists) ++tally_.successCount;
    if (IsFailure(outcome.verdict)) ++tally_.errorCount;
  }

  TItemResult r;
  r.source = std::as_const(t_List)[index].path;
  r.CompressPath = outcome.CompressPath;
  r.pwd = pwd;
  r.verdict = outcome.verdict;
  r.status = outcome.status;
  r.outputExists = outcome.outputExists;
  r.dryRun = run_.dryRun;
  r.cleanup = outcome.cleanup;
  r.nestedOpened = outcome.nestedOpened;
  r.nestedKept = outcome.nestedKept;
  r.unpackPasswordIndex = outcome.unpackPasswordIndex;
  r.causes = outcome.causes;
  if (outcome.outputExists) {
    r.fileSize = outcome.outputSize;
    r.sizeText = SizeText(outcome.outputSize);
    r.progress = (index + 1) * 100 / int(t_List.size());
  }
  return r;
}

void TJobRunner::WarnUnreadable(IJobObserver& observer, const QString& path) {
  {
    std::lock_guard lock(sharedMutex_);
    if (warnedFiles_.contains(path)) return;
    warnedFiles_.insert(path);
  }
  qCWarning(lcJob) << path << "exists but cannot be read; its content is not used in this run";
  observer.ShowWarning(TRunText::DataFileUnreadable(path));
}

void TJobRunner::WarnMissingPackingEngine(IJobObserver& observer) {
  // Nothing is packed in a dry run; replacing sources packs each archive in its own format.
  if (run_.dryRun || run_.settings.RARToFrom) return;
  const QString engine = factory_()->MissingPackingEngine(run_.outputExt);
  if (engine.isEmpty()) return;
  qCWarning(lcJob) << "no" << run_.outputExt << "output can be made: the engine folder lacks" << engine;
  const QFileInfo file(engine);
  observer.ShowWarning(TRunText::PackingEngineMissing(file.fileName(), file.path() + '/'));
}

void TJobRunner::ShowSummary() {
  summaryShown_ = true;
  TRunSummary summary;
  summary.successCount = tally_.successCount;
  summary.errorCount = tally_.errorCount;
  summary.stopped = isExit_;
  const auto checked =
      std::count_if(t_List.cbegin(), t_List.cend(), [](const TMyData& d) { return d.checked; });
  summary.allPlausible = tally_.errorCount == 0 && tally_.recorded == checked;
  summary.statusLine = TRunText::Summary(tally_.successCount);
  if (tally_.errorCount > 0) summary.failureText = TRunText::Failures(tally_.errorCount);
  observer_.ShowSummary(summary);
}
