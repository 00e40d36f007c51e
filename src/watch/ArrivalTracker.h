#pragma once
// When something that arrives in a watched folder is complete. A file is complete once it was
// closed after writing and has not changed for the settle time, or at once when it was renamed
// into the folder; a folder once nothing in it changed for the settle time. Where the kernel
// tells nothing of writers (NFS, entries that were there before the watch began), the settle
// time alone decides. Names of partial uploads never arrive.
#include <QHash>
#include <QString>
#include <QStringList>

#include <chrono>
#include <optional>

// Whether a name in a watched folder can be an arrival: not a partial upload ("*.part", "*.tmp",
// "*.crdownload", any case) and not starting with a dot (hidden names, the watcher's own folder,
// the temporaries of rsync and of most uploaders).
bool IsArrivalName(const QString& name);

// What a look at an entry found; two looks that find the same saw no change. A folder's figures
// cover everything below it.
struct TEntrySignature {
  // Only a regular file has writers the kernel tells of; a link or a device has none.
  enum class TKind { File, Folder, Other };
  TKind kind = TKind::File;
  qint64 bytes = 0;
  qint64 entries = 0;
  qint64 newestChangeNs = 0;  // the latest modification or status change
  quint64 inode = 0;

  bool operator==(const TEntrySignature&) const = default;
};

class TArrivalTracker {
 public:
  using TClock = std::chrono::steady_clock;

  explicit TArrivalTracker(std::chrono::milliseconds settle) : settle_(settle) {}

  // A look at the entry. A change from the last look restarts its settle time.
  void Seen(const QString& name, const TEntrySignature& signature, TClock::time_point now);
  // The entry has gone (taken, removed, renamed away).
  void Gone(const QString& name);
  // The names a full look at the folder found: every other entry has gone.
  void KeepOnly(const QStringList& names);

  // What the kernel told. A writer created or wrote the entry: it is not complete until closed.
  void Written(const QString& name, TClock::time_point now);
  // The entry's status changed (times, permissions): its settle time starts again.
  void Touched(const QString& name, TClock::time_point now);
  // A writer closed the file.
  void Closed(const QString& name, TClock::time_point now);
  // A complete entry was renamed in (replacing whatever had the name).
  void RenamedIn(const QString& name, TClock::time_point now);
  // Notifications were lost: no writer is known any more; the settle time decides.
  void ForgetWriters();

  // The complete entries, the earliest arrival first.
  QStringList Ready(TClock::time_point now) const;
  // When the next entry that only waits for its settle time becomes complete, after now; nothing
  // when none waits.
  std::optional<TClock::time_point> NextReady(TClock::time_point now) const;
  bool Tracks(const QString& name) const { return entries_.contains(name); }

 private:
  struct TEntry {
    std::optional<TEntrySignature> signature;  // none until the first look
    TClock::time_point unchangedSince;
    quint64 order = 0;  // arrival order
    bool writing = false;
    bool renamedIn = false;
  };
  TEntry& Entry(const QString& name, TClock::time_point now);
  bool IsReady(const TEntry& entry, TClock::time_point now) const;

  std::chrono::milliseconds settle_;
  QHash<QString, TEntry> entries_;
  quint64 nextOrder_ = 0;
};
