#include "util/PathSeparators.h"

namespace {

bool EndsInSeparator(const QString& path, qsizetype size) { return size > 1 && path[size - 1] == u'/'; }

}  // namespace

QString WithoutTrailingSeparator(const QString& path) {
  return EndsInSeparator(path, path.size()) ? path.chopped(1) : path;
}

QString WithoutTrailingSeparators(const QString& path) {
  qsizetype size = path.size();
  while (EndsInSeparator(path, size)) --size;
  return path.left(size);
}

QString WithTrailingSeparator(const QString& folder) {
  return folder.endsWith(u'/') ? folder : folder + u'/';
}
