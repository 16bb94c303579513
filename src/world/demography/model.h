#pragma once
// The demographic models a run can use, by the identifier stored in ChosenDemographicModel, and
// the cell routine that each one runs in the first phase of a generation.

namespace orvantis {

struct DemographicModel {
  enum : int {
    EvenMigrants = 1,        // "1. One population with even number of migrants"
    AbsoluteMigrants = 2,    // "2. One population with absolute number of migrants"
    StochasticMigrants = 3,  // "3. One population with stochastic number of migrants"
    Ldd = 14,                // "4. One population with LDD"
    LddToEmpty = 15,         // "5. One population with LDD only on empty demes"
    LddToOccupied = 55,      // "6. One population with LDD only on occupied demes"
    AssimilationNoCompetition = 21,
    AssimilationDensityDependent = 22,
    AssimilationDensityIndependent = 23,
    HybridizationNoCompetition = 24,
    HybridizationDensityDependent = 25,
    HybridizationDensityIndependent = 26,
  };
};

// The cell routines the generation loop can dispatch to.
enum class TCellRoutine {
  None,                // unknown identifier: the run stops
  EvenMigrants,        // iterateDensity_even_migrants
  BinomialMigrants,    // iterateDensity_binomial_migrants, not stochastic
  StochasticMigrants,  // iterateDensity_binomial_migrants, stochastic
  LongDistance,        // iterateDensity_LDD
  Assimilation,        // iterateDensity_assimilation
  Hybridization,       // iterateDensity_hybridization
};

// The cells a long-distance jumper may land on, besides the cells every jump needs (inside the
// grid, K > 0, accessible).
enum class TLddTargets { Any, EmptyOnly, OccupiedOnly };

// How two populations sharing a cell limit each other's growth.
enum class TCompetition { None, DensityDependent, DensityIndependent };

inline TCellRoutine cellRoutineFor(int modelId) {
  switch (modelId) {
    case DemographicModel::EvenMigrants:
      return TCellRoutine::EvenMigrants;
    case DemographicModel::AbsoluteMigrants:
      return TCellRoutine::BinomialMigrants;
    case DemographicModel::StochasticMigrants:
      return TCellRoutine::StochasticMigrants;
    case DemographicModel::Ldd:
    case DemographicModel::LddToEmpty:
    case DemographicModel::LddToOccupied:
      return TCellRoutine::LongDistance;
    case DemographicModel::AssimilationNoCompetition:
    case DemographicModel::AssimilationDensityDependent:
    case DemographicModel::AssimilationDensityIndependent:
      return TCellRoutine::Assimilation;
    case DemographicModel::HybridizationNoCompetition:
    case DemographicModel::HybridizationDensityDependent:
    case DemographicModel::HybridizationDensityIndependent:
      return TCellRoutine::Hybridization;
    default:
      return TCellRoutine::None;
  }
}

inline bool isLongDistanceModel(int modelId) {
  return cellRoutineFor(modelId) == TCellRoutine::LongDistance;
}

inline bool isTwoPopulationModel(int modelId) {
  const TCellRoutine routine = cellRoutineFor(modelId);
  return routine == TCellRoutine::Assimilation || routine == TCellRoutine::Hybridization;
}

// Targets of a long-distance model (Any for any other model).
inline TLddTargets lddTargetsFor(int modelId) {
  switch (modelId) {
    case DemographicModel::LddToEmpty:
      return TLddTargets::EmptyOnly;
    case DemographicModel::LddToOccupied:
      return TLddTargets::OccupiedOnly;
    default:
      return TLddTargets::Any;
  }
}

// Competition of a two-population model: the first of each triple has none, the second is
// density-dependent, the third density-independent (None for any other model).
inline TCompetition competitionFor(int modelId) {
  switch (modelId) {
    case DemographicModel::AssimilationDensityDependent:
    case DemographicModel::HybridizationDensityDependent:
      return TCompetition::DensityDependent;
    case DemographicModel::AssimilationDensityIndependent:
    case DemographicModel::HybridizationDensityIndependent:
      return TCompetition::DensityIndependent;
    default:
      return TCompetition::None;
  }
}

}  // namespace orvantis
