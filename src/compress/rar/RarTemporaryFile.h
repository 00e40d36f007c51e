#pragma once
// A file the packer is handed to read (a comment, a list of names), in the temp folder and
// removed when this object goes.
#include <QByteArray>
#include <QString>
#include <QTemporaryFile>

#include <memory>

class TRarTemporaryFile {
 public:
  // nameTemplate: the file name, with "XXXXXX" for the part made unique.
  TRarTemporaryFile(const QString& nameTemplate, const QByteArray& bytes);

  // Empty when the file could not be written whole.
  QString path() const { return file_ ? file_->fileName() : QString(); }

 private:
  std::unique_ptr<QTemporaryFile> file_;
};
