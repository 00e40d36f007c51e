#include "watch/InboxWatcher.h"

#include <poll.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

#include "app/ItemOutcome.h"
#include "app/RunFolder.h"
#include "app/StatusTexts.h"
#include "compress/common/VolumeSet.h"
#include "settings/PathVars.h"
#include "watch/ArrivalTracker.h"
#include "watch/ClaimFolder.h"
#include "watch/InboxLayout.h"
#include "watch/InboxNotifier.h"
#include "watch/InboxScan.h"
#include "watch/Journal.h"
#include "watch/TakeBack.h"
#include "watch/WatchLog.h"
#include "watch/WatchSlot.h"

namespace {

using TClock = TArrivalTracker::TClock;
using std::chrono::milliseconds;

// How often the whole inbox is looked at: often enough that an arrival the kernel does not tell
// of waits little past its settle time, seldom enough that large folders are not walked all the
// time.
milliseconds LookInterval(milliseconds settle) {
  return std::clamp(settle / 2, milliseconds(100), milliseconds(2000));
}
constexpr milliseconds kTakeBackInterval(3000);

// The path as it really is: links resolved where it exists.
QString RealPath(const QString& path) {
  const QString canonical = QFileInfo(path).canonicalFilePath();
  return canonical.isEmpty() ? QDir::cleanPath(QFileInfo(path).absoluteFilePath()) : canonical;
}

// path is folder itself or lies below it.
bool LiesIn(const QString& path, const QString& folder) {
  const QString real = RealPath(path), realFolder = RealPath(folder);
  return real == realFolder || real.startsWith(realFolder + '/');
}

// One Run() of a watcher: what it holds while it watches.
class TWatchLoop {
 public:
  TWatchLoop(const TProgramPaths& paths, const TWatchOptions& options, const TInboxWatcher::TEvents& events,
             const TFacadeFactory& factory, const TWakeEvent& wake, QString host)
      : paths_(paths),
        options_(options),
        events_(events),
        wake_(wake),
        host_(std::move(host)),
        layout_(options.inbox),
        journal_(layout_.journal()),
        tracker_(options.settle),
        notifier_(options.inbox),
        claims_(layout_, host_, ::getpid()) {
    for (int i = TItemWorkers::ForRequest(options.jobs); i > 0; --i)
      slots_.push_back(std::make_unique<TWatchSlot>(
          paths, factory, TFinishPlaces{layout_.done(), layout_.failed(), host_}, [&wake] { wake.Wake(); }));
  }

  bool ready() const { return claims_.ok(); }
  QString claimFolder() const { return claims_.path(); }

  // Until the stop requests (stops() counts them) or a fault end it.
  void Watch(const std::function<unsigned()>& stops, const std::function<TSettings()>& settings,
             TWatchEnd& end);

 private:
  void Look(TClock::time_point now);
  void LookAtOne(const QString& name, TClock::time_point now);
  void Notice(const std::vector<TInboxNotifier::TEvent>& events, TClock::time_point now);
  // Claims ready arrivals while a slot is free.
  void StartReady(TClock::time_point now, const std::function<TSettings()>& settings);
  // The entries a ready arrival is claimed with: itself, and the other volumes of its set (all of
  // them ready); nothing while it is to wait.
  std::optional<QStringList> EntriesOf(const QString& name, const QSet<QString>& ready) const;
  void Collect(TWatchSlot& slot);
  void Finish();
  void TakeBack();
  bool anyBusy() const {
    return std::any_of(slots_.begin(), slots_.end(), [](const auto& slot) { return slot->busy(); });
  }

