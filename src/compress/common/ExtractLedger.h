#pragma once
// The account of one extraction, kept by the facade and fed by every engine: the bytes written
// (checked against the size limit and the free-space reserve before they are written), and each
// entry that did not come out as itself. Engines reach it through the extraction target; a
// plug-in program, which writes the folder itself, is watched instead.
//
// Every byte an extraction writes passes Reserve once, so it is also the place to hear progress:
// the hook hears the bytes written so far and the total, when an engine knows it.
#include <QString>
#include <QStringList>

#include <functional>
#include <mutex>

#include "compress/common/Progress.h"
#include "util/ExtractLimits.h"

class TExtractLedger {
 public:
  // Hears the bytes below the destination so far and what the whole extraction will write (0
  // while unknown). Called on the writing thread, outside the ledger's lock, after each accepted
  // Reserve or Observe.
  void SetProgressHook(TByteProgress hook);

  // Asked before every write: once it says yes the extraction must stop (Reserve and the others
  // say false from then on). Empty: never.
  void SetStopRequest(std::function<bool()> stopRequested);

  // A new extraction into destDir: nothing written, refused or converted, not stopped. The
  // limits' priorBytes count against its size limit from the start.
  void Begin(const QString& destDir, const TExtractLimits& limits);

  // Before `bytes` more are written below the destination; any thread. False when they would pass
  // the size limit or leave less than the reserve free on the destination's disk: the extraction
  // must stop, and every later call is false too.
  bool Reserve(quint64 bytes);
  // For a writer the ledger does not see (a plug-in program): all the bytes below the destination
  // now. False as for Reserve.
  bool Observe(quint64 bytesBelowDestination);
  // Before `bytes` more go to the disk that were counted already (the own copy of a file of
  // several names, each of which Observe counted): the free-space reserve only. False as for
  // Reserve.
  bool ReserveSpace(quint64 bytes);
  // What the whole extraction will write, once an engine knows it.
  void SetTotal(quint64 bytes);

  // An entry left out: a device, pipe or socket, a hard link without its original.
  void Refuse(const QString& entry, const QString& why);
  // An entry that came out as something else: a link written as a file holding its target.
  void Convert(const QString& entry, const QString& what);
  // Writing `path` (below the destination) failed with the system's error number: the first such
  // failure is the cause of the extraction's failure, whatever the engine makes of it. Any thread.
  void WriteFailed(const QString& path, int error);

  bool stopped() const;
  // Why the extraction was stopped, for the log; empty when it was not.
  QString stopCause() const;
  // The bytes this extraction wrote below the destination (limits' priorBytes not included).
  quint64 written() const;
  bool refusedAny() const;
  // Every entry came out as itself: nothing refused or converted, no stop.
  bool complete() const;
  // The refused and converted entries, for the log (the first few of each).
  QString Details() const;
  // "cannot write <path>: <the system's words>" for the first failed write, or empty.
  QString writeFailure() const;
  // "the disk of <destination> is full" when a write was announced (Reserve) that the disk had no
  // room for, or the disk has no byte free now; else empty. A cause for a writer whose errors
  // cannot be heard (a plug-in program, a library that clears them).
  QString FullDisk() const;

 private:
  bool Stop(const QString& cause);
  // Stops the extraction when the user asked to; true when it goes on.
  bool GoesOn();
  // Free bytes on the destination's disk now; the largest value when it cannot be asked.
  quint64 FreeBytes() const;
  bool ReserveLeft(quint64 bytes);
  // Free bytes as last asked, less what was reserved since; the disk is asked again every so often
  // and whenever the estimate nears `needed`.
  quint64 FreeEstimate(quint64 needed);
  // Tells the hook, if any, what is written now; unlocks first, so the hook runs outside the lock,
  // one report at a time, the latest figure only.
  void Report(std::unique_lock<std::mutex>& lock);

  mutable std::mutex mutex_;
  QString destDir_;
  TExtractLimits limits_;
  quint64 written_ = 0;
  quint64 total_ = 0;
  TByteProgress hook_;
  quint64 figures_ = 0;  // figures taken for the hook, numbered in the order taken
  std::function<bool()> stopRequested_;
  quint64 freeEstimate_ = 0;       // free bytes when last asked, less what was reserved since
  quint64 reservedSinceAsked_ = 0;
  bool asked_ = false;
  QString stopCause_;
  QStringList refused_;
  QStringList converted_;
  QString writeFailure_;
  bool noRoom_ = false;  // a write was announced that the disk had no room for

  std::mutex toldMutex_;  // held while the hook hears a figure; guards what follows
  quint64 told_ = 0;      // the number of the last figure the hook heard
};
