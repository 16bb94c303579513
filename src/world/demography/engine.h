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
#include "settings/conversion_tables.h"
#include "world/database/state_db.h"
#include "world/demography/migration_plan.h"
#include "world/demography/model.h"
#include "world/demography/parameters.h"
#include "world/demography/population_limit.h"
#include "world/landscape/cell.h"
#include "world/landscape/state.h"

namespace orvantis {

class World;

// The cells, their per-population states and the database one run works on; not owned.
struct TDemeSpace {
  std::vector<cell>* cells = nullptr;
  std::vector<State>* states[kMaxCellPopulations] = {};
  int populations = 1;
  StateDB* database = nullptr;
  TRunContext* context = nullptr;
  // The conversion tables, whose migration table gives the four rates per cell of the
  // long-distance models when a migration-rate map is used; read at every generation, so a
  // table replaced during the run takes effect at once.
  const TConversionTables* tables = nullptr;
};

TDemeSpace demeSpaceOf(World& world);

class TDemographicEngine {
 public:
  TDemographicEngine(const TDemeSpace& space, TDemographicParameters parameters);

  // One generation over all cells at the context's generation counter (already advanced):
  // 1 on success; 0 after the log line and the box for a model that is not known, or after a
  // log line when the counter lies outside the database, the world does not have the model's
  // populations, or a long-distance migration could not be recorded.
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
  // Models 14, 15 and 55 (migration_ldd.cpp): stochastic local migration of which a binomial
  // share jumps to distant cells among `targets`; every jump is recorded in the database.
  int iterateDensity_LDD(int cellIndex, int population, TLddTargets targets);
  // Models 21 to 26 (migration_two_populations.cpp). The call for population 0 grows both
  // populations and exchanges individuals between them (assimilation: the exchanged individuals
  // change population; hybridization: the exchange is only recorded as gene flow); the call
  // for population 1 only moves P2's emigrants.
  int iterateDensity_assimilation(int cellIndex, int population, TCompetition competition);
  int iterateDensity_hybridization(int cellIndex, int population, TCompetition competition);

  // A cell that accepts a long-distance jumper of the population from cellIndex, or -1 when
  // none is found within the number of attempts.
  int findLDDTarget(int cellIndex, int population, TLddTargets targets);

  // Fractional emigrants of the two-population models, carried from generation to generation
  // for the whole run.
  float emigrantCarry(int population, int cellIndex) const {
    return emigrantCarry_[population][static_cast<std::size_t>(cellIndex)];
  }

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

  // Books one long-distance jumper into cell j. Arrivals beyond the limit of a cell could not
  // stay there, and are not counted, so that the balance stays within int.
  void bookJumper(int p, int j) {
    int& balance = (*space_.states[p])[static_cast<std::size_t>(j)].BilanMigr;
    if (balance < kMaxIndividuals) ++balance;
    std::uint8_t& listed = listed_[p][static_cast<std::size_t>(j)];
    if (!listed) {
      listed = 1;
      touched_[p].push_back(j);
    }
  }

  // Phase 1 of one population under each routine (migration_even.cpp, migration_binomial.cpp,
  // migration_ldd.cpp, migration_two_populations.cpp) and the routines themselves, for the
  // generation of `row` and the migration rate m.
  void phaseOneEven(int p, TGenerationRow& row, float m);
  int evenMigrants(int i, int p, TGenerationRow& row, float m);
  template <bool kStochastic>
  void phaseOneBinomial(int p, TGenerationRow& row, float m);
  template <bool kStochastic>
  int binomialMigrants(int i, int p, TGenerationRow& row, float m);
  void phaseOneLdd(int p, TGenerationRow& row);
  int lddMigrants(int i, int p, TGenerationRow& row, TLddTargets targets);
  // The jump distance in cells, or -1 when no distance within the maximum was drawn.
  int drawJumpDistance();
  void phaseOneTwoPopulations(TGenerationRow& row, bool assimilation);
  int twoPopulationMigrants(int i, int p, TGenerationRow& row, bool assimilation,
                            TCompetition competition);
  void phaseTwo(int p, TGenerationRow& row);
  // Cells holding either population, in list order (two-population models).
  void findCellsOfEitherPopulation();
  bool checkModelNeeds();

  TDemeSpace space_;
  TDemographicParameters parameters_;
  TCellRoutine routine_;
  TEligibility eligibility_;
  TLddTargets lddTargets_;
  TCompetition competition_;
  int cellCount_;

  // Cell index of every grid position, -1 where no cell lies (long-distance models).
  std::vector<int> grid_;
  int gridRows_ = 0;
  int gridColumns_ = 0;
  bool lddRecordFailed_ = false;
  bool distanceWarned_ = false;
  bool rateSumWarned_ = false;
  void warnRatesBeyondOne(int migrationClass);

  // Values held at the limit of a cell during the run, reported once.
  TSizeLimit sizeLimit_;
  bool sizeLimitWarned_ = false;
  void warnSizeLimit();

  // Fractional emigrants of the two-population models, per population and cell.
  std::vector<float> emigrantCarry_[kMaxCellPopulations];

  std::vector<TMigrationPlan> plans_[kMaxCellPopulations];
  bool plansStale_ = true;

  // Occupied cells in list order, cells that received immigrants this generation, and the
  // per-cell flag telling that a cell is in one of the two lists.
  std::vector<int> occupied_[kMaxCellPopulations];
  std::vector<int> touched_[kMaxCellPopulations];
  std::vector<std::uint8_t> listed_[kMaxCellPopulations];
  std::vector<int> merged_;
  std::vector<int> either_;  // cells holding either population (two-population models)
};

// One generation of the run (see TDemographicEngine::iterateCells).
[[nodiscard]] inline int IterateCells(TDemographicEngine& engine) {
  return engine.iterateCells();
}

}  // namespace orvantis
