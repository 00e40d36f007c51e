#include "compress/rar/RarCommandLine.h"

#include "util/PathSeparators.h"

QString RarSource(const QString& rarDir, bool isFolder) {
  QString source = WithoutTrailingSeparator(rarDir);
  // The packer expands the wildcard itself, into subfolders too with "-r".
  if (isFolder) source += QStringLiteral("/*");
  return source;
}

QStringList RarAddArguments(const QString& archive, const QStringList& sources, bool lock,
                            const QString& password, const QString& commentFile,
                            const QString& exclusionList) {
  QStringList arguments{QStringLiteral("a"), QStringLiteral("-r")};
  if (lock) arguments << QStringLiteral("-k");
  arguments << QStringLiteral("-EP1");
  if (!commentFile.isEmpty()) arguments << QStringLiteral("-z") + commentFile;
  if (!exclusionList.isEmpty()) arguments << QStringLiteral("-x@") + exclusionList;
  arguments << archive << sources;
  if (!password.isEmpty()) arguments << QStringLiteral("-p") + password;
  return arguments;
}

QStringList RarCommentArguments(const QString& commentFile, const QString& archive) {
  return {QStringLiteral("c"), QStringLiteral("-z") + commentFile, archive};
}

QStringList RarLockArguments(const QString& archive) { return {QStringLiteral("k"), archive}; }

std::optional<QByteArray> RarFolderExclusions(const QByteArray& root,
                                              const std::vector<QByteArray>& folderLinks) {
  QByteArray list;
  for (const QByteArray& link : folderLinks) {
    const QByteArray below = link.startsWith(root) ? link.mid(root.size()) : link;
    if (link.contains('\n') || link.contains('\r') || below.contains('*') || below.contains('?'))
      return std::nullopt;
    list += link + "/\n";
  }
  return list;
}
