#include "compress/zip/ZipCrypto.h"

#include <zlib.h>

#include "compress/zip/ZipRecords.h"

TZipCrypto::TZipCrypto(const QByteArray& password)
    : keys_{0x12345678u, 0x23456789u, 0x34567890u}, crcTable_(get_crc_table()) {
  for (char c : password) Update(uint8_t(c));
}

uint8_t TZipCrypto::KeyStream() const {
  const uint32_t t = (keys_[2] | 2u) & 0xffffu;
  return uint8_t((t * (t ^ 1u)) >> 8);
}

void TZipCrypto::Update(uint8_t plain) {
  keys_[0] = crcTable_[(keys_[0] ^ plain) & 0xffu] ^ (keys_[0] >> 8);
  keys_[1] = (keys_[1] + (keys_[0] & 0xffu)) * 134775813u + 1u;
  keys_[2] = crcTable_[(keys_[2] ^ (keys_[1] >> 24)) & 0xffu] ^ (keys_[2] >> 8);
}

void TZipCrypto::Encrypt(char* data, size_t size) {
  for (size_t i = 0; i < size; ++i) {
    const uint8_t plain = uint8_t(data[i]);
    data[i] = char(plain ^ KeyStream());
    Update(plain);
  }
}

void TZipCrypto::Decrypt(char* data, size_t size) {
  for (size_t i = 0; i < size; ++i) {
    const uint8_t plain = uint8_t(data[i]) ^ KeyStream();
    data[i] = char(plain);
    Update(plain);
  }
}

QByteArray TZipCrypto::EncryptHeader(const uint8_t (&random)[kHeaderSize - 1], uint8_t checkByte) {
  QByteArray header(kHeaderSize, Qt::Uninitialized);
  for (int i = 0; i < kHeaderSize - 1; ++i) header[i] = char(random[i]);
  header[kHeaderSize - 1] = char(checkByte);
  Encrypt(header.data(), kHeaderSize);
  return header;
}

bool TZipCrypto::DecryptHeader(const char* header, uint8_t checkByte) {
  char plain[kHeaderSize];
  for (int i = 0; i < kHeaderSize; ++i) plain[i] = header[i];
  Decrypt(plain, kHeaderSize);
  return uint8_t(plain[kHeaderSize - 1]) == checkByte;
}

uint8_t ZipCryptoCheckByte(uint16_t flags, uint32_t crc, uint32_t dosDateTime) {
  return (flags & kZipFlagDescriptor) ? uint8_t(dosDateTime >> 8) : uint8_t(crc >> 24);
}
