#include "compress/common/EntryPath.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <filesystem>
#include <system_error>

#include "util/NativePath.h"
#include "util/PathSeparators.h"

namespace {

// Splits on both separators: archives written on Windows use '\'.
QStringList Components(const QString& entryName) {
  QString name = entryName;
  name.replace('\\', '/');
  return name.split('/', Qt::SkipEmptyParts);
}

bool IsDriveComponent(const QString& c) { return c.size() == 2 && c[1] == ':' && c[0].isLetter(); }

}  // namespace

std::optional<QString> SafeEntryPath(const QString& destDir, const QString& entryName) {
  // The file system would end the path at a NUL: "..\0x" would then name the parent folder.
  if (entryName.contains(QChar(0))) return std::nullopt;
  QStringList parts = Components(entryName);
  if (!parts.isEmpty() && IsDriveComponent(parts.first())) parts.removeFirst();
  QStringList kept;
  for (const QString& c : parts) {
    if (c == QLatin1String(".")) continue;
    if (c == QLatin1String("..")) return std::nullopt;
    kept << c;
  }
  if (kept.isEmpty()) return std::nullopt;
  return WithTrailingSeparator(destDir) + kept.join('/');
}

bool IsPlainRelativeEntryName(const QString& entryName) {
  QString name = entryName;
  name.replace('\\', '/');
  if (name.startsWith('/')) return false;
  const QStringList parts = name.split('/', Qt::SkipEmptyParts);
  if (!parts.isEmpty() && IsDriveComponent(parts.first())) return false;
  for (const QString& c : parts)
    if (c == QLatin1String("..") || c == QLatin1String(".")) return false;
  return !parts.isEmpty();
}

int RemoveEscapingLinks(const QString& destDir) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path root = fs::weakly_canonical(FileSystemPath(destDir), ec);
  if (ec) return 0;
  int removed = 0;
  std::vector<fs::path> toRemove;
  // The iterator does not follow links into folders, so a link to a folder outside is only seen.
  for (auto it = fs::recursive_directory_iterator(root, fs::directory_options::skip_permission_denied, ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    if (!it->is_symlink(ec)) continue;
    std::error_code resolveError;
    const fs::path target = fs::weakly_canonical(it->path(), resolveError);
    const auto rel = target.lexically_relative(root);
    const bool inside = !resolveError && !rel.empty() && *rel.begin() != "..";
    if (!inside) toRemove.push_back(it->path());
  }
  for (const auto& p : toRemove)
    if (fs::remove(p, ec)) ++removed;
  return removed;
}
