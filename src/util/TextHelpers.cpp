#include "util/TextHelpers.h"

#include <QLocale>

QString BoolToFlagText(bool value) { return value ? QStringLiteral("1") : QStringLiteral("0"); }

bool FlagTextToBool(const QString& text) { return text == u"1"; }

QStringList SplitText(const QString& text, const QString& separator) {
  if (text.isEmpty()) return {};
  if (separator.isEmpty()) return {text};
  return text.split(separator, Qt::KeepEmptyParts, Qt::CaseSensitive);
}

QString TrimSuffix(const QString& text, const QString& suffix, bool all) {
  if (suffix.isEmpty()) return text;
  qsizetype size = text.size();
  while (QStringView(text).first(size).endsWith(suffix)) {
    size -= suffix.size();
    if (!all) break;
  }
  return text.left(size);
}

QString LeftText(const QString& text, quint16 count) { return text.left(count); }

QString MidText(const QString& text, quint16 start, quint16 count) {
  const qsizetype first = start < 1 ? 1 : start;
  if (text.size() < first + count - 1) return {};
  return text.mid(first - 1, count);
}

int LastPosOf(const QString& text, const QString& substring, int n) {
  if (substring.isEmpty() || n < 1) return 0;
  qsizetype from = -1;  // the end of the text
  qsizetype hit = -1;
  for (int i = 0; i < n; ++i) {
    hit = text.lastIndexOf(substring, from);
    if (hit < 0) return 0;
    if (i + 1 < n && hit == 0) return 0;
    from = hit - 1;
  }
  return static_cast<int>(hit + 1);
}

namespace {

int HexValue(QChar c) {
  const char16_t u = c.unicode();
  if (u >= u'0' && u <= u'9') return u - u'0';
  if (u >= u'a' && u <= u'f') return u - u'a' + 10;
  if (u >= u'A' && u <= u'F') return u - u'A' + 10;
  return -1;
}

bool IsAsciiDigit(QChar c) { return c.unicode() >= u'0' && c.unicode() <= u'9'; }

}  // namespace

int ParseIntegerText(const QString& text, bool* ok) {
  *ok = false;
  const qsizetype n = text.size();
  qsizetype i = 0;
  while (i < n && text[i] == u' ') ++i;
  bool negative = false;
  if (i < n && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
  bool hex = false;
  if (i < n && (text[i] == u'$' || text[i] == u'x' || text[i] == u'X')) {
    hex = true;
    ++i;
  } else if (i + 1 < n && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X')) {
    hex = true;
    i += 2;
  }
  if (i == n) return 0;
  quint64 value = 0;
  // Hexadecimal fills all 32 bits; decimal stops at the signed range.
  const quint64 limit = hex ? 0xFFFFFFFFull : (negative ? 2147483648ull : 2147483647ull);
  for (; i < n; ++i) {
    const int digit = hex ? HexValue(text[i]) : (IsAsciiDigit(text[i]) ? text[i].unicode() - u'0' : -1);
    if (digit < 0) return 0;
    value = value * (hex ? 16 : 10) + static_cast<quint64>(digit);
    if (value > limit) return 0;
  }
  *ok = true;
  const auto bits = static_cast<quint32>(value);
  return static_cast<int>(negative ? 0u - bits : bits);
}

bool IsIntegerText(const QString& text) {
  bool ok = false;
  ParseIntegerText(text, &ok);
  return ok;
}

bool IsFloatText(const QString& text, QChar decimalSeparator) {
  const qsizetype n = text.size();
  qsizetype i = 0;
  auto skipBlanks = [&] {
    while (i < n && text[i] == u' ') ++i;
  };
  auto skipDigits = [&] {
    const qsizetype start = i;
    while (i < n && IsAsciiDigit(text[i])) ++i;
    return i - start;
  };
  skipBlanks();
  if (i < n && (text[i] == u'+' || text[i] == u'-')) ++i;
  qsizetype digits = skipDigits();
  if (i < n && text[i] == decimalSeparator) {
    ++i;
    digits += skipDigits();
  }
  if (digits == 0) return false;
  if (i < n && (text[i] == u'e' || text[i] == u'E')) {
    ++i;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) ++i;
    if (skipDigits() == 0) return false;
  }
  skipBlanks();
  return i == n;
}

bool IsFloatText(const QString& text) {
  const QString point = QLocale::system().decimalPoint();
  return IsFloatText(text, point.isEmpty() ? QChar(u'.') : point.front());
}
