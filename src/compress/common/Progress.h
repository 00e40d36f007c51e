#pragma once
// How far an operation of the facade has come, as its engine tells it while it runs. Handlers
// are called on the thread doing the work (for the ZIP engine and the 7z library, any of their
// threads), often and unthrottled: whoever shows progress thins it out.
#include <QtGlobal>

#include <functional>

struct TProgress {
  enum class TPhase { Extracting, Packing };
  TPhase phase = TPhase::Extracting;
  quint64 done = 0;   // bytes
  quint64 total = 0;  // bytes; 0 while the engine does not know it

  // 0..100, or -1 while the total is unknown. Never above 100: an estimate may fall short.
  int percent() const { return total == 0 ? -1 : int(qMin<quint64>(done, total) * 100 / total); }
};

using TProgressHandler = std::function<void(const TProgress&)>;
// What an engine reports through: bytes done and total (0 while unknown), the phase being the
// operation's.
using TByteProgress = std::function<void(quint64 done, quint64 total)>;
