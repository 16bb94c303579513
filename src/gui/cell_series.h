#pragma once
// The series of one cell that the time-series page plots: its density, its emigrants towards
// each neighbour, its cumulative density and, with two populations, the individuals that changed
// population there, over generations 0 to the last simulated one.

#include <array>
#include <vector>

namespace orvantis {

class World;

struct TCellSeries {
  bool hasCell = false;  // false: the position holds no cell or no run is stored
  std::vector<long long> density;
  // Emigrants towards the north, south, east and west neighbour (the order of the chart).
  std::array<std::vector<long long>, 4> emigrants;
  std::vector<long long> cumulativeDensity;
  // With two populations: individuals of P1 that became P2, and of P2 that became P1.
  std::vector<long long> p1ToP2;
  std::vector<long long> p2ToP1;
};

// The series of the cell at (row, col) for the population, up to lastGeneration (bounded by the
// stored run). Emigrants towards a neighbour that does not exist or is under water are 0. Models
// 77 and 78 have the density only.
TCellSeries cellSeries(World& world, int row, int col, int population, int lastGeneration,
                       int modelId);

}  // namespace orvantis
