#include "cli/StopOnSignal.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

namespace {

// The handler may only do async-signal-safe work: it writes one byte into a pipe that the
// watcher thread reads. One instance at a time, so the pipe lives in these two descriptors.
int gPipe[2] = {-1, -1};
struct sigaction gOldInt;
struct sigaction gOldTerm;

constexpr char kSignalByte = 's';
constexpr char kQuitByte = 'q';

void OnSignal(int) {
  const int saved = errno;
  [[maybe_unused]] const ssize_t n = write(gPipe[1], &kSignalByte, 1);
  errno = saved;
}

}  // namespace

TStopOnSignal::TStopOnSignal(std::function<void()> onSignal) : onSignal_(std::move(onSignal)) {
  if (pipe2(gPipe, O_CLOEXEC) != 0) return;
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  // Waits for engine programs resume instead of failing with EINTR.
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, &gOldInt);
  sigaction(SIGTERM, &action, &gOldTerm);
  watcher_ = std::thread(&TStopOnSignal::Watch, this);
}

TStopOnSignal::~TStopOnSignal() {
  if (gPipe[1] < 0) return;
  sigaction(SIGINT, &gOldInt, nullptr);
  sigaction(SIGTERM, &gOldTerm, nullptr);
  [[maybe_unused]] const ssize_t n = write(gPipe[1], &kQuitByte, 1);
  if (watcher_.joinable()) watcher_.join();
  close(gPipe[0]);
  close(gPipe[1]);
  gPipe[0] = gPipe[1] = -1;
}

void TStopOnSignal::Watch() {
  for (;;) {
    char byte = 0;
    const ssize_t n = read(gPipe[0], &byte, 1);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0 || byte == kQuitByte) return;
    onSignal_();
  }
}
