#pragma once
// The destination folder of an extraction, shared by every engine that writes files itself (the
// ZIP engine, the 7z library's callback, the unrar library). Every entry name goes through
// SafeEntryPath; folders are created one level at a time and never through a symbolic link (one
// left by an earlier attempt on the same folder could otherwise lead outside), and files are
// never opened through one. Paths are the file system's (NativePath). Several threads may
// extract into one target at once. Every byte written goes through Reserve first, so the
// extraction's ledger can stop it before it fills the disk.
#include <QString>

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "compress/common/ExtractLedger.h"
#include "util/FileDescriptor.h"

class TExtractTarget {
 public:
  // ledger: the extraction's account; none outside the facade (an engine tested alone).
  TExtractTarget(const QString& destDir, TExtractLedger* ledger);

  // The path to write for an entry name; nothing when the name must be skipped ("..").
  std::optional<std::string> PathFor(const QString& entryName) const;
  // Creates the folder and its missing parents below the destination; false when one of them is
  // a file or a link, or cannot be made.
  bool MakeFolder(const std::string& path);
  bool MakeParentFolder(const std::string& path);
  // Creates or replaces a file; its folder must exist. A link at the path is replaced, never
  // followed. A failure is told to the ledger (WriteFailed), errno kept; so is a folder that
  // MakeFolder cannot make.
  TFileDescriptor CreateFile(const std::string& path);
  // For a writer that creates the file itself (a library given the path): its folders are made
  // as MakeParentFolder does and a link at the path is removed. False when the folders cannot be
  // made.
  bool PrepareFile(const std::string& path);
  // Gives the owner read and write on the file at the path, and on a folder also entry, so an
  // engine that restores stored modes (000) keeps nothing from the later steps. Never through a
  // link.
  void GiveOwnerAccess(const std::string& path);
  // Before `bytes` more are written below the destination: false when the extraction must stop
  // (the ledger says why).
  bool Reserve(quint64 bytes) { return !ledger_ || ledger_->Reserve(bytes); }
  // What the whole extraction will write, once the engine knows it (for progress).
  void SetTotal(quint64 bytes) {
    if (ledger_) ledger_->SetTotal(bytes);
  }
  // A system call that writes at `path` below the destination (creating, writing, closing a file
  // or making a folder) failed with `error` (errno): the ledger keeps it as the extraction's cause.
  void WriteFailed(const std::string& path, int error) const;
  // The entry came out as something else (a link written as a file holding its target).
  void Convert(const QString& entryName, const QString& what) {
    if (ledger_) ledger_->Convert(entryName, what);
  }

  // Folder times are set at the end, once nothing is written into them any more.
  void RememberFolderTime(const std::string& path, int64_t seconds, int64_t nanoseconds);
  void ApplyFolderTimes();

 private:
  QString destDir_;
  std::string root_;
  TExtractLedger* ledger_;
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
