#include "compress/rar/UnRarLibrary.h"

#include <dlfcn.h>

#include <type_traits>

#include "util/NativePath.h"

void TUnRarLibrary::DlCloser::operator()(void* handle) const {
  if (handle) dlclose(handle);
}

std::unique_ptr<TUnRarLibrary> TUnRarLibrary::Load(const QString& path) {
  if (path.isEmpty()) return nullptr;
  // RTLD_LOCAL keeps its symbols out of the process; RTLD_NOW finds a broken library here, not
  // in the middle of an extraction.
  Handle handle(dlopen(NativePath(path).c_str(), RTLD_NOW | RTLD_LOCAL));
  if (!handle) return nullptr;
  std::unique_ptr<TUnRarLibrary> library(new TUnRarLibrary(std::move(handle)));
  if (!library->Resolve()) return nullptr;
  return library;
}

bool TUnRarLibrary::Resolve() {
  bool complete = true;
  auto lookUp = [&](auto& function, const char* name) {
    function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(dlsym(handle_.get(), name));
    complete = complete && function != nullptr;
  };
  lookUp(RAROpenArchive, "RAROpenArchive");
  lookUp(RAROpenArchiveEx, "RAROpenArchiveEx");
  lookUp(RARCloseArchive, "RARCloseArchive");
  lookUp(RARReadHeader, "RARReadHeader");
  lookUp(RARReadHeaderEx, "RARReadHeaderEx");
  lookUp(RARProcessFile, "RARProcessFile");
  lookUp(RARSetCallback, "RARSetCallback");
  lookUp(RARSetChangeVolProc, "RARSetChangeVolProc");
  lookUp(RARSetProcessDataProc, "RARSetProcessDataProc");
  lookUp(RARSetPassword, "RARSetPassword");
  lookUp(RARGetDllVersion, "RARGetDllVersion");
  return complete;
}

namespace {

std::mutex& LibraryTurn() {
  static std::mutex turn;
  return turn;
}

}  // namespace

TRarArchiveHandle TRarArchiveHandle::Open(const TUnRarLibrary& library, unrar::RAROpenArchiveDataEx& data) {
  std::unique_lock turn(LibraryTurn());
  const unrar::HANDLE handle = library.RAROpenArchiveEx(&data);
  if (!handle) return {};
  return TRarArchiveHandle(library, handle, std::move(turn));
}

int TRarArchiveHandle::Close() {
  if (!handle_) return unrar::ERAR_SUCCESS;
  const int result = library_->RARCloseArchive(handle_);
  handle_ = nullptr;
  if (turn_.owns_lock()) turn_.unlock();
  return result;
}
