#pragma once
// The demographic models a run can use, by the identifier stored in ChosenDemographicModel, and
// the cell routine that each one runs in the first phase of a generation.

namespace orvantis {

struct DemographicModel {
  enum : int {
    EvenMigrants = 1,        // "1. One population with even number of migrants"
    AbsoluteMigrants = 2,    // "2. One population with absolute number of migrants"
    StochasticMigrants = 3,  // "3. One population with stochastic number of migrants"
    Ldd = 14,                // long-distance dispersal on every cell
    LddToEmpty = 15,         // long-distance dispersal only towards empty cells
    LddToOccupied = 55,      // long-distance dispersal only towards occupied cells
    AssimilationNoCompetition = 21,
    AssimilationDensityDependent = 22,
    AssimilationDensityIndependent = 23,
    HybridizationNoCompetition = 24,
    HybridizationDensityDependent = 25,
    HybridizationDensityIndependent = 26,
  };
};

// The cell routines the generation loop can dispatch to. Long-distance dispersal (models 14, 15,
// 55) and the two-population models (21 to 26) get their own routines here when they are
// implemented; until then their identifiers are refused like any unknown one.
enum class TCellRoutine {
  None,                // unknown or not available: the run stops
  EvenMigrants,        // iterateDensity_even_migrants
  BinomialMigrants,    // iterateDensity_binomial_migrants, not stochastic
  StochasticMigrants,  // iterateDensity_binomial_migrants, stochastic
};

inline TCellRoutine cellRoutineFor(int modelId) {
  switch (modelId) {
    case DemographicModel::EvenMigrants:
      return TCellRoutine::EvenMigrants;
    case DemographicModel::AbsoluteMigrants:
      return TCellRoutine::BinomialMigrants;
    case DemographicModel::StochasticMigrants:
      return TCellRoutine::StochasticMigrants;
    default:
      return TCellRoutine::None;
  }
}

inline bool isLongDistanceModel(int modelId) {
  return modelId == DemographicModel::Ldd || modelId == DemographicModel::LddToEmpty ||
         modelId == DemographicModel::LddToOccupied;
}

}  // namespace orvantis
