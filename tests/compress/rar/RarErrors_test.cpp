// How the unrar library's error numbers are judged.
#include <gtest/gtest.h>

#include "compress/rar/RarErrors.h"

TEST(RarErrors, AbortAndResult) {
  const struct {
    int error;
    bool aborts;
    int withoutPasswordRequest;
    int afterPasswordRequest;
  } cases[] = {
      {0, false, crFailed, crFailed},
      {10, false, crFailed, crFailed},
      {11, true, crFailed, crFailed},
      {12, true, crFailed, crWrongPassword},  // bad data: a wrong password only if one was used
      {13, false, crFailed, crFailed},
      {14, true, crFailed, crFailed},
      {15, true, crFailed, crFailed},
      {18, true, crFailed, crFailed},
      {20, true, crFailed, crFailed},
      {21, true, crFailed, crFailed},
      {22, false, crWrongPassword, crWrongPassword},
      {23, false, crFailed, crFailed},
      {24, false, crWrongPassword, crWrongPassword},  // newer libraries: wrong, not missing
      {99, true, crFailed, crFailed},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.error);
    EXPECT_EQ(RarErrorAborts(NormalizeRarError(c.error)), c.aborts);
    EXPECT_EQ(RarErrorToResult(c.error, false), c.withoutPasswordRequest);
    EXPECT_EQ(RarErrorToResult(c.error, true), c.afterPasswordRequest);
  }
  EXPECT_EQ(NormalizeRarError(24), 22);
  EXPECT_EQ(NormalizeRarError(13), 13);
}
