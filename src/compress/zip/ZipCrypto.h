#pragma once
// Traditional PKWARE encryption ("ZipCrypto"): a byte-wise stream cipher keyed by the password,
// each entry's data preceded by a 12-byte encryption header whose last byte checks the password.
#include <QByteArray>

#include <zlib.h>

#include <cstddef>
#include <cstdint>

class TZipCrypto {
 public:
  static constexpr int kHeaderSize = 12;

  // The password bytes as stored (the ANSI code page).
  explicit TZipCrypto(const QByteArray& password);

  void Encrypt(char* data, size_t size);
  void Decrypt(char* data, size_t size);

  // The encrypted header for a new entry: 11 bytes from `random`, then the check byte.
  QByteArray EncryptHeader(const uint8_t (&random)[kHeaderSize - 1], uint8_t checkByte);
  // Decrypts an entry's header; true when its check byte matches (the password is probably right).
  bool DecryptHeader(const char* header, uint8_t checkByte);

 private:
  uint8_t KeyStream() const;
  void Update(uint8_t plain);

  uint32_t keys_[3];
  const z_crc_t* crcTable_;  // zlib's CRC-32 table, which the cipher's key schedule uses
};

// The byte the header must end with: the CRC's high byte, or with a data descriptor (flag bit 3,
// CRC not known in advance) the high byte of the DOS time.
uint8_t ZipCryptoCheckByte(uint16_t flags, uint32_t crc, uint32_t dosDateTime);
