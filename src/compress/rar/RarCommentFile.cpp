#include "compress/rar/RarCommentFile.h"

#include <QDir>
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

TRarCommentFile::TRarCommentFile(const QString& commentFile) : path_(commentFile) {
  QFile original(commentFile);
  if (commentFile.isEmpty() || !original.open(QIODevice::ReadOnly)) return;
  const QByteArray bytes = original.readAll();
  if (original.error() != QFileDevice::NoError) return;
  readable_ = true;
  auto copy = std::make_unique<QTemporaryFile>(QDir::tempPath() + QStringLiteral("/hm-comment-XXXXXX.txt"));
  if (!copy->open()) return;
  const QByteArray utf8 = QByteArray("\xEF\xBB\xBF") + DecodeCommentFile(bytes).toUtf8();
  if (copy->write(utf8) != utf8.size() || !copy->flush()) return;
  copy->close();
  path_ = copy->fileName();
  copy_ = std::move(copy);
}
