#pragma once
// The four neighbours of a cell on the grid.

namespace orvantis {

// Directions of the four neighbours used by migration, in the order the migration routines
// visit them.
enum class TDirection : int { North = 0, West = 1, South = 2, East = 3 };
inline constexpr int kDirectionCount = 4;

}  // namespace orvantis
