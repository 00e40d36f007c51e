#pragma once
// The scratch folder of a fuzz target: one per process below $TMPDIR (or /dev/shm), made on first
// use, and the nftw callback that empties a tree.
#include <ftw.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <string>

inline std::string MakeScratchFolder(const char* name) {
  const char* base = getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/dev/shm") + "/" + name + "-XXXXXX";
  if (!mkdtemp(pattern.data())) abort();
  return pattern;
}

inline int RemoveOne(const char* path, const struct stat*, int, struct FTW*) { return ::remove(path); }
