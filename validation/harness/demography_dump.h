#pragma once
// The stored demography as the backward walk reads it, for the suite's own solution of the
// backward migration recursion: a little-endian int32 file holding
//   end time T, number of cells C, rows, columns,
//   C x 4 neighbour cell indexes (north, south, east, west; -1 for none),
//   (T + 1) x C x 5 values: size, arrivals from the north, south, east and west neighbours
// of population 0 at every generation 0..T.

#include <string>

namespace orvantis {

class World;

// 1 when the file was written, 0 (with a message on standard error) otherwise.
[[nodiscard]] int dumpDemography(const World& world, const std::string& path);

}  // namespace orvantis
