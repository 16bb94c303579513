#include "gui/cell_series.h"

#include <algorithm>

#include "world/landscape/world.h"

namespace orvantis {

namespace {

// The neighbour towards which each emigrant series counts, and the side from which that
// neighbour received them.
struct TTowards {
  int neighbour;
  TDirection arrivesFrom;
};
constexpr TTowards kTowards[4] = {{Neighbour::North, TDirection::South},
                                  {Neighbour::South, TDirection::North},
                                  {Neighbour::East, TDirection::West},
                                  {Neighbour::West, TDirection::East}};

}  // namespace

TCellSeries cellSeries(World& world, int row, int col, int population, int lastGeneration,
                       int modelId) {
  TCellSeries series;
  const StateDB& db = world.database();
  const cell* c = world.cellAt(row, col);
  if (!world.isBuilt() || !db.isAllocated() || c == nullptr || c->index < 0 ||
      c->index >= db.numEntries() || population < 0 || population >= db.numberOfPopulations()) {
    return series;
  }
  series.hasCell = true;
  const int last = std::clamp(lastGeneration, 0, db.endTime());
  const auto count = static_cast<std::size_t>(last) + 1;
  series.density.reserve(count);
  series.cumulativeDensity.reserve(count);
  long long total = 0;
  for (int t = 0; t <= last; ++t) {
    const long long n = db.get_N(c->index, population, t);
    total += n;
    series.density.push_back(n);
    series.cumulativeDensity.push_back(total);
  }
  if (modelId == 77 || modelId == 78) return series;

  for (int d = 0; d < 4; ++d) {
    const cell* other = c->neighbours[kTowards[d].neighbour];
    const bool counted =
        other != nullptr && other->emerged && other->index >= 0 && other->index < db.numEntries();
    std::vector<long long>& out = series.emigrants[static_cast<std::size_t>(d)];
    out.reserve(count);
    for (int t = 0; t <= last; ++t) {
      out.push_back(
          counted ? db.get_migrFromNeighbour(other->index, population, kTowards[d].arrivesFrom, t)
                  : 0);
    }
  }
  if (db.numberOfPopulations() >= 2) {
    series.p1ToP2.reserve(count);
    series.p2ToP1.reserve(count);
    for (int t = 0; t <= last; ++t) {
      series.p1ToP2.push_back(db.get_migrBetweenDemes(c->index, 0, 1, t));
      series.p2ToP1.push_back(db.get_migrBetweenDemes(c->index, 1, 0, t));
    }
  }
  return series;
}

}  // namespace orvantis
