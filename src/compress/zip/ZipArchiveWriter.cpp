#include "compress/zip/ZipArchiveWriter.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <random>

#include "compress/zip/ZipCrc.h"
#include "compress/zip/ZipCrypto.h"
#include "compress/zip/ZipDeflatePool.h"
#include "compress/zip/ZipFileHandle.h"
#include "compress/zip/ZipOutput.h"
#include "compress/zip/ZipTime.h"

namespace {

constexpr uint32_t kDosReadOnly = 0x01;
constexpr uint32_t kDosFolder = 0x10;
constexpr uint32_t kDosArchive = 0x20;
// Made by MS-DOS (host 0), as the archives' Windows readers expect: they then read names
// without the UTF-8 flag in the OEM code page.
constexpr uint16_t kVersionMadeBy = kZipVersionZip64;

// Whether a deflated file of this size might reach 4 GiB (sizes go into the local header's
// ZIP64 field then, since they are not known when the header is written).
bool MayNeedZip64(uint64_t size) {
  return size >= kZipMax32 || ZipDeflatedBound(size) + TZipCrypto::kHeaderSize >= kZipMax32;
}

}  // namespace

TZipArchiveWriter::TZipArchiveWriter(TZipOutput& output, TZipWriteOptions options)
    : output_(output), options_(std::move(options)) {
  std::random_device random;
  seed_ = uint64_t(random()) << 32 | random();
}

TZipArchiveWriter::~TZipArchiveWriter() = default;

bool TZipArchiveWriter::Fail(const QString& message) {
  error_ = message;
  return false;
}

bool TZipArchiveWriter::Advance(uint64_t bytes) {
  packedBytes_ += bytes;
  if (options_.progress) options_.progress(packedBytes_, sourceBytes_);
  return GoesOn();
}

bool TZipArchiveWriter::GoesOn() {
  return !(options_.stopRequested && options_.stopRequested()) ||
         Fail(QStringLiteral("stopped: a stop was requested"));
}

bool TZipArchiveWriter::OutputFailed() {
  return Fail(QStringLiteral("cannot write the archive: ") + QString::fromLocal8Bit(std::strerror(errno)));
}

bool TZipArchiveWriter::Write(const std::vector<TZipSource>& sources) {
  written_.clear();
  written_.reserve(sources.size());
  sourceBytes_ = 0;
  packedBytes_ = 0;
  for (const TZipSource& source : sources) sourceBytes_ += source.isFolder ? 0 : source.size;
  TZipDeflatePool pool(sources, options_.threads);
  for (const TZipSource& source : sources) {
    const bool ok = source.isFolder ? WriteFolder(source) : WriteFile(source, pool);
    if (!ok) return false;
  }
  return WriteDirectory();
}

TZipEntryRecord TZipArchiveWriter::NewRecord(const TZipSource& source) const {
  TZipEntryRecord r;
  const TZipName name = names_.Encode(source.entryName);
  r.name = name.bytes;
  r.flags = name.utf8 ? kZipFlagUtf8 : 0;
  r.versionMadeBy = kVersionMadeBy;
  r.dosDateTime = ToDosDateTime(source.mtimeSeconds);
  r.externalAttributes = source.isFolder ? kDosFolder : kDosArchive;
  if (!(source.mode & S_IWUSR)) r.externalAttributes |= kDosReadOnly;
  r.localHeaderOffset = output_.Position();
  return r;
}

bool TZipArchiveWriter::WriteHeader(const TZipEntryRecord& record, const TZipSource& source,
                                    bool zip64Local) {
  if (record.name.size() > kZipMax16) return Fail(source.entryName + QStringLiteral(": name too long"));
  return output_.Write(LocalHeader(record, zip64Local, TimestampExtra(source.mtimeSeconds))) ||
         OutputFailed();
}

bool TZipArchiveWriter::WriteFolder(const TZipSource& source) {
  TZipEntryRecord r = NewRecord(source);
  if (!WriteHeader(r, source, false)) return false;
  written_.push_back({std::move(r), source.mtimeSeconds, false});
  return true;
}

bool TZipArchiveWriter::WriteFile(const TZipSource& source, TZipDeflatePool& pool) {
  TZipEntryRecord r = NewRecord(source);
  if (!options_.password.isEmpty()) r.flags |= kZipFlagEncrypted;
  r.uncompressedSize = source.size;
  TZipChunkResult first = pool.Next();
  if (!first.ok) return Fail(first.error);
  return ZipChunkCount(source.size) == 1 ? WriteSinglePiece(r, source, first)
                                         : WritePieces(r, source, first, pool);
}

// The whole file is at hand: sizes and CRC go straight into the header.
bool TZipArchiveWriter::WriteSinglePiece(TZipEntryRecord& r, const TZipSource& source,
                                         TZipChunkResult& piece) {
  r.method = piece.stored ? kZipMethodStored : kZipMethodDeflated;
  r.crc = piece.crc;
  r.compressedSize = uint64_t(piece.data.size()) + (r.IsEncrypted() ? TZipCrypto::kHeaderSize : 0);
  if (!WriteHeader(r, source, false) || !BeginData(r) || !WriteData(piece.data) || !Advance(source.size))
    return false;
  written_.push_back({std::move(r), source.mtimeSeconds, false});
  return true;
}

