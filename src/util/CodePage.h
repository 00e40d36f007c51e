#pragma once
// The system's two 8-bit code pages. Linux has no such settings, so one module decides them:
// CP936 (GBK) for both by default, as on the simplified-Chinese systems whose archives this tool
// repacks. HARROWMINT_ANSI_CODEPAGE / HARROWMINT_OEM_CODEPAGE (iconv names) override them.
#include <QByteArray>
#include <QString>

#include <optional>

class TCodePage {
 public:
  // iconv name of the page, e.g. "CP936".
  explicit TCodePage(QByteArray name);

  const QByteArray& name() const { return name_; }

  // Characters the page cannot hold become '?', as the Windows converters do.
  QByteArray fromUnicode(const QString& text) const;
  // Byte sequences the page does not define become '?'.
  QString toUnicode(const QByteArray& bytes) const;
  // Nothing when any byte sequence is one the page does not define.
  std::optional<QString> toUnicodeExact(const QByteArray& bytes) const;
  // True when the text survives a trip through the page unchanged.
  bool roundTrips(const QString& text) const;

 private:
  QByteArray name_;
};

// The ANSI (narrow) code page: text files, settings passwords, ZIP passwords and comments.
const TCodePage& AnsiCodePage();
// The OEM (DOS) code page: ZIP entry names without the UTF-8 flag.
const TCodePage& OemCodePage();

inline QByteArray ToAnsi(const QString& text) { return AnsiCodePage().fromUnicode(text); }
inline QString FromAnsi(const QByteArray& bytes) { return AnsiCodePage().toUnicode(bytes); }
inline QByteArray ToOem(const QString& text) { return OemCodePage().fromUnicode(text); }
inline QString FromOem(const QByteArray& bytes) { return OemCodePage().toUnicode(bytes); }
