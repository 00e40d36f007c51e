#include "compress/rar/RarTemporaryFile.h"

#include <QDir>

TRarTemporaryFile::TRarTemporaryFile(const QString& nameTemplate, const QByteArray& bytes) {
  auto file = std::make_unique<QTemporaryFile>(QDir::tempPath() + '/' + nameTemplate);
  if (!file->open() || file->write(bytes) != bytes.size() || !file->flush()) return;
  file->close();
  file_ = std::move(file);
}
