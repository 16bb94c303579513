#include "world/output/world_map.h"

#include "world/demography/report.h"
#include "world/landscape/world.h"

namespace orvantis {

TWorldDemographyMap::TWorldDemographyMap(World& world, const TimeStoInt<float>* seaLevel)
    : world_(world),
      seaLevel_(seaLevel),
      generationTime_(world.settings().intParameter(IntParam::GenerationTime)) {}

const TGridHeader& TWorldDemographyMap::grid() const {
  return world_.header();
}

int TWorldDemographyMap::noDataValue() const {
  return world_.context().noDataValue;
}

int TWorldDemographyMap::numberOfPopulations() const {
  const StateDB& db = world_.database();
  return db.isAllocated() ? db.numberOfPopulations() : world_.numberOfPopulations();
}

int TWorldDemographyMap::endTime() const {
  const StateDB& db = world_.database();
  return db.isAllocated() ? db.endTime() : -1;
}

int TWorldDemographyMap::cellIndex(int row, int col) const {
  const cell* c = world_.cellAt(row, col);
  return c ? c->index : -1;
}

bool TWorldDemographyMap::hasDeme(int row, int col) const {
  const int index = cellIndex(row, col);
  return index >= 0 && index < world_.database().numEntries();
}

int TWorldDemographyMap::size(int row, int col, int population, int t) const {
  return world_.database().get_N(cellIndex(row, col), population, t);
}

int TWorldDemographyMap::arrivalsFrom(int row, int col, int population, TDirection from,
                                      int t) const {
  return world_.database().get_migrFromNeighbour(cellIndex(row, col), population, from, t);
}

bool TWorldDemographyMap::neighbourIsLand(int row, int col, TDirection towards) const {
  const cell* c = world_.cellAt(row, col);
  if (!c) return false;
  const cell* other = c->neighbours[static_cast<int>(towards)];
  return other != nullptr && other->emerged;
}

bool TWorldDemographyMap::underWater(int row, int col, int t) const {
  if (!seaLevel_ || seaLevel_->count() == 0) return false;
  const cell* c = world_.cellAt(row, col);
  if (!c) return false;
  const long long date =
      static_cast<long long>(world_.realBPTime()) + static_cast<long long>(t) * generationTime_;
  return seaLevel_->valueAt(static_cast<int>(date)) > c->altitude;
}

int TWorldDemographyMap::arrivalGeneration(int row, int col, int population) const {
  const int index = cellIndex(row, col);
  if (population < 0 || population >= kMaxCellPopulations || index < 0) return -1;
  if (!arrivalsFound_[population]) {
    arrivals_[population] = arrivalGenerations(world_.database(), population);
    arrivalsFound_[population] = true;
  }
  const std::vector<int>& arrivals = arrivals_[population];
  return static_cast<std::size_t>(index) < arrivals.size()
             ? arrivals[static_cast<std::size_t>(index)]
             : -1;
}

}  // namespace orvantis
