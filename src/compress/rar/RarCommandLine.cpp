#include "compress/rar/RarCommandLine.h"

#include "compress/rar/RarEntryName.h"
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

QStringList RarListArguments(const QString& archive) {
  return {QStringLiteral("lt"), QStringLiteral("-c-"), QStringLiteral("-p-"), archive};
}

QStringList RarTestArguments(const QString& archive, const QString& password) {
  return {QStringLiteral("t"), password.isEmpty() ? QStringLiteral("-p-") : QStringLiteral("-p") + password, archive};
}

std::optional<QStringList> ParseRarListing(const QByteArray& output) {
  // Where a line that is `label` behind blanks (the packer aligns its labels) begins, from `from`
  // on: the position of the line break before it, or -1.
  const auto findLine = [&output](QByteArrayView label, qsizetype from) -> qsizetype {
    for (qsizetype at = output.indexOf(label, from); at >= 0; at = output.indexOf(label, at + 1)) {
      qsizetype begin = at;
      while (begin > 0 && output[begin - 1] == ' ') --begin;
      if (begin > 0 && output[begin - 1] == '\n' && begin < at) return begin - 1;
    }
    return -1;
  };
  // The records begin after the "Details:" line that follows the archive's own name.
  const qsizetype archive = output.startsWith("Archive: ") ? 0 : output.indexOf("\nArchive: ");
  if (archive < 0) return std::nullopt;
  const qsizetype details = output.indexOf("\nDetails: ", archive);
  if (details < 0) return std::nullopt;
  QStringList names;
  for (qsizetype at = findLine("Name: ", details + 1); at >= 0; at = findLine("Name: ", at + 1)) {
    const qsizetype start = output.indexOf("Name: ", at) + 6;
    const qsizetype end = findLine("Type: ", start);
    if (end < 0) return std::nullopt;
    QString name = QString::fromUtf8(output.mid(start, end - start));
    name.replace(QStringLiteral("'\\033'"), QStringLiteral("\x1b"));
    names << RarEntryName(name);
    at = end;
  }
  return names;
}

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
