#pragma once
// The destination folder of an extraction. Every entry name goes through SafeEntryPath; folders
// are created one level at a time and never through a symbolic link (one left by an earlier
// extraction attempt could otherwise lead outside), and files are never opened through one.
// Several threads may extract into one target at once.
#include <QString>

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "compress/zip/ZipFileHandle.h"

class TZipExtractTarget {
 public:
  explicit TZipExtractTarget(const QString& destDir);

  // The path to write for an entry name; nothing when the name must be skipped ("..").
  std::optional<std::string> PathFor(const QString& entryName) const;
  // Creates the folder and its missing parents below the destination.
  bool MakeFolder(const std::string& path);
  bool MakeParentFolder(const std::string& path);
  // Creates or replaces a file; its folder must exist.
  TFileDescriptor CreateFile(const std::string& path);
  // Folder times are set at the end, once nothing is written into them any more.
  void RememberFolderTime(const std::string& path, int64_t seconds, int64_t nanoseconds);
  void ApplyFolderTimes();

 private:
  QString destDir_;
  std::string root_;
  std::mutex mutex_;  // guards what follows
  bool rootReady_ = false;
  std::unordered_set<std::string> checkedFolders_;
  struct TFolderTime {
    std::string path;
    int64_t seconds;
    int64_t nanoseconds;
  };
  std::vector<TFolderTime> folderTimes_;
};
