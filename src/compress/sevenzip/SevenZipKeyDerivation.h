#pragma once
// What a password costs to try on a 7z archive, read from its headers before any try: the AES
// coder derives its key by hashing salt, password and a counter 2^cyclesPower times (the archive
// sets the power, up to 24: seconds a try) before it can tell a wrong password.
#include <QString>

#include <optional>

struct T7zAesKey {
  int cyclesPower = 0;  // 63: no hashing at all
  int saltSize = 0;     // bytes
};

// The highest power among the AES coders of the encoded header (encrypted headers) or of the
// folders a plain header describes. None when the headers read use no AES coder, when they are
// compressed (the library must unpack them first; they ask no password then), or when they cannot
// be read.
std::optional<T7zAesKey> SevenZipAesKey(const QString& archive);
