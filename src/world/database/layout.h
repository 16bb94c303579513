#pragma once
// Layout of the demographic database: one generation-major block of records.
//
//   block[t][cell][slot], slot = 5·p + series for population p (size, then the arrivals from
//   north, south, east and west), then the n·(n − 1) flows between populations.
//
// The forward loop writes one generation of every cell together, so a generation is one
// contiguous row; the backward walk reads a deme's size, arrivals and flows at one generation,
// which lie in one record of a few dozen bytes.

#include <cstddef>

#include "world/landscape/directions.h"

namespace orvantis {

// The neighbour a lineage came from, i.e. the side of the cell the migrants entered through.
enum class FromSide : int { North = 0, South = 1, East = 2, West = 3 };

inline constexpr int kSidesPerCell = 4;
inline constexpr int kSeriesPerPopulation = 5;
inline constexpr int kSizeSeries = 0;
inline constexpr int kMaxPopulations = 8;

// The same neighbour named in the migration routines' order (north, west, south, east).
inline constexpr FromSide fromSide(TDirection direction) {
  switch (direction) {
    case TDirection::North:
      return FromSide::North;
    case TDirection::West:
      return FromSide::West;
    case TDirection::South:
      return FromSide::South;
    case TDirection::East:
      break;
  }
  return FromSide::East;
}

inline constexpr int arrivalSeries(FromSide side) {
  return 1 + static_cast<int>(side);
}

// The side opposite to a direction of travel: migrants sent north enter their target from the
// south.
inline constexpr FromSide oppositeSide(FromSide side) {
  switch (side) {
    case FromSide::North:
      return FromSide::South;
    case FromSide::South:
      return FromSide::North;
    case FromSide::East:
      return FromSide::West;
    case FromSide::West:
      break;
  }
  return FromSide::East;
}

// Slot of the flow from population i to population j among n populations: i·(n − 1) + j − 1
// when j > i, j + i·(n − 1) when j < i (with two populations 0→1 is slot 0 and 1→0 slot 1);
// −1 when i = j or either index is not a population.
inline constexpr int flowSlot(int i, int j, int n) {
  if (i < 0 || j < 0 || i >= n || j >= n || i == j) return -1;
  return j > i ? i * (n - 1) + j - 1 : j + i * (n - 1);
}

struct TDbLayout {
  int numCells = 0;
  int numPopulations = 1;
  int endTime = -1;  // generations 0..endTime; −1 before allocation
  bool shortInt = false;
  int slots = kSeriesPerPopulation;  // values per record
  std::ptrdiff_t stride = 0;         // values per generation row

  static TDbLayout make(int cells, int populations, int lastGeneration, bool shortValues) {
    TDbLayout layout;
    layout.numCells = cells;
    layout.numPopulations = populations;
    layout.endTime = lastGeneration;
    layout.shortInt = shortValues;
    layout.slots = populations * kSeriesPerPopulation + populations * (populations - 1);
    layout.stride = static_cast<std::ptrdiff_t>(cells) * layout.slots;
    return layout;
  }

  int generations() const { return endTime + 1; }
  int flowsPerCell() const { return numPopulations * (numPopulations - 1); }
  int valueBytes() const { return shortInt ? 2 : 4; }
  static int seriesSlot(int population, int series) {
    return population * kSeriesPerPopulation + series;
  }
  int flowRecordSlot(int flow) const { return numPopulations * kSeriesPerPopulation + flow; }
  std::ptrdiff_t recordStart(int t, int cell) const {
    return static_cast<std::ptrdiff_t>(t) * stride + static_cast<std::ptrdiff_t>(cell) * slots;
  }
};

}  // namespace orvantis
