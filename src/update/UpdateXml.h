#pragma once
// TXML: the small XML documents of the update check. A document is a root element whose `list`
// children carry the values as attributes; both the update description and the hand-over file
// for the updater have this shape. Parsing and writing go through Qt's XML stream classes; other
// content (text, deeper elements) is accepted on reading and not kept.
#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <deque>

// One `list` element. Values are read with a default that a missing attribute gives.
class TXmlElement {
 public:
  bool HasAttribute(const QString& name) const;
  QString ReadText(const QString& name, const QString& defaultValue = {}) const;
  // A decimal integer; a missing or unreadable one gives the default.
  int ReadInteger(const QString& name, int defaultValue) const;
  // True exactly when the text is "1".
  bool ReadFlag(const QString& name, bool defaultValue) const;
  // Base64 of the text in the ANSI code page; invalid Base64 reads as "".
  QString ReadBase64(const QString& name, const QString& defaultValue = {}) const;

  // Replaces the attribute, or appends it after the others.
  void WriteText(const QString& name, const QString& value);
  void WriteBase64(const QString& name, const QString& text);

  const QList<QPair<QString, QString>>& Attributes() const { return attributes_; }

 private:
  QList<QPair<QString, QString>> attributes_;
};

class TXML {
 public:
  // The empty document: the declaration and an empty root element "root".
  TXML();

  // Replace the document. A text that is not well-formed XML leaves the empty document and gives
  // false.
  bool LoadFromText(const QByteArray& text);
  bool LoadFromFile(const QString& path);

  // `<?xml version="1.0" encoding="utf-8"?>`, CR LF, then the root on one line.
  QByteArray ToText() const;
  // Written to a temporary file beside and renamed over the target.
  bool SaveToFile(const QString& path) const;

  // The first `list` child of the root whose attribute `key` is `value`, appended when missing.
  // References stay valid for the document's lifetime.
  TXmlElement& SelectList(const QString& key, const QString& value);
  const TXmlElement* FindList(const QString& key, const QString& value) const;

 private:
  void Clear();

  QString rootName_;
  std::deque<TXmlElement> lists_;
};
