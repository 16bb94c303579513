#pragma once
// Truncation of a real toward zero into an int, for carrying capacities computed in reals.

#include <climits>
#include <cmath>

namespace orvantis {

// trunc(value) as an int; values beyond the int range saturate instead of overflowing, and NaN
// gives 0.
inline int truncToInt(double value) {
  if (std::isnan(value)) return 0;
  if (value >= static_cast<double>(INT_MAX)) return INT_MAX;
  if (value <= static_cast<double>(INT_MIN)) return INT_MIN;
  return static_cast<int>(value);
}

}  // namespace orvantis
