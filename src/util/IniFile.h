#pragma once
// INI files with the semantics of the Windows profile functions the settings rely on.
//
// - Section and key names compare without regard to ASCII case; the first occurrence wins.
// - Names and values are trimmed; a value is read up to 2047 characters. Surrounding quotes are
//   kept (Windows strips them; nothing here writes them, and a template may hold them).
// - Lines that are neither "[section]" nor "key=value" (comments, blanks) are kept on writing.
// - A missing file reads as empty. A write keeps every other section, key and line.
// - Encoding: the ANSI code page, lines ended by CR LF. A file that starts with a UTF-8 or
//   UTF-16 LE byte-order mark is read in that encoding and written back in it, mark included,
//   so a file saved by another editor is neither garbled nor converted.
// - Each write goes to disk at once: into a temporary file beside, then renamed over the file,
//   keeping its permission bits. A new file is readable by its owner only (it holds passwords).
//   A missing folder is not created: the write fails.
// - Reads cache the parsed file and re-read it when it changed on disk. One instance is not
//   meant to be shared between threads.
#include <QString>
#include <QStringList>
#include <memory>

class TIniFile {
 public:
  explicit TIniFile(const QString& path);
  ~TIniFile();
  TIniFile(const TIniFile&) = delete;
  TIniFile& operator=(const TIniFile&) = delete;

  const QString& FileName() const { return path_; }

  QString ReadString(const QString& section, const QString& key, const QString& defaultValue) const;
  // StrToIntDef: optional blanks and sign, decimal or hexadecimal ("$", "x", "0x"); anything
  // else, or a decimal outside 32 bits, gives the default.
  int ReadInteger(const QString& section, const QString& key, int defaultValue) const;
  // False when the file cannot be written, or when a name or value holds a line break (or a name
  // an '=' or ']') that the file could not hold.
  bool WriteString(const QString& section, const QString& key, const QString& value);
  bool WriteInteger(const QString& section, const QString& key, int value);

  bool SectionExists(const QString& section) const;
  // The key names of the section, in file order.
  QStringList ReadSection(const QString& section) const;
  // The section names, in file order.
  QStringList ReadSections() const;
  bool ValueExists(const QString& section, const QString& key) const;
  // Removing what is not there succeeds; false only when the file cannot be written.
  bool EraseSection(const QString& section);
  bool DeleteKey(const QString& section, const QString& key);

 private:
  struct Document;
  const Document& Current() const;

  QString path_;
  mutable std::unique_ptr<Document> cache_;
};
