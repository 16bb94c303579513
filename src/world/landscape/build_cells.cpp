// The cells of the world: the input records of every grid position, the land cells kept from
// them, their numbering and their neighbour links.

#include <cstdint>
#include <new>

#include "world/database/memory_budget.h"
#include "world/landscape/world.h"

namespace orvantis {
namespace {

constexpr const char* kAllocateError =
    "      ERROR: {World::AllocateCells()} [unable to allocate {World::WorldMatrix}]";

// Whether `count` items of `bytesEach` fit in the memory the process may still take; logs the
// figures when they do not.
bool memoryAllows(std::uint64_t count, std::uint64_t bytesEach, TRunContext& context,
                  const char* what) {
  std::uint64_t needed = 0;
  const std::uint64_t available = availableMemoryBytes();
  if (multiplyBytes(count, bytesEach, needed) && needed <= available) return true;
  context.log << kAllocateError << std::endl;
  context.log << "\t" << what << " need " << needed / (1024 * 1024) << " MB, only "
              << available / (1024 * 1024) << " MB are available" << std::endl;
  return false;
}

}  // namespace

int World::AllocateCells() {
  const std::uint64_t positions = static_cast<std::uint64_t>(header().cellCount());
  if (!memoryAllows(positions, sizeof(TCellInput) + sizeof(cell*) + sizeof(cell), context_,
                    "the cells of the grid")) {
    return 0;
  }
  try {
    inputs_.nrows = nrows_;
    inputs_.ncols = ncols_;
    inputs_.records.assign(static_cast<std::size_t>(positions), TCellInput{});
    grid_.assign(static_cast<std::size_t>(positions), nullptr);
  } catch (const std::bad_alloc&) {
    DesAllocateCells();
    context_.log << kAllocateError << std::endl;
    return 0;
  }
  context_.date = realBPTime_;
  context_.generation = 0;
  return 1;
}

int World::removeWaterCells() {
  const int noData = context_.noDataValue;
  const float noDataReal = static_cast<float>(noData);
  const bool lgm = lgmInUse();
  const bool altitudeMap = settings_.hasKey("AltitudeTopoFile");
  const bool roughnessMap = settings_.hasKey("RoughnessTopoFile");
  const auto isWater = [&](const TCellInput& r) {
    const int v = lgm ? r.lgmVegetation : r.presentVegetation;
    return v == noData || (altitudeMap && r.altitude == noDataReal) ||
           (roughnessMap && r.roughness == noDataReal);
  };

  std::size_t land = 0;
  for (const TCellInput& r : inputs_.records) land += isWater(r) ? 0 : 1;
  const int populations = numberOfPopulations();
  if (!memoryAllows(land, sizeof(cell) + populations * sizeof(State), context_, "the land cells")) {
    return 0;
  }
  try {
    cells_.assign(land, cell{});
    for (int p = 0; p < populations; ++p) states_[p].assign(land, State{});
  } catch (const std::bad_alloc&) {
    DesAllocateCells();
    context_.log << kAllocateError << std::endl;
    return 0;
  }

  std::size_t next = 0;
  std::size_t position = 0;
  removedCells_ = 0;
  for (int row = 0; row < nrows_; ++row) {
    for (int col = 0; col < ncols_; ++col, ++position) {
      const TCellInput& record = inputs_.records[position];
      if (isWater(record)) {
        grid_[position] = nullptr;
        ++removedCells_;
        continue;
      }
      cell& c = cells_[next++];
      static_cast<TCellInput&>(c) = record;
      c.row = row;
      c.column = col;
      grid_[position] = &c;
    }
  }
  TInputGrid().records.swap(inputs_.records);
  if (cells_.empty()) {
    context_.log << "      WARNING: {World::removeWaterCells()} [no land cell is left: every "
                    "position of the maps is water or no-data]"
                 << std::endl;
  }
  return 1;
}

int World::numberDemes() {
  for (std::size_t i = 0; i < cells_.size(); ++i) cells_[i].index = static_cast<int>(i);
  return registerDemes();
}

void World::linkNeighbours() {
  std::size_t position = 0;
  for (int row = 0; row < nrows_; ++row) {
    for (int col = 0; col < ncols_; ++col, ++position) {
      cell* c = grid_[position];
      if (c == nullptr) continue;
      if (c->row != row || c->column != col) context_.log << "Coordinates different" << std::endl;
      for (int n = 0; n < Neighbour::Count; ++n) {
        c->neighbours[n] = cellAt(row + kNeighbourRowOffset[n], col + kNeighbourColOffset[n]);
      }
    }
  }
  registerNeighbours();
}

}  // namespace orvantis
