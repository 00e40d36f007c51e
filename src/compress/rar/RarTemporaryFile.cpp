#include "compress/rar/RarTemporaryFile.h"

#include <QDir>

TRarTemporaryFile::TRarTemporaryFile(const QString& folder, const QString& nameTemplate,
                                     const QByteArray& bytes) {
  auto file =
      std::make_unique<QTemporaryFile>((folder.isEmpty() ? QDir::tempPath() + '/' : folder) + nameTemplate);
  if (!file->open() || file->write(bytes) != bytes.size() || !file->flush()) return;
  file->close();
  file_ = std::move(file);
}
