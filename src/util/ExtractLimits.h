#pragma once
// How far one extraction may fill the disk. An archive of a few kilobytes can unpack to many
// gigabytes; these bounds stop it before the disk is full.
#include <QtGlobal>

struct TExtractLimits {
  static constexpr quint64 kMiB = 1024 * 1024;
  // Sized for download archives: a game or a DVD image fits, a decompression bomb does not.
  static constexpr quint64 kDefaultMaxMiB = 32768;
  // Enough for the system and for the repacked output beside the work folder.
  static constexpr quint64 kDefaultReserveMiB = 1024;

  quint64 maxBytes = kDefaultMaxMiB * kMiB;  // written by one extraction in all; 0: no limit
  quint64 reserveBytes = kDefaultReserveMiB * kMiB;  // left free on the destination's disk; 0: none
  // Written already by the earlier extractions of the same item (the archives inside an archive
  // are extracted one after another), counted against maxBytes as if this extraction wrote them.
  quint64 priorBytes = 0;

  friend bool operator==(const TExtractLimits&, const TExtractLimits&) = default;
};