  const TProgramPaths& paths_;
  const TWatchOptions& options_;
  const TInboxWatcher::TEvents& events_;
  const TWakeEvent& wake_;
  QString host_;
  TInboxLayout layout_;
  TJournal journal_;
  TArrivalTracker tracker_;
  // Before the claimed folder: once that is there, no writer goes unnoticed.
  TInboxNotifier notifier_;
  TClaimFolder claims_;
  std::vector<std::unique_ptr<TWatchSlot>> slots_;
  int nextIndex_ = 0;
  // Items whose run ended and whose end is still to be carried out.
  struct TPending {
    TWatchSlot::TOutcome outcome;
    bool tried = false;  // carried out once already: its journal line may be there
  };
  std::vector<TPending> pending_;
  QString fault_;  // why the watch must end
  TWatchEnd* end_ = nullptr;
};

void TWatchLoop::Watch(const std::function<unsigned()>& stops, const std::function<TSettings()>& settings,
                       TWatchEnd& end) {
  end_ = &end;
  const milliseconds lookInterval = LookInterval(options_.settle);
  TClock::time_point nextLook = TClock::now();
  TClock::time_point nextTakeBack = nextLook + kTakeBackInterval;
  bool stoppedAtOnce = false;
  for (;;) {
    const unsigned requests = stops();
    if (requests >= 2 && !stoppedAtOnce) {
      qCInfo(lcWatch) << "stopping the items in progress at once";
      for (const auto& slot : slots_)
        if (slot->busy()) slot->Stop();
      stoppedAtOnce = end.stoppedAtOnce = true;
    }
    for (const auto& slot : slots_)
      if (slot->busy() && slot->ended()) Collect(*slot);
    Finish();
    const bool ending = requests > 0 || !fault_.isEmpty();
    if (ending && !anyBusy()) break;

    TClock::time_point now = TClock::now();
    if (!ending && now >= nextLook) {
      Look(now);
      nextLook = now + lookInterval;
    }
    if (!ending && now >= nextTakeBack) {
      TakeBack();
      nextTakeBack = now + kTakeBackInterval;
    }
    if (!ending && fault_.isEmpty()) StartReady(now, settings);

    TClock::time_point until = std::min(nextLook, nextTakeBack);
    if (const auto ready = tracker_.NextReady(now)) until = std::min(until, *ready);
    // Items whose end could not be carried out are tried again at the next look.
    const int timeout =
        ending ? -1
               : int(std::chrono::ceil<milliseconds>(std::max(until - now, TClock::duration(0))).count());
    pollfd fds[2] = {{wake_.fd(), POLLIN, 0}, {notifier_.valid() ? notifier_.fd() : -1, POLLIN, 0}};
    ::poll(fds, 2, timeout);
    wake_.Clear();
    if (!ending) Notice(notifier_.Read(), TClock::now());
  }
  end.message = fault_;
}

void TWatchLoop::LookAtOne(const QString& name, TClock::time_point now) {
  if (const std::optional<TEntrySignature> signature = LookAt(layout_.Arrival(name)))
    tracker_.Seen(name, *signature, now);
  else
    tracker_.Gone(name);
}

void TWatchLoop::Look(TClock::time_point now) {
  const std::optional<QStringList> names = ArrivalNames(layout_.inbox());
  if (!names) {
    fault_ = QStringLiteral("the watched folder %1 cannot be read any more").arg(layout_.inbox());
    return;
  }
  tracker_.KeepOnly(*names);
  for (const QString& name : *names) LookAtOne(name, now);
}

void TWatchLoop::Notice(const std::vector<TInboxNotifier::TEvent>& events, TClock::time_point now) {
  using TEvent = TInboxNotifier::TEvent;
  for (const TEvent& event : events) {
    if (event.kind == TEvent::Lost) {
      tracker_.ForgetWriters();
      continue;
    }
    if (event.kind == TEvent::FolderGone) {
      fault_ = QStringLiteral("the watched folder %1 was removed or moved").arg(layout_.inbox());
      continue;
    }
    if (!IsArrivalName(event.name)) continue;
    switch (event.kind) {
      case TEvent::Written:
        tracker_.Written(event.name, now);
        break;
      case TEvent::Touched:
        tracker_.Touched(event.name, now);
        break;
      case TEvent::Closed:
        tracker_.Closed(event.name, now);
        LookAtOne(event.name, now);
        break;
      case TEvent::RenamedIn:
        tracker_.RenamedIn(event.name, now);
        LookAtOne(event.name, now);
        break;
      case TEvent::Gone:
        tracker_.Gone(event.name);
        break;
      default:
        break;
    }
  }
}

std::optional<QStringList> TWatchLoop::EntriesOf(const QString& name, const QSet<QString>& ready) const {
  const std::optional<TVolumeSet> set = FindVolumeSet(layout_.Arrival(name));
  if (!set) return QStringList{name};
  // A set is one item, claimed through the volume that opens it once every volume is there and
  // complete; a volume that never comes keeps the set waiting, never half taken.
  if (set->isOtherVolume() || !set->complete()) return std::nullopt;
  QStringList entries{name};
  for (const QString& volume : set->volumes) {
    const QString volumeName = QFileInfo(volume).fileName();
    if (volumeName == name) continue;
    if (!ready.contains(volumeName)) return std::nullopt;
    entries << volumeName;
  }
  return entries;
}

void TWatchLoop::StartReady(TClock::time_point now, const std::function<TSettings()>& settings) {
  const QStringList ready = tracker_.Ready(now);
  const QSet<QString> readySet(ready.cbegin(), ready.cend());
  for (const QString& name : ready) {
    const auto free =
        std::find_if(slots_.begin(), slots_.end(), [](const auto& slot) { return !slot->busy(); });
    if (free == slots_.end()) return;
    const std::optional<QStringList> entries = EntriesOf(name, readySet);
    if (!entries) continue;
    // A writer that had the file open before the watch began, and pauses: the kernel told of no
    // open, but knows of it.
    const auto stillWritten = std::find_if(entries->begin(), entries->end(), [this](const QString& entry) {
      return HasWriters(layout_.Arrival(entry)) == true;
    });
    if (stillWritten != entries->end()) {
      tracker_.Written(*stillWritten, now);
      continue;
    }
    const TClaimFolder::TClaim claim = claims_.Claim(name);
    if (claim == TClaimFolder::TClaim::Busy) continue;
    tracker_.Gone(name);
    if (claim == TClaimFolder::TClaim::Lost) continue;
    TClaimedItem item{nextIndex_++, layout_.Arrival(name), claims_.path(), {name}};
    for (const QString& volume : entries->mid(1)) {
      tracker_.Gone(volume);
      if (claims_.Claim(volume) == TClaimFolder::TClaim::Claimed)
        item.entries << volume;
      else
        qCWarning(lcWatch) << "the volume" << volume << "of" << name << "went before it could be claimed";
    }
    qCInfo(lcWatch) << "claimed" << item.inboxPath << "as item" << item.index;
    const TStartResult start = (*free)->Start(item, settings());
    if (!start.started) {
      // The same would refuse every item: the watch ends and leaves them to arrive again.
      for (const QString& entry : item.entries) ReturnToInbox(layout_, item.claimFolder + entry);
      fault_ = start.message;
      return;
    }
  }
}

void TWatchLoop::Collect(TWatchSlot& slot) {
  TWatchSlot::TOutcome outcome = slot.Collect();
  if (events_.warning)
    for (const QString& warning : outcome.warnings) events_.warning(warning);
  if (outcome.result.verdict == TItemVerdict::Stopped) {
    qCInfo(lcWatch) << outcome.item.inboxPath << "was stopped; it goes back into the inbox";
    for (const QString& entry : outcome.item.entries)
      ReturnToInbox(layout_, outcome.item.claimFolder + entry);
    return;
  }
  pending_.push_back({std::move(outcome)});
}

void TWatchLoop::Finish() {
  for (auto it = pending_.begin(); it != pending_.end();) {
    TWatchSlot::TOutcome& outcome = it->outcome;
    if (!outcome.end)
      outcome.end =
          WriteClaimEnd(outcome.item.claimFolder, outcome.item.entries, outcome.line, outcome.toFolder);
    const std::optional<QString> kept =
        outcome.end ? CarryOutClaimEnd(outcome.item.claimFolder, *outcome.end, journal_, it->tried)
                    : std::nullopt;
    it->tried = it->tried || outcome.end.has_value();
    if (!kept) {
      ++it;
      continue;
    }
    if (outcome.result.outputExists) ++end_->successCount;
    if (IsFailure(outcome.result.verdict)) ++end_->errorCount;
    if (events_.itemFinished) events_.itemFinished({outcome.item.index, outcome.result, *kept});
    it = pending_.erase(it);
  }
}

void TWatchLoop::TakeBack() {
  TakeBackClaims(layout_, host_, ::getpid(), journal_, [this] { RemoveEndedRuns(paths_.tempRoot()); });
}

}  // namespace

