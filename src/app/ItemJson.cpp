#include "app/ItemJson.h"

#include <QJsonArray>

namespace {

QJsonObject ActionJson(const TCleanupAction& a) {
  QJsonObject object{{QStringLiteral("path"), a.path}};
  switch (a.kind) {
    case TCleanupAction::Deleted:
      object[QStringLiteral("rule")] = a.rule;
      object[QStringLiteral("byContent")] = a.byContent;
      break;
    case TCleanupAction::Rewritten:
      object[QStringLiteral("rule")] = a.rule;
      object[QStringLiteral("replacement")] = a.replacement;
      object[QStringLiteral("line")] = a.line;
      object[QStringLiteral("text")] = a.lineText;
      break;
    case TCleanupAction::Renamed:
      object[QStringLiteral("newName")] = a.replacement;
      break;
  }
  return object;
}

}  // namespace

QString ReportedOutput(const TItemResult& result) {
  return result.outputExists || result.verdict == TItemVerdict::Previewed ? result.CompressPath : QString();
}

QJsonObject ItemJsonObject(int index, const TItemResult& result) {
  QJsonObject item;
  item[QStringLiteral("index")] = index;
  item[QStringLiteral("source")] = result.source;
  item[QStringLiteral("status")] = result.status;
  item[QStringLiteral("state")] = result.rowState();
  item[QStringLiteral("output")] = ReportedOutput(result);
  item[QStringLiteral("outputName")] = OutputNameText(result);
  item[QStringLiteral("size")] = result.fileSize;
  item[QStringLiteral("sizeText")] = result.sizeText;
  item[QStringLiteral("unpackPasswordIndex")] = result.unpackPasswordIndex;
  // Only where archives inside were looked at, so a run that opens none reads as it always did.
  if (!result.nestedOpened.isEmpty())
    item[QStringLiteral("nestedOpened")] = QJsonArray::fromStringList(result.nestedOpened);
  if (!result.nestedKept.isEmpty())
    item[QStringLiteral("nestedKept")] = QJsonArray::fromStringList(result.nestedKept);
  if (result.dryRun) {
    item[QStringLiteral("dryRun")] = true;
    QJsonArray deleted, rewritten, renamed;
    for (const TCleanupAction& action : result.cleanup) {
      QJsonArray& list = action.kind == TCleanupAction::Deleted     ? deleted
                         : action.kind == TCleanupAction::Rewritten ? rewritten
                                                                    : renamed;
      list.append(ActionJson(action));
    }
    item[QStringLiteral("deleted")] = deleted;
    item[QStringLiteral("rewritten")] = rewritten;
    item[QStringLiteral("renamed")] = renamed;
  }
  return item;
}
