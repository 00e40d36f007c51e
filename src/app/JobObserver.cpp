#include "app/JobObserver.h"

#include "app/StatusTexts.h"
#include "util/FileOps.h"

QString OutputNameText(const TItemResult& result) {
  if (result.verdict == TItemVerdict::Previewed) return FileNamePart(result.CompressPath);
  if (!result.outputExists) return {};
  return result.outputMayBeDamaged() ? TRunText::SuspectOutput : FileNamePart(result.CompressPath);
}
