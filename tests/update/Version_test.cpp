// Version texts and the two comparisons of the update check, quirks included.
#include "update/Version.h"
#include "support/TestSupport.h"

namespace {

TEST(GetVersion, PartsMissingPartsAndUnreadableTexts) {
  struct Row {
    const char* text;
    tVersion expected;
  };
  const Row rows[] = {
      {"1.2.3.4", {1, 2, 3, 4, 0}},
      {"2", {2, 0, 0, 0, 0}},
      {"1.5", {1, 5, 0, 0, 0}},
      {"", {0, 0, 0, 0, 0}},
      {"1.2.3.4.5", {0, 0, 0, 0, kVersionUnreadable}},  // five parts: nothing read
      {"1.a.3.4", {1, 0, 3, 4, kVersionUnreadable}},    // "1.a" is no number
      {"1.2.x", {1, 2, 0, 0, kVersionUnreadable}},
      {"10.20.30.40", {10, 20, 30, 40, 0}},
  };
  for (const Row& row : rows) EXPECT_EQ(GetVersion(row.text, u'.'), row.expected) << row.text;
  // Where decimals are written with a comma no version text is a number.
  EXPECT_EQ(GetVersion("1.2.3.4", u','), (tVersion{1, 2, 3, 4, kVersionUnreadable}));
}

TEST(CompareVer, ReadsTwoDecimalNumbersPerVersion) {
  struct Row {
    const char* oldVer;
    const char* newVer;
    int expected;
  };
  const Row rows[] = {
      {"1.0.0.0", "1.0.0.1", 1},
      {"1.0.0.1", "1.0.0.0", -1},
      {"1.0.0.0", "1.0.0.0", 0},
      {"1.2", "1.2.0.0", 0},  // missing parts are "0"
      {"1.5.0.0", "2.0.0.0", 1},
      {"1.9.0.0", "1.10.0.0", -1},  // 1.10 is the number 1.1, below 1.9
      {"1.0.0.9", "1.0.0.10", -1},  // the same in the second pair
      {"1.2.3.4.5", "1.0", kVersionUnreadable},
      {"1.0", "1.2.3.4.5", kVersionUnreadable},
      {"1.x", "1.0", kVersionUnreadable},
      {"", "", 0},
  };
  for (const Row& row : rows)
    EXPECT_EQ(CompareVer(row.oldVer, row.newVer, u'.'), row.expected) << row.oldVer << " / " << row.newVer;
}

TEST(CompareVer, ACommaLocaleMakesEveryComparisonUnreadable) {
  for (const auto& pair : {std::pair{"1.0.0.0", "2.0.0.0"}, std::pair{"1.0", "1.0"}, std::pair{"3", "2"}})
    EXPECT_EQ(CompareVer(pair.first, pair.second, u','), kVersionUnreadable) << pair.first;
}

TEST(HaveNewVer, WeighsTheFirstDifferentNumber) {
  struct Row {
    tVersion current;
    tVersion offered;
    int expected;
  };
  const Row rows[] = {
      {{1, 9, 9, 9}, {2, 0, 0, 0}, 1111}, {{2, 0, 0, 0}, {1, 9, 9, 9}, -1111},
      {{1, 1, 0, 0}, {1, 2, 0, 0}, 111},  {{1, 2, 5, 0}, {1, 2, 3, 9}, -11},
      {{1, 2, 3, 4}, {1, 2, 3, 5}, 1},    {{1, 2, 3, 4}, {1, 2, 3, 4}, 0},
      {{1, 9, 0, 0}, {1, 10, 0, 0}, 111},  // numbers, unlike CompareVer
  };
  for (const Row& row : rows) EXPECT_EQ(HaveNewVer(row.current, row.offered), row.expected);
}

TEST(GetVerStr, JoinsMajorMinorReleaseBuild) {
  // The arguments come as major, minor, build, release.
  EXPECT_EQ(GetVerStr(1, 2, 4, 3), "1.2.3.4");
  EXPECT_EQ(GetVerStr(tVersion{5, 6, 7, 8}), "5.6.7.8");
}

}  // namespace