// A large file is streamed: its header is completed once the data is written (or, encrypted,
// followed by a data descriptor, since the password check byte has to precede the data).
bool TZipArchiveWriter::WritePieces(TZipEntryRecord& r, const TZipSource& source, TZipChunkResult& first,
                                    TZipDeflatePool& pool) {
  const bool zip64Local = MayNeedZip64(source.size);
  const uint64_t headerOffset = r.localHeaderOffset;
  r.method = kZipMethodDeflated;
  if (r.IsEncrypted()) r.flags |= kZipFlagDescriptor;
  if (!WriteHeader(r, source, zip64Local) || !BeginData(r)) return false;

  uint64_t compressed = uint64_t(first.data.size());
  uint32_t crc = first.crc;
  if (!WriteData(first.data) || !Advance(std::min<uint64_t>(kZipChunkSize, source.size))) return false;
  const uint64_t pieces = ZipChunkCount(source.size);
  for (uint64_t k = 1; k < pieces; ++k) {
    TZipChunkResult piece = pool.Next();
    if (!piece.ok) return Fail(piece.error);
    const uint64_t length = std::min<uint64_t>(kZipChunkSize, source.size - k * kZipChunkSize);
    crc = ZipCrc32Combine(crc, piece.crc, length);
    compressed += uint64_t(piece.data.size());
    if (!WriteData(piece.data) || !Advance(length)) return false;
  }
  r.crc = crc;
  if (compressed >= source.size) return RewriteStored(r, source);

  r.compressedSize = compressed + (r.IsEncrypted() ? TZipCrypto::kHeaderSize : 0);
  if (r.IsEncrypted()) {
    if (!output_.Write(DataDescriptor(r.crc, r.compressedSize, r.uncompressedSize, zip64Local)))
      return OutputFailed();
  } else if (!output_.Patch(headerOffset, LocalHeader(r, zip64Local, TimestampExtra(source.mtimeSeconds)))) {
    return OutputFailed();
  }
  written_.push_back({std::move(r), source.mtimeSeconds, zip64Local});
  return true;
}

// Deflate made the file larger: write it again, stored, as Info-ZIP's zip does.
bool TZipArchiveWriter::RewriteStored(TZipEntryRecord& r, const TZipSource& source) {
  if (!output_.TruncateTo(r.localHeaderOffset)) return OutputFailed();
  const uint32_t expectedCrc = r.crc;
  r.method = kZipMethodStored;
  r.flags &= uint16_t(~kZipFlagDescriptor);
  r.compressedSize = source.size + (r.IsEncrypted() ? TZipCrypto::kHeaderSize : 0);
  const bool zip64Local = r.compressedSize >= kZipMax32;
  if (!WriteHeader(r, source, zip64Local) || !BeginData(r)) return false;

  TFileDescriptor fd = OpenForReading(source.path);
  uint32_t crc = 0;
  QByteArray buffer;
  for (uint64_t offset = 0; offset < source.size; offset += kZipChunkSize) {
    const size_t length = size_t(std::min<uint64_t>(kZipChunkSize, source.size - offset));
    buffer.resize(qsizetype(length));
    if (!fd || !ReadAt(fd.get(), buffer.data(), length, offset))
      return Fail(QString::fromUtf8(source.path) + QStringLiteral(": cannot be read completely"));
    crc = ZipCrc32(crc, buffer.constData(), length);
    if (!WriteData(buffer) || !GoesOn()) return false;
  }
  if (crc != expectedCrc)
    return Fail(QString::fromUtf8(source.path) + QStringLiteral(": changed while packing"));
  written_.push_back({std::move(r), source.mtimeSeconds, zip64Local});
  return true;
}

bool TZipArchiveWriter::BeginData(const TZipEntryRecord& r) {
  crypto_.reset();
  if (!r.IsEncrypted()) return true;
  crypto_ = std::make_unique<TZipCrypto>(options_.password);
  // The header's filler bytes: from the archive's random seed, different for every entry.
  std::mt19937_64 random(seed_ ^ (r.localHeaderOffset * 0x9E3779B97F4A7C15ull));
  uint8_t bytes[TZipCrypto::kHeaderSize - 1];
  for (uint8_t& b : bytes) b = uint8_t(random() >> 56);
  return output_.Write(crypto_->EncryptHeader(bytes, ZipCryptoCheckByte(r.flags, r.crc, r.dosDateTime))) ||
         OutputFailed();
}

bool TZipArchiveWriter::WriteData(QByteArray& data) {
  if (crypto_) crypto_->Encrypt(data.data(), size_t(data.size()));
  return output_.Write(data) || OutputFailed();
}

bool TZipArchiveWriter::WriteDirectory() {
  TZipEnd end;
  end.directoryOffset = output_.Position();
  end.entryCount = written_.size();
  for (TWritten& w : written_) {
    if (w.zip64Local || CentralNeedsZip64(w.record)) w.record.versionNeeded = kZipVersionZip64;
    if (!output_.Write(CentralHeader(w.record, TimestampExtra(w.mtimeSeconds)))) return OutputFailed();
  }
  end.directorySize = output_.Position() - end.directoryOffset;
  end.comment = options_.comment.left(kZipMaxComment);
  return output_.Write(EndRecords(end, output_.Position())) || OutputFailed();
}
