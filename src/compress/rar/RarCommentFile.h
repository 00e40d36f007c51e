#pragma once
// The comment file as the packer must read it. The system writes Comment.txt in the ANSI code
// page without a byte-order mark, which the packer on this platform would read as UTF-8 and
// garble; it is handed a UTF-8 copy with a mark instead, in the engines' temp folder, removed when
// this object goes.
#include <QByteArray>
#include <QString>

#include <optional>

#include "compress/rar/RarTemporaryFile.h"

// The text of a comment file: a UTF-8 or UTF-16 byte-order mark decides, else the ANSI code page.
QString DecodeCommentFile(const QByteArray& bytes);

class TRarCommentFile {
 public:
  // An empty or unreadable commentFile is passed on as it is: the packer then fails the run by
  // its exit code, as it would have without the copy. tempFolder: as TRarTemporaryFile takes it.
  TRarCommentFile(const QString& commentFile, const QString& tempFolder);

  // What to name after "-z": the copy, or the original when no copy was needed or possible.
  QString path() const { return path_; }
  // The comment file could be read whole.
  bool readable() const { return readable_; }

 private:
  std::optional<TRarTemporaryFile> copy_;
  QString path_;
  bool readable_ = false;
};
