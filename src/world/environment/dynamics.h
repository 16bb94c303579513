#pragma once
// The environment through time (this folder): climate and sea-level series, time-dependent
// conversion tables.
//
// The changes of a world's environment through a run, in their order at every generation: the
// climate update (an LGM vegetation map in use: sea level, then K and F from the temperature
// series with the coast and river factors), then the switches of the time-dependent conversion
// tables. Coast adaptation is the generation loop's own.

#include "settings/dynamic_tables.h"
#include "world/demography/simulate_world.h"

namespace orvantis {

class TWorldEnvironment final : public TEnvironmentDynamics {
 public:
  // Whether the world's settings call for any change: an LGM vegetation map, or an index file
  // that lists more than one table.
  static bool neededBy(const World& world);

  // Reads GenerationTime and DynamicVegetationChangeTime, puts back what an earlier run changed
  // (every cell above the sea, the first tables), then, with an LGM map, K and F of every
  // population at the start date, without the coast and river factors.
  [[nodiscard]] int atRunStart(World& world) override;
  [[nodiscard]] int atGeneration(World& world, bool& changed) override;

 private:
  int updateClimate(World& world);
  int switchTables(World& world, bool& changed);

  int generationTime_ = 0;
  int climateChangeTime_ = 0;         // years between two climate updates; 0: every generation
  long long sinceClimateUpdate_ = 0;  // years since the last climate update
  int nextEntry_[TableKind::Count] = {};
};

}  // namespace orvantis
