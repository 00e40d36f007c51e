#include "watch/InboxNotifier.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "util/NativePath.h"
#include "watch/WatchLog.h"

namespace {

constexpr uint32_t kMask = IN_CREATE | IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVED_FROM |
                           IN_DELETE | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR | IN_EXCL_UNLINK;

}  // namespace

TInboxNotifier::TInboxNotifier(const QString& folder) : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
  if (!fd_) {
    qCWarning(lcWatch) << "no notifications of" << folder << ":" << std::strerror(errno)
                       << "; only the periodic look finds arrivals";
    return;
  }
  if (::inotify_add_watch(fd_.get(), NativePath(folder).c_str(), kMask) < 0) {
    qCWarning(lcWatch) << "no notifications of" << folder << ":" << std::strerror(errno)
                       << "; only the periodic look finds arrivals";
    fd_.reset();
  }
}

std::vector<TInboxNotifier::TEvent> TInboxNotifier::Read() {
  std::vector<TEvent> events;
  if (!fd_) return events;
  alignas(inotify_event) char buffer[64 * 1024];
  for (;;) {
    const ssize_t n = ::read(fd_.get(), buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    for (ssize_t at = 0; at < n;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
      at += ssize_t(sizeof(inotify_event) + event->len);
      const QString name = event->len > 0 ? FromNativePath(event->name) : QString();
      const uint32_t mask = event->mask;
      if (mask & IN_Q_OVERFLOW) {
        events.push_back({TEvent::Lost, {}});
      } else if (mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT | IN_IGNORED)) {
        events.push_back({TEvent::FolderGone, {}});
      } else if (name.isEmpty()) {
        continue;
      } else if (mask & IN_MOVED_TO) {
        events.push_back({TEvent::RenamedIn, name});
      } else if (mask & (IN_MOVED_FROM | IN_DELETE)) {
        events.push_back({TEvent::Gone, name});
      } else if (mask & IN_CLOSE_WRITE) {
        events.push_back({TEvent::Closed, name});
      } else if (mask & (IN_CREATE | IN_MODIFY)) {
        events.push_back({TEvent::Written, name});
      } else if (mask & IN_ATTRIB) {
        events.push_back({TEvent::Touched, name});
      }
    }
  }
  return events;
}
