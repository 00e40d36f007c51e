#include "app/WorkFolders.h"

#include <QDir>

#include "settings/PathVars.h"
#include "util/FileOps.h"

namespace {
// Names repeat only within one second, among a thousand numbers.
constexpr int kNameAttempts = 2000;
}  // namespace

TWorkFolders::TWorkFolders(QString tempRoot) : tempRoot_(std::move(tempRoot)) {}

TWorkFolders::~TWorkFolders() { RemoveAll(); }

QString TWorkFolders::NewWorkFolder() {
  if (!QDir().mkpath(tempRoot_)) throw EWorkFolderError("cannot create the temp root");
  QDir root(tempRoot_);
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    const QString name = GetDateRandomName();
    if (used_.contains(name)) continue;
    // mkdir fails on an existing folder, so a folder of another item is never shared.
    if (root.mkdir(name)) {
      used_.insert(name);
      folders_ << tempRoot_ + name;
      return folders_.last();
    }
    if (!root.exists()) break;
  }
  throw EWorkFolderError("cannot create a work folder");
}

void TWorkFolders::Remove(const QString& folder) {
  if (folders_.removeOne(folder)) DeletePath(folder);
}

bool TWorkFolders::MoveOut(const QString& folder, const QString& destination) {
  if (!folders_.contains(folder) || !RenamePath(folder, destination)) return false;
  folders_.removeOne(folder);
  return true;
}

void TWorkFolders::RemoveAll() {
  for (const QString& folder : folders_) DeletePath(folder);
  folders_.clear();
}
