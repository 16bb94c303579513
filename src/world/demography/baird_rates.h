#pragma once
// Migration rates of the efficient-lattice option: the rate that a deme of an infinite lattice
// needs so that n generations of nearest-neighbour migration mix as much as the plain rate m.

#include <vector>

namespace orvantis {

// Efficient-lattice rate for the plain rate m after n generations (double precision).
double bairdMigrationRate(double m, double n);

// Per-generation rates of one run: entry 0 is a placeholder (-999) that is never read, entry g
// (1 <= g <= endTime) is bairdMigrationRate(m, endTime - g + 1) in single precision.
std::vector<float> bairdRates(double m, int endTime);

}  // namespace orvantis
