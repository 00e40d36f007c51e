#include "watch/WakeEvent.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>

TWakeEvent::TWakeEvent() : fd_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

void TWakeEvent::Wake() const {
  const uint64_t one = 1;
  [[maybe_unused]] const ssize_t n = ::write(fd_.get(), &one, sizeof one);
}

void TWakeEvent::Clear() const {
  uint64_t count = 0;
  [[maybe_unused]] const ssize_t n = ::read(fd_.get(), &count, sizeof count);
}
