// The bound on the time an item spends trying passwords: a try is made only when it is expected
// to fit, expected at the headers' estimate or at the slowest try made so far, whichever is more;
// a try made counts as what it took or what it was expected to take, whichever is more.
#include "app/PasswordBudget.h"
#include "support/TestSupport.h"

TEST(PasswordBudget, ATryIsMadeOnlyWhenItIsExpectedToFit) {
  const struct {
    const char* what;
    int maxSeconds;
    QList<QPair<double, double>> made;  // the tries made before: measured, estimated
    double estimated;                   // the next try's, by the headers
    bool allowed;
  } cases[] = {
      {"the first try fits", 30, {}, 8, true},
      {"one that ends right at the bound", 30, {{10, 10}, {10, 10}}, 10, true},
      {"one that would pass it", 30, {{10, 10}, {10, 10}}, 10.5, false},
      {"tries that ended early count as expected", 30, {{0.1, 10}, {0.1, 10}}, 10.5, false},
      {"a slow try made is expected again", 30, {{12, 0}, {12, 0}}, 0, false},
      {"fast tries leave room", 30, {{0.1, 0}, {0.1, 0}}, 0, true},
      {"one that alone passes the bound", 5, {}, 8, false},
      {"no bound", 0, {{1000, 1000}}, 1000, true},
  };
  for (const auto& c : cases) {
    TPasswordBudget budget(c.maxSeconds);
    for (const auto& [measured, estimated] : c.made) budget.Spend(measured, estimated);
    EXPECT_EQ(budget.Allows(c.estimated), c.allowed) << c.what;
  }
}
