#include "app/ItemWorkers.h"

#include <algorithm>
#include <thread>
#include <vector>

TItemWorkers::TItemWorkers(int workers, int itemCount)
    : workers_(std::clamp(workers, 1, std::max(1, itemCount))), itemCount_(itemCount) {}

void TItemWorkers::Run(const std::function<void()>& work) {
  std::vector<std::jthread> others;  // joined when they go, whatever ends this
  for (int i = 1; i < workers_; ++i) others.emplace_back(work);
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
