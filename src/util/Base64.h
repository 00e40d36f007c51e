#pragma once
// The reversible form in which the settings store passwords. Base64 is an encoding, not a cipher.
#include <QString>

// The text's bytes in the ANSI code page ('?' for characters it lacks), standard Base64.
QString Base64EncodeText(const QString& text);
// The reverse. Text that is not valid Base64 (a hand-edited settings file) gives "".
QString Base64DecodeText(const QString& encoded);
