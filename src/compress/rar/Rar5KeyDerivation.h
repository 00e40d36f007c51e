#pragma once
// What a password costs to try on a RAR 5 archive, read from its headers before any try: the
// library derives the key with PBKDF2-HMAC-SHA256 at 2^count iterations, which the archive sets
// (up to 2^24, seconds a try), before it can tell a wrong password.
#include <QString>

#include <optional>

// The count (log2 of the iterations) of the archive encryption header when the headers are
// encrypted, else of the first encrypted file among the first headers: the one a wrong password
// fails at. None for an archive whose readable headers ask no password, RAR 4, and what cannot
// be read.
std::optional<int> Rar5KdfCount(const QString& archive);
