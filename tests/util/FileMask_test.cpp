// File masks of the folder walk: sets, ranges, negation, ASCII case.
#include "util/FileMask.h"
#include "support/TestSupport.h"

namespace {

TEST(FileMask, MatchesLikeAFileDialog) {
  struct Row {
    const char* mask;
    const char* name;
    bool matches;
  };
  const Row rows[] = {
      {"*", "readme", true},
      {"*", "", true},
      {"*.*", "readme", false},
      {"*.*", "readme.txt", true},
      {"*.TXT", "a.txt", true},
      {"*.txt", "a.txt.bak", false},
      {"file?.txt", "file1.txt", true},
      {"file?.txt", "file.txt", false},
      {"?", "", false},
      {"[a-c]*", "Beta", true},
      {"[a-c]*", "delta", false},
      {"[!a-c]*", "beta", false},
      {"[!a-c]*", "delta", true},
      {"[xyz].dat", "Y.dat", true},
      {"[-a]", "-", true},
      {"a[]b", "ab", false},
      {"*a*b*c", "xaxbxc", true},
      {"*a*b*c", "xaxcxb", false},
      {"*.tar.gz", "x.tar.gz", true},
      {"a*", "A", true},
      {"ä*", "Ä", false},
      {"中*", "中文.txt", true},
      {"**x", "x", true},
      {"[0-9]#", "5#", true},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(TFileMask(QString::fromUtf8(row.mask)).Matches(QString::fromUtf8(row.name)), row.matches)
        << row.mask << " / " << row.name;
  }
  EXPECT_TRUE(MatchesAnyMask("a.txt", {"*.doc", "*.txt"}));
  EXPECT_FALSE(MatchesAnyMask("a.txt", {}));
}

TEST(FileMask, AnUnclosedSetIsAnInvalidMask) {
  try {
    TFileMask mask("ab[cd");
    FAIL() << "no exception";
  } catch (const EMaskException& e) {
    EXPECT_EQ(e.Message(), "'ab[cd' is an invalid mask at (6)");
  }
  EXPECT_THROW(TFileMask("[!"), EMaskException);
}

}  // namespace
