#include "util/LogTap.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <vector>

namespace {

// The taps and the handler Qt had before the first of them; the handler is put back when the
// last tap goes.
struct TTaps {
  std::mutex mutex;
  std::vector<std::shared_ptr<const TLogTap::TSink>> sinks;
  QtMessageHandler previous = nullptr;
};

TTaps& Taps() {
  static TTaps taps;
  return taps;
}

thread_local bool inSink = false;

void Dispatch(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  TTaps& taps = Taps();
  std::vector<std::shared_ptr<const TLogTap::TSink>> sinks;
  QtMessageHandler previous;
  {
    std::lock_guard lock(taps.mutex);
    sinks = taps.sinks;
    previous = taps.previous;
  }
  // Called without the lock, so a sink may hand the line to another thread and wait for it. A sink
  // that logs comes back here; its own lines only go on to the previous handler.
  if (!inSink) {
    inSink = true;
    const TLogLine line{type, QString::fromLatin1(context.category ? context.category : "default"), message};
    for (const auto& sink : sinks) (*sink)(line);
    inSink = false;
  }
  if (previous) previous(type, context, message);
}

}  // namespace

TLogTap::TLogTap(TSink sink) : sink_(std::make_shared<const TSink>(std::move(sink))) {
  TTaps& taps = Taps();
  std::lock_guard lock(taps.mutex);
  if (taps.sinks.empty()) taps.previous = qInstallMessageHandler(Dispatch);
  taps.sinks.push_back(sink_);
}

TLogTap::~TLogTap() {
  TTaps& taps = Taps();
  std::lock_guard lock(taps.mutex);
  taps.sinks.erase(std::remove(taps.sinks.begin(), taps.sinks.end(), sink_), taps.sinks.end());
  if (taps.sinks.empty()) qInstallMessageHandler(taps.previous);
}
