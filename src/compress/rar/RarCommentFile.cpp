#include "compress/rar/RarCommentFile.h"

#include <QFile>
#include <QStringConverter>
#include <QStringDecoder>

#include "util/CodePage.h"

QString DecodeCommentFile(const QByteArray& bytes) {
  if (const auto encoding = QStringConverter::encodingForData(bytes)) {
    QStringDecoder decoder(*encoding);  // drops the mark
    return decoder.decode(bytes);
  }
  return FromAnsi(bytes);
}

TRarCommentFile::TRarCommentFile(const QString& commentFile, const QString& tempFolder) : path_(commentFile) {
  QFile original(commentFile);
  if (commentFile.isEmpty() || !original.open(QIODevice::ReadOnly)) return;
  const QByteArray bytes = original.readAll();
  if (original.error() != QFileDevice::NoError) return;
  readable_ = true;
  const QByteArray utf8 = QByteArray("\xEF\xBB\xBF") + DecodeCommentFile(bytes).toUtf8();
  copy_.emplace(tempFolder, QStringLiteral("hm-comment-XXXXXX.txt"), utf8);
  if (!copy_->path().isEmpty()) path_ = copy_->path();
}
