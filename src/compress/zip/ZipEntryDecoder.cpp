#include "compress/zip/ZipEntryDecoder.h"

#include <isa-l/igzip_lib.h>

#include "compress/zip/ZipCrc.h"
#include "compress/zip/ZipDirectory.h"
#include "compress/zip/ZipInput.h"

namespace {
constexpr size_t kBufferSize = 256 * 1024;
}  // namespace

TZipEntryDecoder::TZipEntryDecoder(TZipInput& archive) : archive_(archive) {}

TZipEntryDecoder::~TZipEntryDecoder() = default;

TZipEntryStatus TZipEntryDecoder::Open(const TZipEntryRecord& entry, const QByteArray& password) {
  entry_ = &entry;
  produced_ = 0;
  crc_ = 0;
  crypto_.reset();
  if ((entry.flags & kZipFlagStrongEncryption) ||
      (entry.method != kZipMethodStored && entry.method != kZipMethodDeflated))
    return TZipEntryStatus::Unsupported;
  const auto data = ZipEntryDataOffset(archive_, entry);
  if (!data) return TZipEntryStatus::Damaged;
  position_ = *data;
  left_ = entry.compressedSize;
  if (!entry.IsEncrypted()) return TZipEntryStatus::Ok;

  if (left_ < uint64_t(TZipCrypto::kHeaderSize)) return TZipEntryStatus::Damaged;
  if (password.isEmpty()) return TZipEntryStatus::BadPassword;
  char header[TZipCrypto::kHeaderSize];
  if (!archive_.Read(position_, header, sizeof header)) return TZipEntryStatus::Damaged;
  if (!PasswordMatches(header, password)) return TZipEntryStatus::BadPassword;
  position_ += TZipCrypto::kHeaderSize;
  left_ -= TZipCrypto::kHeaderSize;
  return TZipEntryStatus::Ok;
}

bool TZipEntryDecoder::PasswordMatches(const char* header, const QByteArray& password) {
  // With a data descriptor writers check against the DOS time, some still against the CRC.
  const uint8_t checks[2] = {uint8_t(entry_->crc >> 24), uint8_t(entry_->dosDateTime >> 8)};
  const int count = (entry_->flags & kZipFlagDescriptor) ? 2 : 1;
  for (int i = 0; i < count; ++i) {
    auto crypto = std::make_unique<TZipCrypto>(password);
    if (crypto->DecryptHeader(header, checks[i])) {
      crypto_ = std::move(crypto);
      return true;
    }
  }
  return false;
}

bool TZipEntryDecoder::ReadInput(size_t& got) {
  if (in_.empty()) in_.resize(kBufferSize);
  got = size_t(std::min<uint64_t>(left_, in_.size()));
  if (!archive_.Read(position_, in_.data(), got)) return false;
  if (crypto_) crypto_->Decrypt(in_.data(), got);
  position_ += got;
  left_ -= got;
  return true;
}

bool TZipEntryDecoder::Deliver(const char* data, size_t size, const TSink& sink) {
  produced_ += size;
  crc_ = ZipCrc32(crc_, data, size);
  return sink(data, size);
}

TZipEntryStatus TZipEntryDecoder::Decode(const TSink& sink) {
  const TZipEntryStatus status =
      entry_->method == kZipMethodStored ? DecodeStored(sink) : DecodeDeflated(sink);
  if (status != TZipEntryStatus::Ok) return status;
  if (produced_ != entry_->uncompressedSize || crc_ != entry_->crc) return TZipEntryStatus::Damaged;
  return TZipEntryStatus::Ok;
}

TZipEntryStatus TZipEntryDecoder::DecodeStored(const TSink& sink) {
  if (left_ != entry_->uncompressedSize) return TZipEntryStatus::Damaged;
  while (left_ > 0) {
    size_t got = 0;
    if (!ReadInput(got)) return TZipEntryStatus::Damaged;
    if (!Deliver(in_.data(), got, sink)) return TZipEntryStatus::SinkFailed;
  }
  return TZipEntryStatus::Ok;
}

TZipEntryStatus TZipEntryDecoder::DecodeDeflated(const TSink& sink) {
  if (!inflater_) {
    inflater_ = std::make_unique<inflate_state>();
    out_.resize(kBufferSize);
  }
  inflate_state* s = inflater_.get();
  isal_inflate_init(s);  // a raw deflate stream, 32 KiB window
  s->avail_in = 0;
  for (;;) {
    if (s->avail_in == 0 && left_ > 0) {
      size_t got = 0;
      if (!ReadInput(got)) return TZipEntryStatus::Damaged;
      s->next_in = reinterpret_cast<uint8_t*>(in_.data());
      s->avail_in = uint32_t(got);
    }
    s->next_out = reinterpret_cast<uint8_t*>(out_.data());
    s->avail_out = uint32_t(out_.size());
    const uint32_t inBefore = s->avail_in;
    const int rc = isal_inflate(s);
    const size_t made = out_.size() - s->avail_out;
    if (rc != ISAL_DECOMP_OK) return TZipEntryStatus::Damaged;
    // More than the entry declares is damage (or a bomb): stop before writing it.
    if (made > entry_->uncompressedSize - produced_) return TZipEntryStatus::Damaged;
    if (made > 0 && !Deliver(out_.data(), made, sink)) return TZipEntryStatus::SinkFailed;
    if (s->block_state == ISAL_BLOCK_FINISH) return TZipEntryStatus::Ok;
    // No progress means the input ran out before the stream's end: it is cut short.
    if (made == 0 && s->avail_in == inBefore) return TZipEntryStatus::Damaged;
  }
}
