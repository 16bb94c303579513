#pragma once
// The largest number of individuals of one population in one cell, and the conversion of the
// models' real numbers (grown sizes, emigrants, draws) into whole individuals within it.
//
// Sizes, emigrants and migration balances are ints. A cell's balance adds what up to four
// neighbours send, each at most its own size plus one carried migrant, to minus its own
// emigrants; holding every size at 2^28 keeps all such sums far inside int, whatever the rates,
// tables or sources ask for. No study comes near the limit: the 16-bit database stops at 32767.

#include <cmath>

namespace orvantis {

inline constexpr int kMaxIndividuals = 1 << 28;

// trunc(value) held within -kMaxIndividuals..kMaxIndividuals; NaN gives 0.
inline int truncIndividuals(double value) {
  constexpr double kLimit = kMaxIndividuals;
  if (value < kLimit && value > -kLimit) return static_cast<int>(value);
  if (std::isnan(value)) return 0;
  return value > 0.0 ? kMaxIndividuals : -kMaxIndividuals;
}

// Counts, over one run, the values that had to be held at the limit (or were not a number), and
// keeps the first of them for the run's warning.
class TSizeLimit {
 public:
  // As truncIndividuals; a value inside the limit converts as a plain truncation, so results
  // are unchanged wherever the limit is not reached.
  int whole(float value) {
    constexpr float kLimit = static_cast<float>(kMaxIndividuals);
    if (value < kLimit && value > -kLimit) [[likely]]
      return static_cast<int>(value);
    return held(value);
  }
  int whole(double value) {
    constexpr double kLimit = kMaxIndividuals;
    if (value < kLimit && value > -kLimit) [[likely]]
      return static_cast<int>(value);
    return held(value);
  }
  // A whole number of individuals computed in a wider type, such as a size plus its balance.
  int whole(long long value) {
    if (value <= kMaxIndividuals && value >= -kMaxIndividuals) [[likely]]
      return static_cast<int>(value);
    return held(static_cast<double>(value));
  }

  long count() const { return count_; }
  double firstValue() const { return first_; }

 private:
  int held(double value) {
    if (count_++ == 0) first_ = value;
    return truncIndividuals(value);
  }

  long count_ = 0;
  double first_ = 0.0;
};

}  // namespace orvantis
