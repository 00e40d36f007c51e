#pragma once
// Every output archive is made here: the prepared folder's content becomes the archive root, and
// the must-have files go beside it or into the archive's single root folder.
#include <QString>
#include <functional>
#include <optional>

#include "compress/ArchiveFacade.h"

enum TPackResult : int {
  prPacked = 1,          // the format was recognised and every add succeeded
  prUnsupported = -1,    // the format is none of ".rar" (or ""), ".zip", ".7z"
  prFailed = 0,          // nothing to pack, an add failed, the archive lacks a file it was given, or
                         // its data failed the test asked for
  prEngineMissing = -5,  // the RAR packer is not in the engine folder
  prStopped = -6,        // a stop request ended the packing before the archive was complete
};

// How many stop requests the run has had so far.
using TStopRequests = std::function<unsigned()>;

class TFolderPacker {
 public:
  // mustFilesFolder may end in '/'. A packing that fails while a stop request comes (which kills
  // the packer program, and ends the ZIP engine and the 7z library at their next block) leaves
  // the archive unfinished: prStopped.
  TFolderPacker(IArchiveFacade& compress, const QString& mustFilesFolder, bool MustToFolder, bool LockRAR,
                TStopRequests stopRequests = {});

  // Packs the folder (no trailing '/') into archive in the format given by its extension,
  // compared exactly. Returns a TPackResult. A RAR output gets the comment (when the comment file
  // exists) and the lock (LockRAR) in the same packing: an output without the comment or lock
  // it was to have is a failed packing (prFailed). So is an archive whose listing lacks a file of
  // the folder or a must-have file added to it, and, with testData, one whose data does not read
  // back whole (the facade's TestArchive).
  int PackFolder(const QString& folder, const QString& archive, const QString& format, bool testData = false);

 private:
  enum class Format { Rar, Zip, SevenZip };
  static std::optional<Format> FormatOf(const QString& format);
  int Pack(const QString& folder, const QString& archive, Format format, bool addMustFiles);
  int PackRar(const QString& folder, const QString& archive, bool withMustFiles);
  // One packing: prPacked, prFailed, or prStopped when a stop came while it ran.
  int RunPacker(const std::function<bool()>& run) const;
  unsigned StopRequests() const { return stopRequests_ ? stopRequests_() : 0; }

  IArchiveFacade& compress_;
  QString mustFilesFolder_;  // without trailing '/'
  bool MustToFolder_;
  bool LockRAR_;
  TStopRequests stopRequests_;
};

// The name of the folder's only entry when that entry is a real folder (not a link); empty in
// every other case. Hidden entries count.
QString GetSingleRootFolder(const QString& folder);

// True when the folder exists and holds at least one entry.
bool FolderHasEntries(const QString& folder);
