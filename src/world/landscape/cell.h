#pragma once
// One land cell of the world: its grid position, the environment the input maps gave it, the
// flags derived from its surroundings and the links to its eight neighbours. The demographic
// state of each population lives in the World's per-population arrays (world.h), indexed by the
// cell index.

#include "settings/cell_input.h"

namespace orvantis {

class StateOfDemes;

// Largest number of populations a cell carries.
inline constexpr int kMaxCellPopulations = 2;

// Neighbour links. The first four follow TDirection (state.h): north = row - 1, west = column
// - 1, south = row + 1, east = column + 1; the diagonals follow.
struct Neighbour {
  enum : int { North = 0, West, South, East, NorthWest, NorthEast, SouthWest, SouthEast, Count };
};
// Row and column offsets of each neighbour.
inline constexpr int kNeighbourRowOffset[Neighbour::Count] = {-1, 0, 1, 0, -1, -1, 1, 1};
inline constexpr int kNeighbourColOffset[Neighbour::Count] = {0, -1, 0, 1, -1, 1, -1, 1};

// The environmental fields (altitude, roughness, vegetation, migration and admixture classes,
// river) come from TCellInput.
class cell : public TCellInput {
 public:
  int row = 0;
  int column = 0;
  int index = -1;            // serial number among the active cells; key of its database entry
  bool coast = false;        // emerged and next to water
  bool emerged = true;       // above the current sea level
  bool isAccessible = true;  // may receive migrants (cleared inland during coast adaptation)
  cell* neighbours[Neighbour::Count] = {};     // null where no active cell lies
  int sourceNumber[kMaxCellPopulations] = {};  // 1-based source placed here, 0 if none
  // 1-based source whose initial individuals partly overflowed into this cell from the source's
  // own cell, 0 if none (set at generation 0 when AllowSourcePopulationOverflow is 0).
  int overflowSourceNumber[kMaxCellPopulations] = {};
  StateOfDemes* dbEntry = nullptr;  // the cell's database entry, not owned

  cell* north() const { return neighbours[Neighbour::North]; }
  cell* west() const { return neighbours[Neighbour::West]; }
  cell* south() const { return neighbours[Neighbour::South]; }
  cell* east() const { return neighbours[Neighbour::East]; }
};

}  // namespace orvantis
