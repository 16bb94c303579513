// Coasts: emerged cells next to the sea or to a submerged cell, and the closing of inland cells
// while the population adapts to the coast.

#include "world/landscape/world.h"

namespace orvantis {

void World::computeCoast() {
  const int lastRow = nrows_ - 1;
  const int lastCol = ncols_ - 1;
  for (cell& c : cells_) {
    c.coast = false;
    if (!c.emerged) continue;
    for (int n = 0; n < Neighbour::Count; ++n) {
      const int row = c.row + kNeighbourRowOffset[n];
      const int col = c.column + kNeighbourColOffset[n];
      if (row < 0 || col < 0 || row > lastRow || col > lastCol) continue;
      const cell* other = grid_[static_cast<std::size_t>(row) * static_cast<std::size_t>(ncols_) +
                                static_cast<std::size_t>(col)];
      if (other != nullptr) {
        if (!other->emerged) {
          c.coast = true;
          break;
        }
      } else if (row != 0 && col != 0 && row != lastRow && col != lastCol) {
        // Water on the outermost ring is where the maps end, not a shore.
        c.coast = true;
        break;
      }
    }
  }
}

void World::closeInland() {
  for (cell& c : cells_) {
    if (!c.coast) c.isAccessible = false;
  }
}

void World::openAll() {
  for (cell& c : cells_) c.isAccessible = true;
}

}  // namespace orvantis
