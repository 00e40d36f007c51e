#pragma once
// File streams handed to the library: reading an archive or a file to pack, writing an archive
// or an extracted file. Data goes straight between the library's buffers and the file.
#include <QString>
#include <QStringList>

#include <cstdint>
#include <string>
#include <ctime>
#include <vector>

#include "compress/common/ExtractTarget.h"
#include "compress/sevenzip/ComObject.h"
#include "util/FileDescriptor.h"

// errno as the HRESULT the library understands (HRESULT_FROM_WIN32 style for POSIX codes).
z7::HRESULT HresultFromErrno(int error);

class T7zInFileStream final : public TComObject<z7::IInStream, z7::IStreamGetSize> {
 public:
  // An empty pointer with errno set when the file cannot be opened.
  static TComPtr<T7zInFileStream> Open(const QString& path);
  static TComPtr<T7zInFileStream> Open(const QByteArray& nativePath);

  z7::HRESULT Read(void* data, std::uint32_t size, std::uint32_t* processed) noexcept override;
  z7::HRESULT Seek(std::int64_t offset, std::uint32_t origin, std::uint64_t* newPosition) noexcept override;
  z7::HRESULT GetSize(std::uint64_t* size) noexcept override;

 private:
  explicit T7zInFileStream(TFileDescriptor fd) : fd_(std::move(fd)) {}
  TFileDescriptor fd_;
};

// The volumes of a split archive read as the one archive they were cut from.
class T7zVolumeStream final : public TComObject<z7::IInStream, z7::IStreamGetSize> {
 public:
  // An empty pointer with errno set when a volume cannot be opened.
  static TComPtr<T7zVolumeStream> Open(const QStringList& paths);

  z7::HRESULT Read(void* data, std::uint32_t size, std::uint32_t* processed) noexcept override;
  z7::HRESULT Seek(std::int64_t offset, std::uint32_t origin, std::uint64_t* newPosition) noexcept override;
  z7::HRESULT GetSize(std::uint64_t* size) noexcept override;

 private:
  struct TVolume {
    TFileDescriptor fd;
    std::uint64_t start;
    std::uint64_t size;
  };
  T7zVolumeStream() = default;
  std::vector<TVolume> volumes_;
  std::uint64_t size_ = 0;
  std::uint64_t position_ = 0;
};

class T7zOutFileStream final : public TComObject<z7::IOutStream> {
 public:
  enum class TCreateMode { Replace, NewOnly };
  // Creates the file (Replace: truncates an existing one; NewOnly: fails when it exists); never
  // follows a symbolic link at the path. An empty pointer with errno set on failure.
  static TComPtr<T7zOutFileStream> Create(const QString& path, TCreateMode mode = TCreateMode::Replace);
  // A stream over a file the extraction target created at `path`; every write is reserved with it
  // first and fails, as a full disk would, when the extraction must stop. A write or close the
  // system refuses is told to the target (WriteFailed).
  static TComPtr<T7zOutFileStream> Adopt(TFileDescriptor fd, TExtractTarget* target, std::string path);

  z7::HRESULT Write(const void* data, std::uint32_t size, std::uint32_t* processed) noexcept override;
  z7::HRESULT Seek(std::int64_t offset, std::uint32_t origin, std::uint64_t* newPosition) noexcept override;
  z7::HRESULT SetSize(std::uint64_t newSize) noexcept override;

  std::uint64_t BytesWritten() const { return written_; }
  // Gives the file this modification (and access) time, once its data is written.
  void SetTime(const timespec& time);
  // Closes the file before the library lets go of the stream; false when closing failed.
  bool Close();
  // The system refused a write or the close (a full disk).
  bool refused() const { return refused_; }

 private:
  T7zOutFileStream(TFileDescriptor fd, TExtractTarget* target, std::string path = {})
      : fd_(std::move(fd)), target_(target), path_(std::move(path)) {}
  // The system refused a write or the close: the target hears why.
  void Refused(int error);
  TFileDescriptor fd_;
  TExtractTarget* target_;
  std::string path_;
  bool refused_ = false;
  std::uint64_t written_ = 0;
};
