#pragma once
// Reader of the environmental series files (ice-core temperature, sea level): free-format text of
// pairs until the end of the file, a time in years (a real, truncated toward zero) and a value.

#include <cstddef>
#include <string>
#include <vector>

#include "foundation/my_string.h"

namespace orvantis {

struct TSeriesPoint {
  int time = 0;
  double value = 0.0;
};

enum class TSeriesReadStatus { Ok, CannotOpen, Damaged };

// Reads every pair of the file into `points` (replaced). The times must not decrease, every time
// must be followed by its value, and the file must hold between 1 and `maxPairs` pairs; otherwise
// the status is Damaged and `problem` says why, with the line where the fault lies.
[[nodiscard]] TSeriesReadStatus readSeriesFile(const my_string& file, std::size_t maxPairs,
                                               std::vector<TSeriesPoint>& points,
                                               std::string& problem);

}  // namespace orvantis
