#pragma once
// Seconds that deriving a key from a password takes on this machine, for the key-derivation
// schemes whose work an archive's headers set. Both hash with SHA-256; its speed here is measured
// once a process (with Qt's implementation, a little slower than the engines' own, so an estimate
// errs towards the longer time).
// RAR 5's key: PBKDF2-HMAC-SHA256 at 2^count iterations, two SHA-256 blocks each.
double Rar5KeySeconds(int count);
// 7z's AES key: 2^cyclesPower rounds, each hashing the salt, the password in UTF-16 and an 8-byte
// counter; no hashing at all for power 63.
double SevenZipAesKeySeconds(int cyclesPower, int saltSize, int passwordUnits);