TInboxWatcher::TInboxWatcher(TProgramPaths paths, TWatchOptions options, std::function<TSettings()> settings,
                             TEvents events, TFacadeFactory factory)
    : paths_(std::move(paths)),
      options_(std::move(options)),
      settings_(std::move(settings)),
      events_(std::move(events)),
      factory_(std::move(factory)) {}

TSettings TInboxWatcher::ItemSettings() const {
  TSettings settings = settings_();
  settings.RARToFrom = false;
  return settings;
}

void TInboxWatcher::Stop() {
  ++stopRequests_;
  wake_.Wake();
}

TWatchEnd TInboxWatcher::Run() {
  TWatchEnd end;
  const TInboxLayout layout(options_.inbox);
  if (!QFileInfo(options_.inbox).isDir()) {
    end.message = QStringLiteral("the watched folder %1 is not a folder").arg(options_.inbox);
    return end;
  }
  const TSettings first = settings_();
  const QString output = ResolveOutputFolder(first.OutputFolder, paths_.programFolder(), first.ampm,
                                             QDateTime::currentDateTime());
  if (output.isEmpty()) {
    end.message = TRunText::InvalidOutputFolder;
    return end;
  }
  // Whatever is written there would arrive as a new item, without end.
  if (LiesIn(output, options_.inbox)) {
    end.message = QStringLiteral("the output folder %1 lies in the watched folder").arg(output);
    return end;
  }
  if (LiesIn(paths_.programFolder(), options_.inbox)) {
    end.message =
        QStringLiteral("the program folder %1 lies in the watched folder").arg(paths_.programFolder());
    return end;
  }
  if (!layout.Make()) {
    end.message = QStringLiteral("cannot make %1 in the watched folder").arg(layout.base());
    return end;
  }
  if (first.RARToFrom && events_.warning)
    events_.warning(QStringLiteral("replace-source mode (RARToFrom=1) does not apply to a watched folder: "
                                   "the outputs go to %1")
                        .arg(output));

  IgnoreLeaseBreaks();
  const QString host = options_.host.isEmpty() ? WatcherHostName() : options_.host;
  // What killed runs and watchers of this host left is put right before anything new is claimed.
  RemoveEndedRuns(paths_.tempRoot());
  TakeBackClaims(layout, host, -1, TJournal(layout.journal()), {});
  TWatchLoop loop(paths_, options_, events_, factory_, wake_, host);
  if (!loop.ready()) {
    end.message = QStringLiteral("cannot claim items in %1").arg(layout.claimed());
    return end;
  }
  end.started = true;
  qCInfo(lcWatch) << "watching" << options_.inbox << "claiming into" << loop.claimFolder();
  loop.Watch([this] { return stopRequests_.load(); }, [this] { return ItemSettings(); }, end);
  return end;
}
