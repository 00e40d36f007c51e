#include "app/ItemWorkers.h"

#include <algorithm>
#include <system_error>
#include <thread>
#include <vector>

#include "app/JobLog.h"

TItemWorkers::TItemWorkers(int workers, int itemCount)
    : workers_(std::clamp(workers, 1, std::max(1, itemCount))), itemCount_(itemCount) {}

void TItemWorkers::Run(const std::function<void()>& work) {
  std::vector<std::jthread> others;  // joined when they go, whatever ends this
  for (int i = 1; i < workers_; ++i) {
    try {
      others.emplace_back(work);
    } catch (const std::system_error& error) {
      // The run goes on with the workers it has: fewer items at once, none left undone.
      qCWarning(lcJob) << "could only start" << i << "of" << workers_ << "workers:" << error.what();
      break;
    }
  }
  work();
}

std::optional<int> TItemWorkers::Next() {
  if (closed_) return std::nullopt;
  const int index = next_++;
  if (index >= itemCount_) return std::nullopt;
  return index;
}

int TItemWorkers::ForRequest(int requested) {
  if (requested > 0) return requested;
  return int(std::max(1u, std::thread::hardware_concurrency()));
}
