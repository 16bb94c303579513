#pragma once
// The values the input maps give one grid position, before water and no-data positions are
// removed: what the layer readers fill and what every land cell keeps.

#include <cstddef>
#include <vector>

namespace orvantis {

struct TCellInput {
  float altitude = 0.0f;
  float roughness = 0.0f;
  int presentVegetation = 0;
  int lgmVegetation = 0;
  int migrationClass = 0;  // class of the migration-rate table
  int admixtureClass = 0;  // class of the admixture table
  bool river = false;
};

// One input record per grid position, row-major from row 0 (north) and column 0 (west).
struct TInputGrid {
  int nrows = 0;
  int ncols = 0;
  std::vector<TCellInput> records;

  std::size_t size() const { return records.size(); }
  TCellInput& at(int row, int col) {
    return records[static_cast<std::size_t>(row) * static_cast<std::size_t>(ncols) +
                   static_cast<std::size_t>(col)];
  }
  const TCellInput& at(int row, int col) const {
    return records[static_cast<std::size_t>(row) * static_cast<std::size_t>(ncols) +
                   static_cast<std::size_t>(col)];
  }
};

}  // namespace orvantis
