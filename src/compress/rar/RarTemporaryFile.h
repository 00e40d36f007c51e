#pragma once
// A file the packer is handed to read (a comment, a list of names), in the engines' temp folder
// (the run's own, which a later start removes when a killed run left it) and removed when this
// object goes.
#include <QByteArray>
#include <QString>
#include <QTemporaryFile>

#include <memory>

class TRarTemporaryFile {
 public:
  // folder: ends with '/', empty for the system's temp folder. nameTemplate: the file name, with
  // "XXXXXX" for the part made unique.
  TRarTemporaryFile(const QString& folder, const QString& nameTemplate, const QByteArray& bytes);

  // Empty when the file could not be written whole.
  QString path() const { return file_ ? file_->fileName() : QString(); }

 private:
  std::unique_ptr<QTemporaryFile> file_;
};
