#include "watch/ClaimEnd.h"

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>

#include "util/FileOps.h"
#include "util/NativePath.h"
#include "watch/WatchLog.h"

namespace {

const QString kLine = QStringLiteral("line");
const QString kTo = QStringLiteral("to");
const QString kEntries = QStringLiteral("entries");
const QString kDevice = QStringLiteral("device");
const QString kInode = QStringLiteral("inode");
constexpr int kMaxNumber = 100000;

QString RecordPath(const QString& claimFolder, const QString& item) {
  return claimFolder + '.' + item + QStringLiteral(".end");
}

// "game.part1.rar" -> "game_2.part1.rar": the number before the first dot keeps a volume set's
// names one set.
QString Numbered(const QString& name, int n) {
  if (n == 0) return name;
  const qsizetype dot = name.indexOf('.', 1);
  const QString suffix = '_' + QString::number(n);
  return dot < 0 ? name + suffix : name.left(dot) + suffix + name.mid(dot);
}

bool Exists(const QString& path) {
  struct stat st {};
  return ::lstat(NativePath(path).c_str(), &st) == 0;
}

// Renames the entry into folder under the first free numbered name from `first` on, never over
// anything; the path it took, and the number in *n.
std::optional<QString> MoveUnderFreeName(const QString& from, const QString& folder, const QString& name,
                                         int* n) {
  for (; *n < kMaxNumber; ++*n) {
    const QString to = folder + Numbered(name, *n);
    if (RenamePath(from, to)) return to;
    if (!Exists(to)) {
      qCWarning(lcWatch) << "cannot move" << from << "to" << to;
      return std::nullopt;
    }
  }
  return std::nullopt;
}

// Where the item's own entry went in the folder, found by its identity.
QString FindMoved(const TClaimEnd& end) {
  const QString name = end.entries.value(0);
  const qsizetype dot = name.indexOf('.', 1);
  const QString stem = dot < 0 ? name : name.left(dot);
  for (const QString& candidate :
       QDir(end.toFolder).entryList({stem + '*'}, QDir::AllEntries | QDir::System)) {
    struct stat st {};
    if (::lstat(NativePath(end.toFolder + candidate).c_str(), &st) == 0 && st.st_dev == end.device &&
        st.st_ino == end.inode)
      return end.toFolder + candidate;
  }
  return {};
}

}  // namespace

bool IsClaimRecordName(const QString& name) { return name.startsWith('.'); }

std::optional<TClaimEnd> WriteClaimEnd(const QString& claimFolder, const QStringList& entries,
                                       const QJsonObject& line, const QString& toFolder) {
  struct stat st {};
  if (entries.isEmpty() || ::lstat(NativePath(claimFolder + entries.first()).c_str(), &st) != 0) {
    qCWarning(lcWatch) << "the claimed item" << claimFolder + entries.value(0) << "has gone";
    return std::nullopt;
  }
  const TClaimEnd end{line, toFolder, entries, quint64(st.st_dev), quint64(st.st_ino)};
  QSaveFile record(RecordPath(claimFolder, entries.first()));
  const QJsonObject object{{kLine, line},
                           {kTo, toFolder},
                           {kEntries, QJsonArray::fromStringList(entries)},
                           {kDevice, QString::number(end.device)},
                           {kInode, QString::number(end.inode)}};
  if (!record.open(QIODevice::WriteOnly) ||
      record.write(QJsonDocument(object).toJson(QJsonDocument::Compact)) < 0 || !record.commit()) {
    qCWarning(lcWatch) << "cannot write down the end of" << claimFolder + entries.first() << ":"
                       << record.errorString();
    return std::nullopt;
  }
  return end;
}

std::optional<TClaimEnd> ReadClaimEnd(const QString& claimFolder, const QString& item) {
  QFile file(RecordPath(claimFolder, item));
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  const QJsonObject record = QJsonDocument::fromJson(file.readAll()).object();
  TClaimEnd end;
  end.line = record.value(kLine).toObject();
  end.toFolder = record.value(kTo).toString();
  for (const QJsonValue& entry : record.value(kEntries).toArray()) end.entries << entry.toString();
  end.device = record.value(kDevice).toString().toULongLong();
  end.inode = record.value(kInode).toString().toULongLong();
  // A record cut short is none: the item runs again.
  if (end.line.isEmpty() || end.toFolder.isEmpty() || end.entries.value(0) != item) return std::nullopt;
  return end;
}

std::optional<QString> CarryOutClaimEnd(const QString& claimFolder, const TClaimEnd& end,
                                        const TJournal& journal, bool journalOnce) {
  QString kept;
  int n = 0;
  for (const QString& entry : end.entries) {
    const QString from = claimFolder + entry;
    if (!Exists(from)) {
      // Moved before a kill: only the item's own place matters for the line.
      if (entry == end.entries.first()) kept = FindMoved(end);
      continue;
    }
    const std::optional<QString> to = MoveUnderFreeName(from, end.toFolder, entry, &n);
    if (!to) return std::nullopt;
    if (entry == end.entries.first()) kept = *to;
  }
  QJsonObject line = end.line;
  line[QStringLiteral("kept")] = kept;
  if (!journal.Append(QJsonDocument(line).toJson(QJsonDocument::Compact), journalOnce)) return std::nullopt;
  DropClaimEnd(claimFolder, end);
  return kept;
}

void DropClaimEnd(const QString& claimFolder, const TClaimEnd& end) {
  QFile::remove(RecordPath(claimFolder, end.entries.value(0)));
}
