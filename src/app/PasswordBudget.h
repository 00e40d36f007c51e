#pragma once
// How long one item may spend trying passwords on an archive (MaxPasswordSeconds): an archive's
// headers can ask seconds of key derivation for every password tried, and a long password list
// would hold the run for minutes on one small hostile upload. A try is made only when the time
// spent so far and what the try is expected to cost stay within the bound.
class TPasswordBudget {
 public:
  // maxSeconds: 0 for no bound.
  explicit TPasswordBudget(int maxSeconds) : max_(maxSeconds) {}

  // Whether the next try fits: estimated is what the archive's headers say it costs; a try
  // already made that took longer is expected again (headers that could not be read, a machine
  // slower than the estimate).
  bool Allows(double estimated) const;
  // A try was made: it took `measured`, and the headers said it would take `estimated`. It counts
  // as the longer of the two, so the tries made add up to what they were expected to cost even
  // when one ended early.
  void Spend(double measured, double estimated);

  double spent() const { return spent_; }
  // What the next try is expected to cost, given the headers' estimate.
  double Expected(double estimated) const { return estimated > slowest_ ? estimated : slowest_; }

 private:
  int max_;
  double spent_ = 0;
  double slowest_ = 0;
};
