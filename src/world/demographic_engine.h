#pragma once
// The generation step of the forward simulation. Every generation runs in two phases over the
// cells of the world: phase 1 grows each occupied cell and books its emigrants in the migration
// balances of the cell and of its neighbours; phase 2 applies every balance and writes the new
// sizes to the database. Immigrants therefore never grow or emigrate in the generation in which
// they arrive.
//
// The engine visits only the cells that hold individuals and, in phase 2, the cells that
// received some. An empty cell sends nobody, so the zeros that it would record are the ones the
// database already holds: the rows of the generations still to come must hold zeros, as a fresh
// or re-allocated database does.

#include <cstdint>
#include <vector>

#include "foundation/run_context.h"
#include "settings/settings.h"
#include "world/cell.h"
#include "world/demographic_model.h"
#include "world/migration_plan.h"
#include "world/state.h"
#include "world/state_db.h"

namespace orvantis {

class World;

// The cells, their per-population states and the database one run works on; not owned.
struct TDemeSpace {
  std::vector<cell>* cells = nullptr;
  std::vector<State>* states[kMaxCellPopulations] = {};
  int populations = 1;
  StateDB* database = nullptr;
  TRunContext* context = nullptr;
};

TDemeSpace demeSpaceOf(World& world);

// What the settings decide for a run.
struct TDemographicParameters {
  int modelId = 0;
  int endTime = 0;
  float growthRate = 0.0f;     // GrowthRate in single precision
  float migrationRate = 0.0f;  // MigrationRate in single precision
  // With the efficient lattice, the rate of each generation (entry 0 unused); else empty.
  std::vector<float> bairdRates;

  float migrationRateAt(int generation) const {
    return bairdRates.empty() ? migrationRate : bairdRates[static_cast<std::size_t>(generation)];
  }

  // Reads the model, EndTime, GrowthRate and MigrationRate (all required: a missing one throws
  // TException) and builds the efficient-lattice rates when AllowBairdEfficientLattice is 1.
  static TDemographicParameters fromSettings(const TExtendedSettings& settings);
};

class TDemographicEngine {
 public:
  TDemographicEngine(const TDemeSpace& space, TDemographicParameters parameters);

  // One generation over all cells at the context's generation counter (already advanced):
  // 1 on success; 0 after the log line and the box for a model that is not known, or after a
  // log line when the counter lies outside the database.
  [[nodiscard]] int iterateCells();

  // K, F or the accessibility of some cells may have changed: the migration plans are
  // recomputed before the next generation.
  void environmentChanged() { plansStale_ = true; }
  // Sizes were changed outside the generation step (sources placed): the occupied cells are
  // found again.
  void populationsChanged();

  // The cell routines of phase 1 for the context's generation. Each grows the population of
  // the cell, stores the grown size, books the emigrants and records them; 1 when migrants were
  // computed, 0 when the cell sent nobody.
  int iterateDensity_even_migrants(int cellIndex, int population);
  int iterateDensity_binomial_migrants(int cellIndex, int population, bool stochastic);

  const TDemographicParameters& parameters() const { return parameters_; }
  const TMigrationPlan& migrationPlan(int population, int cellIndex);
  // Cells holding at least one individual of the population after the last generation.
  int occupiedCells(int population) const {
    return static_cast<int>(occupied_[static_cast<std::size_t>(population)].size());
  }

 private:
  std::vector<State>& states(int p) { return *space_.states[p]; }
  void refreshPlans();
  void logUnknownModel();

  // The cell index of the neighbour in direction d (TDirection), -1 where there is none, from
  // the database's neighbour table, through which the arrivals are recorded.
  int neighbourOf(int cellIndex, int d) const {
    constexpr FromSide kSide[kDirectionCount] = {FromSide::North, FromSide::West, FromSide::South,
                                                 FromSide::East};
    return space_.database->neighbour(cellIndex, kSide[d]);
  }

  // Books the emigrants of cell i: -sum on the cell, +x on each eligible neighbour, which is
  // listed for phase 2 when it was not yet and receives someone.
  void book(int p, int i, State& source, const TMigrationPlan& plan,
            const int (&sent)[kDirectionCount]) {
    source.BilanMigr -= sent[0] + sent[1] + sent[2] + sent[3];
    std::vector<State>& st = *space_.states[p];
    std::uint8_t* listed = listed_[p].data();
    for (int d = 0; d < kDirectionCount; ++d) {
      if (!plan.isEligible(d)) continue;
      const auto j = static_cast<std::size_t>(neighbourOf(i, d));
      st[j].BilanMigr += sent[d];
      if (!listed[j] && sent[d] > 0) {
        listed[j] = 1;
        touched_[p].push_back(static_cast<int>(j));
      }
    }
  }

  // What cell i sent to each neighbour, into the neighbours' arrival series of the row.
  static void record(TGenerationRow& row, int p, int i, const int (&sent)[kDirectionCount]) {
    constexpr int N = static_cast<int>(TDirection::North);
    constexpr int W = static_cast<int>(TDirection::West);
    constexpr int S = static_cast<int>(TDirection::South);
    constexpr int E = static_cast<int>(TDirection::East);
    row.recordMigrants(i, p, sent[N], sent[S], sent[E], sent[W]);
  }

  // Phase 1 of one population under each routine (migration_even.cpp, migration_binomial.cpp)
  // and the routines themselves, for the generation of `row` and the migration rate m.
  void phaseOneEven(int p, TGenerationRow& row, float m);
  int evenMigrants(int i, int p, TGenerationRow& row, float m);
  template <bool kStochastic>
  void phaseOneBinomial(int p, TGenerationRow& row, float m);
  template <bool kStochastic>
  int binomialMigrants(int i, int p, TGenerationRow& row, float m);
  void phaseTwo(int p, TGenerationRow& row);

  TDemeSpace space_;
  TDemographicParameters parameters_;
  TCellRoutine routine_;
  TEligibility eligibility_;
  int cellCount_;

  std::vector<TMigrationPlan> plans_[kMaxCellPopulations];
  bool plansStale_ = true;

  // Occupied cells in list order, cells that received immigrants this generation, and the
  // per-cell flag telling that a cell is in one of the two lists.
  std::vector<int> occupied_[kMaxCellPopulations];
  std::vector<int> touched_[kMaxCellPopulations];
  std::vector<std::uint8_t> listed_[kMaxCellPopulations];
  std::vector<int> merged_;
};

// One generation of the run (see TDemographicEngine::iterateCells).
[[nodiscard]] inline int IterateCells(TDemographicEngine& engine) {
  return engine.iterateCells();
}

}  // namespace orvantis
