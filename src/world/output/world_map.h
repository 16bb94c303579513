#pragma once
// The demography of a World after a run, as the output writers read it: grid positions from the
// world's grid, values from its demographic database, water from the sea-level series.

#include <vector>

#include "world/database/time_sto.h"
#include "world/landscape/cell.h"
#include "world/output/map_source.h"

namespace orvantis {

class World;

class TWorldDemographyMap : public TDemographyMap {
 public:
  // seaLevel: the world's sea-level series when the sea level varies, else null. The world and
  // the series must outlive the map.
  explicit TWorldDemographyMap(World& world, const TimeStoInt<float>* seaLevel = nullptr);

  const TGridHeader& grid() const override;
  int noDataValue() const override;
  int numberOfPopulations() const override;
  // -1 while the database holds no run.
  int endTime() const override;
  bool hasDeme(int row, int col) const override;
  int size(int row, int col, int population, int t) const override;
  int arrivalsFrom(int row, int col, int population, TDirection from, int t) const override;
  bool neighbourIsLand(int row, int col, TDirection towards) const override;
  // Under the sea when the sea level at RealBPTime + t x GenerationTime exceeds the altitude.
  bool underWater(int row, int col, int t) const override;
  // The first call for a population finds the arrival of every cell in one pass over the
  // generations, which a compressed database decodes once; later calls look it up.
  int arrivalGeneration(int row, int col, int population) const override;

 private:
  int cellIndex(int row, int col) const;

  World& world_;
  const TimeStoInt<float>* seaLevel_;
  int generationTime_;
  mutable std::vector<int> arrivals_[kMaxCellPopulations];
  mutable bool arrivalsFound_[kMaxCellPopulations] = {};
};

}  // namespace orvantis
