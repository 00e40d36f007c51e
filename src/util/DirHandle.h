#pragma once
// An open directory stream that closes itself.
#include <dirent.h>

#include <memory>

struct TDirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};
using TDirHandle = std::unique_ptr<DIR, TDirCloser>;
