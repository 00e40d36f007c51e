#pragma once
// What the unrar wrapper tells its user: entries as listed, facts about the archive, and the
// signatures of its events.
#include <QDateTime>
#include <QString>

#include <cstdint>
#include <functional>

enum TRAROperation { roInitArchive, roListFiles, roExtract, roTest };

struct TRARFileItem {
  QString FileName;   // the stored name, folders included, separated by '/'
  QString FileNameW;  // the same name; the library's narrow name is locale-dependent, so unused
  uint64_t CompressedSize = 0;
  uint64_t UnCompressedSize = 0;
  QString HostOS;  // "DOS", "IBM OS/2", "Windows", "Unix" or "unknown"
  QString CRC32;   // eight hexadecimal digits
  uint32_t Attributes = 0;
  QString Comment;
  QDateTime Time;
  int CompressionStrength = 0;  // 0 = stored .. 5 = best
  int ArchiverVersion = 0;      // version needed to extract, e.g. 29 or 50
  bool Encrypted = false;
  bool Directory = false;
  bool Link = false;  // a symbolic link (never created), hard link or file reference (copied)
};

struct TRARArchiveInformation {
  QString FileName;
  bool Opened = false;
  bool Volume = false;
  bool Locked = false;
  bool Solid = false;
  bool Signed = false;
  bool Recovery = false;
  bool HeadersEncrypted = false;
  bool FirstVolume = false;
  bool NewNumbering = false;
  QString Comment;
  int TotalFiles = 0;
  uint64_t PackedSize = 0;
  uint64_t UnpackedSize = 0;
};

using TOnRARErrorNotifyEvent = std::function<void(int ErrorCode, TRAROperation Operation)>;
using TOnRARListFile = std::function<void(const TRARFileItem& FileInformation)>;
// HeaderPassword: asked while listing (names are encrypted), else for the entry FileName.
using TOnRARPasswordRequired =
    std::function<void(bool HeaderPassword, const QString& FileName, QString& NewPassword, bool& Cancel)>;
using TOnRARVersionWarning = std::function<void(const QString& Message)>;
