#pragma once
// The kernel's word on the top level of a watched folder (inotify): who writes, who closes, what
// is renamed in or away. A file system that says nothing (NFS) gives no events; the watcher's
// periodic look covers it.
#include <QString>

#include <vector>

#include "util/FileDescriptor.h"

class TInboxNotifier {
 public:
  struct TEvent {
    enum TKind {
      Written,    // created, or written to
      Touched,    // times or permissions changed
      Closed,     // closed after writing
      RenamedIn,  // renamed into the folder
      Gone,       // removed, or renamed away
      Lost,       // events were dropped: nothing is known of writers
      FolderGone  // the watched folder itself was removed, renamed or unmounted
    };
    TKind kind;
    QString name;  // empty for Lost and FolderGone
  };

  // Without notifications (the kernel refuses, the limit of watches is reached) valid() is false
  // and the cause is logged.
  explicit TInboxNotifier(const QString& folder);

  bool valid() const { return bool(fd_); }
  // To wait on with poll(): readable when events are there.
  int fd() const { return fd_.get(); }
  // The events that came since the last call; never waits.
  std::vector<TEvent> Read();

 private:
  TFileDescriptor fd_;
};
