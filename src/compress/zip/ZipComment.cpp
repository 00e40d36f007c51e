#include "compress/zip/ZipComment.h"

#include <QFileInfo>

#include <algorithm>

#include "compress/zip/ZipRecords.h"
#include "util/CodePage.h"
#include "util/TextFile.h"

QByteArray ZipCommentFromFile(const QString& commentFile) {
  if (commentFile.isEmpty() || !QFileInfo(commentFile).isFile()) return {};
  QString text = LoadTextFile(commentFile);
  QByteArray bytes = ToAnsi(text);
  while (bytes.size() > kZipMaxComment) {
    // Characters take one byte or more, so this seldom needs a second round.
    text.chop(std::max<qsizetype>(1, bytes.size() - kZipMaxComment));
    bytes = ToAnsi(text);
  }
  return bytes;
}
