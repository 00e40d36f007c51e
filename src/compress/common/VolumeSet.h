#pragma once
// Multi-volume archive sets, recognised by the names their packers give the volumes:
//   RAR  x.part1.rar, x.part2.rar, ...   (opened by part 1; the library follows the others)
//   7z   x.7z.001, x.7z.002, ...          (byte pieces of one 7z archive, opened as one stream)
//   ZIP  x.z01, x.z02, ..., x.zip         (the .zip holds the directory and opens the set)
// A set is one archive: it is opened by one volume, and the others are read through it.
#include <QString>
#include <QStringList>

#include <optional>

struct TVolumeSet {
  QString format;    // ".rar", ".7z" or ".zip"
  QString openedBy;  // the volume an engine opens the set by; may be missing from disk
  // The set named as one archive: x.rar, x.7z or x.zip in the volumes' folder.
  QString setPath;
  // Every volume from the first to the last found, in the set's order (the .zip last), whether
  // it is on disk or not.
  QStringList volumes;
  // Those of `volumes` that are not on disk. A missing last volume cannot be seen by its name;
  // the engine finds it.
  QStringList missing;
  int number = 1;  // the asked-for path's place in `volumes`, from 1

  int count() const { return int(volumes.size()); }
  bool complete() const { return missing.isEmpty(); }
  // The asked-for path is not the volume that opens the set.
  bool isOtherVolume() const { return number != volumes.indexOf(openedBy) + 1; }
};

// The set the file belongs to, by its name and those of its neighbours; nothing for a file that
// is no volume. A lone x.part1.rar, x.7z.001 or x.zip is taken for a plain archive; any other
// volume name makes a set, even when the volume that opens it is gone.
std::optional<TVolumeSet> FindVolumeSet(const QString& path);

// Every volume that opens a 7z set holds the 7z signature; the rest are raw bytes. The volumes
// of a 7z set in order, when path opens one (x.7z.001 with x.7z.002 beside it); else empty.
QStringList SevenZipVolumes(const QString& path);

// True when path is the .zip of a split ZIP set (x.z01 ... beside it).
bool IsSplitZip(const QString& path);
