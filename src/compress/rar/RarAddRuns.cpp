#include "compress/rar/RarAddRuns.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "util/NativePath.h"
#include "util/PathSeparators.h"

namespace fs = std::filesystem;

namespace {

// What one source puts into the archive: a folder's content (links below it are names, never
// followed), or a single file under its own name.
struct TSource {
  explicit TSource(const QString& source) : path(FileSystemPath(WithoutTrailingSeparator(source))) {
    std::error_code ec;
    isFolder = fs::is_directory(path, ec);
  }

  std::vector<fs::path> StoredPaths() const {
    if (!isFolder) return {path.filename()};
    std::vector<fs::path> paths;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(path, ec), end; !ec && it != end; it.increment(ec))
      paths.push_back(it->path().lexically_relative(path));
    return paths;
  }

  bool Holds(const fs::path& stored) const {
    if (!isFolder) return stored == path.filename();
    std::error_code ec;
    return fs::exists(fs::symlink_status(path / stored, ec));
  }

  fs::path path;
  bool isFolder = false;
};

bool SharesAPath(const QStringList& run, const QString& source) {
  const std::vector<fs::path> stored = TSource(source).StoredPaths();
  for (const QString& earlier : run) {
    const TSource other(earlier);
    for (const fs::path& path : stored)
      if (other.Holds(path)) return true;
  }
  return false;
}

}  // namespace

QList<QStringList> RarAddRuns(const QStringList& sources) {
  QList<QStringList> runs;
  for (const QString& source : sources) {
    if (runs.isEmpty() || SharesAPath(runs.last(), source))
      runs.append(QStringList{source});
    else
      runs.last() << source;
  }
  return runs;
}
