#include "app/JobRunner.h"

#include <unistd.h>
#include <QDateTime>
#include <QFileInfo>

#include "app/StatusTexts.h"
#include "compress/vxCompress.h"
#include "settings/DataFolder.h"
#include "settings/PathVars.h"
#include "util/FileOps.h"
#include "util/Process.h"

namespace {
// Outputs below this size are taken for broken ones.
constexpr qint64 kPlausibleOutputSize = 6144;

TFacadeFactory vxCompressFactory(const QString& engineFolder) {
  return [engineFolder] { return std::make_unique<TvxCompress>(engineFolder); };
}
}  // namespace

TJobRunner::TJobRunner(TProgramPaths paths, IJobObserver& observer, TFacadeFactory factory)
    : paths_(std::move(paths)),
      observer_(observer),
      factory_(factory ? std::move(factory) : vxCompressFactory(paths_.engineFolder())),
      run_{paths_, {}, {}, {}, {}, {}} {}

TJobRunner::~TJobRunner() {
  if (isRunning_) Stop();
  Wait();
}

TStartResult TJobRunner::Start(const TSettings& settings, const TSnapshot& items) {
  if (isRunning_) return {};
  if (items.isEmpty()) return {false, TRunText::NoItems};
  const QString outputPath = ResolveOutputFolder(settings.OutputFolder, paths_.programFolder(), settings.ampm,
                                                 QDateTime::currentDateTime());
  if (outputPath.isEmpty()) return {false, TRunText::InvalidOutputFolder};

  Wait();  // a finished worker may still be on its way out
  run_ = TRunContext{paths_,
                     settings,
                     outputPath,
                     GetOutputExt(settings.CompressExt),
                     LoadDelList(paths_),
                     LoadTxtDelList(paths_)};
  t_List = items;
  isRunning_ = true;
  isExit_ = false;
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
  // Engine programs (the RAR packer, plug-ins) end at once; in-process engines finish their step.
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
  const std::unique_ptr<IArchiveFacade> compress = factory_();
  if (run_.settings.SetCompressPwd) compress->SetCompressPwd(run_.settings.CompressPwd);
  compress->SetUnCompressPwd(run_.settings.UnCompressPwd);
  compress->SetCommentFile(CommentFile(run_.paths));
  compress->SetOnEngineWarning([this](const QString& message) { observer_.ShowEngineWarning(message); });

  TItemJob job(run_, *compress, observer_, [this] { return stopRequests_.load(); });
  observer_.ResetProgress();
  errorCount = 0;
  successCount = 0;
  const int count = int(t_List.size());
  for (int i = 0; i < count && !isExit_; ++i) {
    const TMyData& item = t_List[i];
    observer_.AnnounceItem(i, i * 100 / count, item.path, TRunText::Announce(item.path));
    if (!item.checked) continue;
    const TItemOutcome outcome = job.Process(i, item.path);
    const TItemResult result = RecordResult(i, outcome, compress->CompressPwd());
    observer_.RecordResult(i, result);
    observer_.ShowLvState(i, outcome.status);
  }
  ShowSummary();
}

TItemResult TJobRunner::RecordResult(int index, const TItemOutcome& outcome, const QString& pwd) {
  TItemResult r;
  r.source = t_List[index].path;
  r.CompressPath = outcome.CompressPath;
  r.pwd = pwd;
  r.status = outcome.status;
  const QFileInfo output(outcome.CompressPath);
  r.outputExists = !outcome.CompressPath.isEmpty() && output.isFile();
  if (!r.outputExists) {
    ++errorCount;
    r.state = isFailed;
    return r;
  }
  r.outputName = output.fileName();
  r.sizeText = FileSizeText(outcome.CompressPath);
  r.fileSize = GetFileSize64(outcome.CompressPath);
  r.progress = (index + 1) * 100 / int(t_List.size());
  ++successCount;
  if (outcome.failed) {
    ++errorCount;
    r.state = isFailed;
  } else if (r.fileSize >= kPlausibleOutputSize) {
    r.state = isPlausible;
  } else {
    r.outputName = TRunText::SuspectOutput;
    r.state = isFailed;
    ++errorCount;
  }
  return r;
}

void TJobRunner::ShowSummary() {
  summaryShown_ = true;
  TRunSummary summary;
  summary.successCount = successCount;
  summary.errorCount = errorCount;
  summary.stopped = isExit_;
  summary.stateText = TRunText::Summary(successCount);
  if (errorCount > 0) summary.failureText = TRunText::Failures(errorCount);
  observer_.ShowSummary(summary);
}
