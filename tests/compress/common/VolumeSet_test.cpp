#include "compress/common/VolumeSet.h"

#include "support/TestSupport.h"

namespace {

struct VolumeCase {
  QStringList onDisk;  // files in the folder
  const char* asked;   // the path asked about
  // Expected: nothing (nullptr format), or the set's format, opening volume, set name, volumes
  // and missing ones (as file names), and the asked path's place.
  const char* format;
  const char* openedBy;
  const char* setName;
  QStringList volumes;
  QStringList missing;
  int number;
};

TEST(FindVolumeSet, RecognisesTheSetsThePackersMake) {
  const VolumeCase cases[] = {
      // RAR: part numbers padded alike; a lone first part is an archive of its own.
      {{"x.part1.rar", "x.part2.rar", "x.part3.rar"},
       "x.part1.rar",
       ".rar",
       "x.part1.rar",
       "x.rar",
       {"x.part1.rar", "x.part2.rar", "x.part3.rar"},
       {},
       1},
      {{"x.part1.rar", "x.part2.rar", "x.part3.rar"},
       "x.part3.rar",
       ".rar",
       "x.part1.rar",
       "x.rar",
       {"x.part1.rar", "x.part2.rar", "x.part3.rar"},
       {},
       3},
      {{"x.part01.rar", "x.part02.rar", "x.part2.rar"},
       "x.part02.rar",
       ".rar",
       "x.part01.rar",
       "x.rar",
       {"x.part01.rar", "x.part02.rar"},
       {},
       2},
      {{"x.part1.rar"}, "x.part1.rar", nullptr, {}, {}, {}, {}, 0},
      {{"x.part1.rar", "x.part3.rar"},
       "x.part1.rar",
       ".rar",
       "x.part1.rar",
       "x.rar",
       {"x.part1.rar", "x.part2.rar", "x.part3.rar"},
       {"x.part2.rar"},
       1},
      {{"x.part2.rar"},
       "x.part2.rar",
       ".rar",
       "x.part1.rar",
       "x.rar",
       {"x.part1.rar", "x.part2.rar"},
       {"x.part1.rar"},
       2},
      {{"My Game v1.2.part1.rar", "My Game v1.2.part2.rar"},
       "My Game v1.2.part2.rar",
       ".rar",
       "My Game v1.2.part1.rar",
       "My Game v1.2.rar",
       {"My Game v1.2.part1.rar", "My Game v1.2.part2.rar"},
       {},
       2},
      // 7z pieces.
      {{"x.7z.001", "x.7z.002"}, "x.7z.002", ".7z", "x.7z.001", "x.7z", {"x.7z.001", "x.7z.002"}, {}, 2},
      {{"x.7z.001"}, "x.7z.001", nullptr, {}, {}, {}, {}, 0},
      {{"x.7z.001", "x.7z.003"},
       "x.7z.003",
       ".7z",
       "x.7z.001",
       "x.7z",
       {"x.7z.001", "x.7z.002", "x.7z.003"},
       {"x.7z.002"},
       3},
      // ZIP: the .zip comes last and opens the set.
      {{"x.z01", "x.z02", "x.zip"}, "x.zip", ".zip", "x.zip", "x.zip", {"x.z01", "x.z02", "x.zip"}, {}, 3},
      {{"x.z01", "x.z02", "x.zip"}, "x.z01", ".zip", "x.zip", "x.zip", {"x.z01", "x.z02", "x.zip"}, {}, 1},
      {{"x.z01", "x.z02"}, "x.z02", ".zip", "x.zip", "x.zip", {"x.z01", "x.z02", "x.zip"}, {"x.zip"}, 2},
      {{"x.zip"}, "x.zip", nullptr, {}, {}, {}, {}, 0},
      {{"x.zip", "y.z01"}, "x.zip", nullptr, {}, {}, {}, {}, 0},
      // Names that only look alike.
      {{"x.rar", "x.r00"}, "x.rar", nullptr, {}, {}, {}, {}, 0},
      {{"report.part1.txt", "report.part2.txt"}, "report.part2.txt", nullptr, {}, {}, {}, {}, 0},
      {{"x.7z"}, "x.7z", nullptr, {}, {}, {}, {}, 0},
      {{"x.part0.rar", "x.part1.rar"}, "x.part0.rar", nullptr, {}, {}, {}, {}, 0},
      {{"x.7z.001", "x.7z.99999999"}, "x.7z.99999999", nullptr, {}, {}, {}, {}, 0},
  };
  for (const VolumeCase& c : cases) {
    SCOPED_TRACE(c.asked);
    testsupport::TempDir dir;
    for (const QString& name : c.onDisk) testsupport::WriteFile(dir.file(name), "volume");
    const auto inDir = [&dir](const QStringList& names) {
      QStringList paths;
      for (const QString& name : names) paths << dir.file(name);
      return paths;
    };
    const std::optional<TVolumeSet> set = FindVolumeSet(dir.file(c.asked));
    if (!c.format) {
      EXPECT_FALSE(set.has_value());
      continue;
    }
    ASSERT_TRUE(set.has_value());
    EXPECT_EQ(set->format, c.format);
    EXPECT_EQ(set->openedBy, dir.file(c.openedBy));
    EXPECT_EQ(set->setPath, dir.file(c.setName));
    EXPECT_EQ(set->volumes, inDir(c.volumes));
    EXPECT_EQ(set->missing, inDir(c.missing));
    EXPECT_EQ(set->number, c.number);
    EXPECT_EQ(set->isOtherVolume(), QString(c.asked) != c.openedBy);
  }
}

}  // namespace
