#pragma once
// The workers of one run: threads that take the run's items in input order, one item at a time
// each, until the list is done or no further item is to start.
#include <atomic>
#include <functional>
#include <optional>

class TItemWorkers {
 public:
  // workers: how many items are worked on at once (at least one; never more than there are items).
  TItemWorkers(int workers, int itemCount);

  // Runs work on every worker, the calling thread being one of them, and returns when all have
  // returned; a thread the system refuses leaves fewer workers. work takes its items with Next()
  // and must not throw.
  void Run(const std::function<void()>& work);
  // The next item to start, or nothing when the list is done or Close() was called. Any thread.
  std::optional<int> Next();
  // No further item starts.
  void Close() { closed_ = true; }

  // Items worked on at once for a requested count: the count itself, one per processor core for 0.
  static int ForRequest(int requested);

 private:
  int workers_;
  int itemCount_;
  std::atomic<int> next_{0};
  std::atomic<bool> closed_{false};
};
