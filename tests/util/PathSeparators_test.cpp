// The trailing-separator rules every caller shares.
#include <gtest/gtest.h>

#include "util/PathSeparators.h"

namespace {

TEST(PathSeparators, OneDroppedAllDroppedOneAdded) {
  const struct {
    QString path;
    QString withoutOne;
    QString withoutAll;
    QString withOne;
  } cases[] = {
      {"/tmp/a", "/tmp/a", "/tmp/a", "/tmp/a/"},
      {"/tmp/a/", "/tmp/a", "/tmp/a", "/tmp/a/"},
      {"/tmp/a//", "/tmp/a/", "/tmp/a", "/tmp/a//"},
      {"/", "/", "/", "/"},
      {"//", "/", "/", "//"},
      {"a", "a", "a", "a/"},
      {"", "", "", "/"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path.toStdString());
    EXPECT_EQ(WithoutTrailingSeparator(c.path), c.withoutOne);
    EXPECT_EQ(WithoutTrailingSeparators(c.path), c.withoutAll);
    EXPECT_EQ(WithTrailingSeparator(c.path), c.withOne);
  }
}

}  // namespace
