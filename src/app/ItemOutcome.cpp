#include "app/ItemOutcome.h"

#include <QFileInfo>

TItemOutcome JudgeOutput(TItemOutcome reported) {
  if (reported.verdict == TItemVerdict::Previewed) return reported;
  const QFileInfo output(reported.CompressPath);
  reported.outputExists = !reported.CompressPath.isEmpty() && output.isFile();
  reported.outputSize = reported.outputExists ? output.size() : 0;
  if (reported.verdict != TItemVerdict::Success) return reported;
  if (!reported.outputExists)
    reported.verdict = TItemVerdict::Failed;
  else if (reported.outputSize < kPlausibleOutputSize)
    reported.verdict = TItemVerdict::Suspect;
  return reported;
}
