#pragma once
// Reads one entry's data back: finds it behind its local header, checks the password, decrypts,
// inflates, and verifies size and CRC while handing the plain bytes on. Works in fixed-size
// buffers whatever the entry's size, and never produces more than the entry declares.
#include <QByteArray>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "compress/zip/ZipCrypto.h"
#include "compress/zip/ZipRecords.h"

class TZipInput;
struct inflate_state;

enum class TZipEntryStatus { Ok, BadPassword, Unsupported, Damaged, SinkFailed };

class TZipEntryDecoder {
 public:
  using TSink = std::function<bool(const char* data, size_t size)>;

  // Reads through `archive`, which one decoder at a time may use.
  explicit TZipEntryDecoder(TZipInput& archive);
  ~TZipEntryDecoder();

  // Prepares the entry: method, encryption, where its data lies and, when it is encrypted, the
  // password's check byte (no password or an empty one: BadPassword). Nothing is decoded yet.
  TZipEntryStatus Open(const TZipEntryRecord& entry, const QByteArray& password);
  // Streams the plain data to the sink (which returns false to give up: SinkFailed).
  TZipEntryStatus Decode(const TSink& sink);

 private:
  bool PasswordMatches(const char* header, const QByteArray& password);
  bool ReadInput(size_t& got);
  TZipEntryStatus DecodeStored(const TSink& sink);
  TZipEntryStatus DecodeDeflated(const TSink& sink);
  bool Deliver(const char* data, size_t size, const TSink& sink);

  TZipInput& archive_;
  const TZipEntryRecord* entry_ = nullptr;
  uint64_t position_ = 0;  // next byte of data to read
  uint64_t left_ = 0;      // data bytes not read yet
  uint64_t produced_ = 0;
  uint32_t crc_ = 0;
  std::unique_ptr<TZipCrypto> crypto_;
  std::unique_ptr<inflate_state> inflater_;
  std::vector<char> in_;
  std::vector<char> out_;
};
