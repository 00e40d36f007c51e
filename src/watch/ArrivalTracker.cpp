#include "watch/ArrivalTracker.h"

#include <QSet>

#include <algorithm>

bool IsArrivalName(const QString& name) {
  if (name.isEmpty() || name.startsWith('.')) return false;
  for (const char* partial : {".part", ".tmp", ".crdownload"})
    if (name.endsWith(QLatin1String(partial), Qt::CaseInsensitive)) return false;
  return true;
}

TArrivalTracker::TEntry& TArrivalTracker::Entry(const QString& name, TClock::time_point now) {
  auto it = entries_.find(name);
  if (it == entries_.end()) {
    it = entries_.insert(name, TEntry{});
    it->unchangedSince = now;
    it->order = nextOrder_++;
  }
  return *it;
}

void TArrivalTracker::Seen(const QString& name, const TEntrySignature& signature, TClock::time_point now) {
  TEntry& entry = Entry(name, now);
  if (entry.signature && *entry.signature != signature) {
    entry.unchangedSince = now;
    // Written to after it came in whole: complete again only by the settle time.
    entry.renamedIn = false;
  }
  entry.signature = signature;
}

void TArrivalTracker::Gone(const QString& name) { entries_.remove(name); }

void TArrivalTracker::KeepOnly(const QStringList& names) {
  const QSet<QString> present(names.cbegin(), names.cend());
  for (auto it = entries_.begin(); it != entries_.end();)
    it = present.contains(it.key()) ? std::next(it) : entries_.erase(it);
}

void TArrivalTracker::Written(const QString& name, TClock::time_point now) {
  TEntry& entry = Entry(name, now);
  entry.writing = true;
  entry.renamedIn = false;
  entry.unchangedSince = now;
}

void TArrivalTracker::Touched(const QString& name, TClock::time_point now) {
  TEntry& entry = Entry(name, now);
  entry.renamedIn = false;
  entry.unchangedSince = now;
}

void TArrivalTracker::Closed(const QString& name, TClock::time_point now) {
  TEntry& entry = Entry(name, now);
  entry.writing = false;
  entry.unchangedSince = now;
}

void TArrivalTracker::RenamedIn(const QString& name, TClock::time_point now) {
  entries_.remove(name);  // a new entry under an old name
  TEntry& entry = Entry(name, now);
  entry.renamedIn = true;
}

void TArrivalTracker::ForgetWriters() {
  for (TEntry& entry : entries_) entry.writing = false;
}

bool TArrivalTracker::IsReady(const TEntry& entry, TClock::time_point now) const {
  if (!entry.signature) return false;
  using TKind = TEntrySignature::TKind;
  // A folder renamed in may still be filled; only its quiet time tells.
  if (entry.renamedIn && entry.signature->kind != TKind::Folder) return true;
  if (entry.writing && entry.signature->kind == TKind::File) return false;
  return now - entry.unchangedSince >= settle_;
}

QStringList TArrivalTracker::Ready(TClock::time_point now) const {
  QList<std::pair<quint64, QString>> ready;
  for (auto it = entries_.cbegin(); it != entries_.cend(); ++it)
    if (IsReady(*it, now)) ready.append({it->order, it.key()});
  std::sort(ready.begin(), ready.end());
  QStringList names;
  for (const auto& [order, name] : ready) names << name;
  return names;
}

std::optional<TArrivalTracker::TClock::time_point> TArrivalTracker::NextReady(TClock::time_point now) const {
  std::optional<TClock::time_point> next;
  for (const TEntry& entry : entries_) {
    if (!entry.signature || IsReady(entry, now)) continue;
    if (entry.writing && entry.signature->kind == TEntrySignature::TKind::File) continue;
    const TClock::time_point at = entry.unchangedSince + settle_;
    if (!next || at < *next) next = at;
  }
  return next;
}
