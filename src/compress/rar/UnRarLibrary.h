#pragma once
// One loaded copy of the unrar library with the eleven exports the wrapper looks up. A file that
// cannot be loaded, or lacks any of the exports, gives no library at all.
#include <QString>

#include <memory>
#include <mutex>
#include <utility>

#include "compress/rar/UnRarApi.h"

class TUnRarLibrary {
 public:
  // Nothing when the file is missing, is not a loadable library, or misses an export.
  static std::unique_ptr<TUnRarLibrary> Load(const QString& path);

  unrar::RAROpenArchiveFn RAROpenArchive = nullptr;
  unrar::RAROpenArchiveExFn RAROpenArchiveEx = nullptr;
  unrar::RARCloseArchiveFn RARCloseArchive = nullptr;
  unrar::RARReadHeaderFn RARReadHeader = nullptr;
  unrar::RARReadHeaderExFn RARReadHeaderEx = nullptr;
  unrar::RARProcessFileFn RARProcessFile = nullptr;
  unrar::RARSetCallbackFn RARSetCallback = nullptr;
  unrar::RARSetChangeVolProcFn RARSetChangeVolProc = nullptr;
  unrar::RARSetProcessDataProcFn RARSetProcessDataProc = nullptr;
  unrar::RARSetPasswordFn RARSetPassword = nullptr;
  unrar::RARGetDllVersionFn RARGetDllVersion = nullptr;

 private:
  struct DlCloser {
    void operator()(void* handle) const;
  };
  using Handle = std::unique_ptr<void, DlCloser>;

  explicit TUnRarLibrary(Handle handle) : handle_(std::move(handle)) {}
  bool Resolve();

  Handle handle_;
};

// An archive open in a loaded library; closing it yields the library's result, which the
// wrapper reports, so Close() is explicit and the destructor only covers early exits.
//
// The library keeps process-wide state (its error handler is one object for the whole process),
// so one archive at a time is open through it, whichever loaded copy and thread it comes from:
// Open waits for the archive open elsewhere to be closed, and the handle holds the library until
// it is closed itself. Calls on the handle need no lock of their own.
class TRarArchiveHandle {
 public:
  TRarArchiveHandle() = default;
  // The library's RAROpenArchiveEx, once the library is free; an empty handle when it fails.
  static TRarArchiveHandle Open(const TUnRarLibrary& library, unrar::RAROpenArchiveDataEx& data);
  ~TRarArchiveHandle() { Close(); }
  TRarArchiveHandle(TRarArchiveHandle&& other) noexcept
      : library_(other.library_),
        handle_(std::exchange(other.handle_, nullptr)),
        turn_(std::move(other.turn_)) {}
  TRarArchiveHandle& operator=(TRarArchiveHandle&& other) noexcept {
    if (this != &other) {
      Close();
      library_ = other.library_;
      handle_ = std::exchange(other.handle_, nullptr);
      turn_ = std::move(other.turn_);
    }
    return *this;
  }

  unrar::HANDLE get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  // The library's close result; ERAR_SUCCESS when there was nothing to close. Frees the library
  // for the next archive.
  int Close();

 private:
  TRarArchiveHandle(const TUnRarLibrary& library, unrar::HANDLE handle, std::unique_lock<std::mutex> turn)
      : library_(&library), handle_(handle), turn_(std::move(turn)) {}

  const TUnRarLibrary* library_ = nullptr;
  unrar::HANDLE handle_ = nullptr;
  std::unique_lock<std::mutex> turn_;  // the library's, while the archive is open
};
