#include "app/ItemCauses.h"

#include <mutex>
#include <thread>

namespace {

// Enough for the cause and what led to it; a damaged archive may log a line per entry.
constexpr qsizetype kKeptLines = 20;

}  // namespace

struct TItemCauses::TState {
  std::thread::id thread = std::this_thread::get_id();
  std::mutex mutex;
  QStringList lines;
};

TItemCauses::TItemCauses()
    : state_(std::make_shared<TState>()), tap_([state = state_](const TLogLine& line) {
        const bool warning = line.type == QtWarningMsg || line.type == QtCriticalMsg;
        if (!warning || std::this_thread::get_id() != state->thread ||
            !line.category.startsWith(QLatin1String("harrowmint.")))
          return;
        std::lock_guard lock(state->mutex);
        if (state->lines.size() < kKeptLines) state->lines << line.message;
      }) {}

QStringList TItemCauses::lines() const {
  std::lock_guard lock(state_->mutex);
  return state_->lines;
}
