#pragma once
// Small string routines shared by the settings, the job runner and the update check.
#include <QChar>
#include <QString>
#include <QStringList>

// Switches in the settings file: "1" and "0"; only exactly "1" reads as true.
QString BoolToFlagText(bool value);
bool FlagTextToBool(const QString& text);

// Parts between occurrences of separator; "" gives an empty list, a trailing separator an empty
// last item, an empty separator the whole text as one item.
QStringList SplitText(const QString& text, const QString& separator);

// Cuts the suffix off the end once, or as often as it is there when all.
QString TrimSuffix(const QString& text, const QString& suffix, bool all);

// The first count characters (the whole text when shorter).
QString LeftText(const QString& text, quint16 count);
// count characters from the 1-based start; "" when the text is shorter than start + count - 1.
QString MidText(const QString& text, quint16 start, quint16 count);

// 1-based position of the n-th occurrence counted from the end (overlaps count), 0 when none.
int LastPosOf(const QString& text, const QString& substring, int n);

// A 32-bit integer as Delphi's StrToInt reads it: optional leading spaces, optional sign, then
// decimal digits or hexadecimal after "$", "x", "X", "0x" or "0X", nothing after. Hexadecimal
// takes up to 32 bits ($FFFFFFFF is -1). *ok tells whether the text was valid.
int ParseIntegerText(const QString& text, bool* ok);
bool IsIntegerText(const QString& text);

// A floating-point number with the given decimal separator: optional blanks around, optional
// sign, digits with an optional decimal part, optional exponent.
bool IsFloatText(const QString& text, QChar decimalSeparator);
// The same with the decimal separator of the user's locale.
bool IsFloatText(const QString& text);
