#pragma once
// How one checked item ended, as a value: each way through the item returns one, and JudgeOutput
// alone decides what an output on disk counts for.
#include <QString>
#include <QStringList>

#include "app/ContentCleanup.h"

enum class TItemVerdict {
  Success,    // a plausible output: it exists and holds at least kPlausibleOutputSize bytes
  Suspect,    // an output below the plausible size: it may be damaged
  Failed,     // no output, or one that failed whatever its size (a replacement that did not happen)
  Stopped,    // a stop request ended the packer before the output was complete
  Skipped,    // a volume of a set that another item of the run packs: no output of its own
  Previewed,  // a dry run went through the item up to packing; CompressPath is the output it would get
};

// A verdict that counts against the run: every one but a success, a skipped volume and a dry
// run's preview.
inline bool IsFailure(TItemVerdict verdict) {
  return verdict != TItemVerdict::Success && verdict != TItemVerdict::Skipped &&
         verdict != TItemVerdict::Previewed;
}

// Outputs below this size are taken for broken ones.
inline constexpr qint64 kPlausibleOutputSize = 6144;

struct TItemOutcome {
  // The output archive (the source after a replacement); for a failed item the path its output
  // was to have, which may hold nothing.
  QString CompressPath;
  QString status;  // the final status text
  TItemVerdict verdict = TItemVerdict::Success;
  // The archive was opened by this password of the run's password list (an index into it); -1
  // when the decompression password opened it, none was needed, or nothing was extracted.
  int unpackPasswordIndex = -1;
  // What lies at CompressPath, as JudgeOutput found it.
  bool outputExists = false;
  qint64 outputSize = 0;
  // What the cleanup did (a dry run reports it).
  TCleanupReport cleanup;
  // NestedDepth: the archives inside the source that were opened in their place, and those that
  // did not open and stay as they were; paths relative to the extracted tree's root.
  QStringList nestedOpened;
  QStringList nestedKept;
  // The warnings logged while the item was worked on (TItemCauses): why it failed, first.
  QStringList causes;
};

// The outcome as it counts: a way through the item that reports success stands only when a file
// lies at CompressPath (else Failed) of at least kPlausibleOutputSize bytes (else Suspect); any
// other verdict stands as it is. Fills outputExists and outputSize for every verdict but a
// preview, whose output is never made.
TItemOutcome JudgeOutput(TItemOutcome reported);
