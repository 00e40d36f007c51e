#include "app/PasswordBudget.h"

bool TPasswordBudget::Allows(double estimated) const {
  return max_ <= 0 || spent_ + Expected(estimated) <= max_;
}

void TPasswordBudget::Spend(double measured, double estimated) {
  spent_ += measured > estimated ? measured : estimated;
  if (measured > slowest_) slowest_ = measured;
}
