#include "cli/CliObserver.h"

#include <QJsonDocument>
#include <QJsonObject>

#include "app/ItemJson.h"
#include "app/StatusTexts.h"
#include "util/FileOps.h"

namespace {

// A name may hold any character but '/' and NUL; a tab or line break in it would add a field or a
// line, so those, and the backslash that marks the escapes, are written as C escapes.
QString FieldText(const QString& text) {
  QString field;
  field.reserve(text.size());
  for (const QChar c : text) {
    switch (c.unicode()) {
      case '\\':
        field += QLatin1String("\\\\");
        break;
      case '\t':
        field += QLatin1String("\\t");
        break;
      case '\n':
        field += QLatin1String("\\n");
        break;
      case '\r':
        field += QLatin1String("\\r");
        break;
      default:
        field += c;
    }
  }
  return field;
}

QString ActionLine(const TCleanupAction& a) {
  const QString tab = QStringLiteral("\t");
  switch (a.kind) {
    case TCleanupAction::Deleted:
      return tab + (a.byContent ? QStringLiteral("deleted by content") : QStringLiteral("deleted")) + tab +
             FieldText(a.path) + tab + FieldText(a.rule);
    case TCleanupAction::Rewritten:
      return tab + QStringLiteral("rewrote") + tab + FieldText(a.path) + ':' + QString::number(a.line) + tab +
             FieldText(a.rule) + QStringLiteral(" -> ") + FieldText(a.replacement) + tab +
             FieldText(a.lineText);
    case TCleanupAction::Renamed:
      return tab + QStringLiteral("renamed") + tab + FieldText(a.path) + tab + FieldText(a.replacement);
  }
  return {};
}

}  // namespace

TCliObserver::TCliObserver(int itemCount, bool json, std::FILE* out, std::FILE* progress)
    : itemCount_(itemCount), json_(json), out_(out), progress_(progress) {}

QString TCliObserver::ItemLine(int index, const TItemResult& result) {
  QString line = QString::number(index) + '\t' + FieldText(result.status) + '\t' +
                 FieldText(ReportedOutput(result)) + '\t' + QString::number(result.fileSize);
  if (result.dryRun) {
    // The archives inside were opened before the cleanup began.
    for (const QString& opened : result.nestedOpened) line += QStringLiteral("\n\topened\t") + FieldText(opened);
    for (const TCleanupAction& action : result.cleanup) line += '\n' + ActionLine(action);
  }
  return line;
}

QString TCliObserver::ItemJson(int index, const TItemResult& result) {
  return QString::fromUtf8(QJsonDocument(ItemJsonObject(index, result)).toJson(QJsonDocument::Compact));
}

void TCliObserver::AnnounceItem(int index, int progress, const QString& path, const QString& statusLine) {
  currentPath_ = path;
}

QString TCliObserver::StepLine(int index, const QString& step) const {
  return QStringLiteral("[%1/%2] %3  %4").arg(index + 1).arg(itemCount_).arg(step, FieldText(currentPath_));
}

void TCliObserver::ShowLvState(int index, const QString& stateStr) {
  ShowProgress(StepLine(index, stateStr));
}

QString TCliObserver::ProgressFigures(const TProgress& progress, qint64 bytesPerSecond) {
  QString text = TStatusText::InProgress(progress);
  if (progress.percent() < 0) text += ' ' + SizeText(qint64(progress.done));
  if (bytesPerSecond > 0) text += QStringLiteral("  ") + SizeText(bytesPerSecond) + QStringLiteral("/s");
  return text;
}

void TCliObserver::ShowItemProgress(int index, const TProgress& progress) {
  if (!progress_) return;
  if (index != phaseIndex_ || progress.phase != phase_ || !phaseClock_.isValid()) {
    phaseIndex_ = index;
    phase_ = progress.phase;
    phaseStartBytes_ = progress.done;
    phaseClock_.start();
  }
  const qint64 ms = phaseClock_.elapsed();
  const qint64 speed =
      ms > 0 ? qint64((progress.done - qMin(progress.done, phaseStartBytes_)) * 1000 / quint64(ms)) : 0;
  ShowProgress(StepLine(index, ProgressFigures(progress, speed)));
}

void TCliObserver::RecordResult(int index, const TItemResult& result) {
  Print(json_ ? ItemJson(index, result) : ItemLine(index, result));
}

void TCliObserver::ShowSummary(const TRunSummary& summary) {
  anyFailed_ = !summary.allPlausible;
  if (json_) {
    QJsonObject object;
    object[QStringLiteral("summary")] = summary.statusLine;
    object[QStringLiteral("failure")] = summary.failureText;
    object[QStringLiteral("successCount")] = summary.successCount;
    object[QStringLiteral("errorCount")] = summary.errorCount;
    object[QStringLiteral("stopped")] = summary.stopped;
    Print(QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)));
    return;
  }
  Print(summary.statusLine);
  if (!summary.failureText.isEmpty()) Print(summary.failureText);
}

void TCliObserver::ShowWarning(const QString& message) {
  std::lock_guard lock(outputMutex_);
  ClearProgress();
  std::fputs(("harrowmint-cli: " + message + '\n').toUtf8().constData(), stderr);
  std::fflush(stderr);
}

void TCliObserver::Print(const QString& text) {
  std::lock_guard lock(outputMutex_);
  ClearProgress();
  std::fputs((text + '\n').toUtf8().constData(), out_);
  std::fflush(out_);
}

void TCliObserver::ShowProgress(const QString& text) {
  if (!progress_) return;
  std::lock_guard lock(outputMutex_);
  // Carriage return and erase-line keep the progress on one line of the terminal.
  std::fputs(("\r\x1b[K" + text).toUtf8().constData(), progress_);
  std::fflush(progress_);
  progressShown_ = true;
}

void TCliObserver::ClearProgress() {
  if (!progressShown_) return;
  std::fputs("\r\x1b[K", progress_);
  std::fflush(progress_);
  progressShown_ = false;
}
