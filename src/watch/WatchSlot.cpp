#include "watch/WatchSlot.h"

#include <QDateTime>

#include "app/ItemJson.h"
#include "app/StatusTexts.h"

namespace {

// The item's --json object, signed with when and where it ended.
QJsonObject JournalLine(int index, const TItemResult& result, const QString& host) {
  QJsonObject line = ItemJsonObject(index, result);
  const QDateTime now = QDateTime::currentDateTime();
  line[QStringLiteral("time")] = now.toOffsetFromUtc(now.offsetFromUtc()).toString(Qt::ISODateWithMs);
  line[QStringLiteral("host")] = host;
  return line;
}

}  // namespace

TWatchSlot::TWatchSlot(const TProgramPaths& paths, const TFacadeFactory& factory, TFinishPlaces places,
                       std::function<void()> onEnd)
    : places_(std::move(places)), onEnd_(std::move(onEnd)), runner_(paths, *this, factory) {}

TStartResult TWatchSlot::Start(const TClaimedItem& item, const TSettings& settings) {
  item_ = item;
  ended_ = false;
  outcome_.reset();
  warnings_.clear();
  const TStartResult start =
      runner_.Start(settings, {TMyData{item.path(), {}, true, isNotProcessed}}, {.workers = 1});
  if (!start.started) item_.reset();
  return start;
}

void TWatchSlot::RecordResult(int index, const TItemResult& result) {
  TOutcome outcome{*item_, result, {}, {}, {}, {}};
  outcome.result.source = item_->inboxPath;
  if (result.verdict != TItemVerdict::Stopped) {
    outcome.line = JournalLine(item_->index, outcome.result, places_.host);
    outcome.toFolder = result.rowState() == isPlausible ? places_.done : places_.failed;
    outcome.end = WriteClaimEnd(item_->claimFolder, item_->entries, outcome.line, outcome.toFolder);
  }
  QMutexLocker lock(&mutex_);
  outcome_ = std::move(outcome);
}

void TWatchSlot::ShowWarning(const QString& message) {
  QMutexLocker lock(&mutex_);
  warnings_ << message;
}

void TWatchSlot::ShowSummary(const TRunSummary&) {
  ended_ = true;
  onEnd_();
}

TWatchSlot::TOutcome TWatchSlot::Collect() {
  runner_.Wait();
  QMutexLocker lock(&mutex_);
  TOutcome outcome;
  if (outcome_) {
    outcome = std::move(*outcome_);
  } else {
    // The run ended without a result: an error no item catches. The item fails as such.
    outcome.item = *item_;
    outcome.result.source = item_->inboxPath;
    outcome.result.status = TStatusText::UnexpectedError;
    outcome.line = JournalLine(item_->index, outcome.result, places_.host);
    outcome.toFolder = places_.failed;
  }
  outcome.warnings = warnings_;
  item_.reset();
  outcome_.reset();
  return outcome;
}
