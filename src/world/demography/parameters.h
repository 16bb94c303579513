#pragma once
// What the settings decide for one run of the demographic simulation: the model, its rates and,
// for the long-distance and two-population models, their own parameters. Read once when the
// run starts, so that the generation loop never looks a setting up.

#include <vector>

#include "foundation/distribution_settings.h"
#include "settings/settings.h"

namespace orvantis {

// Long-distance dispersal (models 14, 15, 55).
struct TLddParameters {
  // Jump distances: a two-parameter gamma (shape, rate); the distance in cells is
  // floor(draw) + 2.
  TDistributionSettings kernel;
  double proportion = 0.0;  // LDDProportion: the share of the emigrants that jumps
  int maxDistance = 0;      // LDD_max_treshold (at least 2 when set); 0 = no maximum
  int attempts = 11;        // tries per jumper: LDDMaxNumTry + 1
  // The migration-rate map and table give every cell four rates (north, east, south, west)
  // instead of the single MigrationRate.
  bool perCellRates = false;
};

// The two-population models (21 to 26). Index 0 is P1, index 1 is P2.
struct TTwoPopulationParameters {
  float growthRate[2] = {0.0f, 0.0f};    // GrowthRate, GrowthRate_P2
  double migrationRate[2] = {0.0, 0.0};  // MigrationRate, MigrationRate_P2
  float exchangeRate[2] = {0.0f, 0.0f};  // MigrRate_P1_to_P2, MigrRate_P2_to_P1
  double delayedMigration = 0.0;         // DelayedMigration; 0 (undefined) keeps the gate open
};

struct TDemographicParameters {
  int modelId = 0;
  int endTime = 0;
  float growthRate = 0.0f;     // GrowthRate in single precision
  float migrationRate = 0.0f;  // MigrationRate in single precision
  // With the efficient lattice, the rate of each generation (entry 0 unused); else empty.
  std::vector<float> bairdRates;
  TLddParameters ldd;                       // used by the long-distance models only
  TTwoPopulationParameters twoPopulations;  // used by the two-population models only

  float migrationRateAt(int generation) const {
    return bairdRates.empty() ? migrationRate : bairdRates[static_cast<std::size_t>(generation)];
  }

  // Reads the model, EndTime, GrowthRate and MigrationRate (all required) and builds the
  // efficient-lattice rates when AllowBairdEfficientLattice is 1; then the parameters of a
  // long-distance or two-population model. A missing required value, or a value the model
  // cannot run with (a kernel without its parameters, a negative LDD_max_treshold, the wrong
  // number of populations, ...), throws TException with a message naming the keys.
  static TDemographicParameters fromSettings(const TExtendedSettings& settings);
};

}  // namespace orvantis
