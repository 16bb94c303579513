// Models 14, 15 and 55, "One population with LDD", "... only on empty demes" and "... only on
// occupied demes": stochastic local migration in which a binomial share of the emigrants jumps
// to a cell at a random distance, drawn from a gamma kernel, and in a random direction. The
// three models differ only in the cells a jumper may land on. Every jump is recorded in the
// target's long-distance list (source cell, count 1), which the coalescent follows backwards.

#include <cmath>

#include "world/demography/cell_demography.h"
#include "world/demography/engine.h"
#include "world/demography/ldd_jump.h"
#include "world/demography/migration_rates.h"
#include "world/demography/migration_split.h"

namespace orvantis {
namespace {

// Draws of the kernel allowed for one attempt when a maximum distance is set; the kernel's
// distances are then expected to lie mostly within the maximum, and an attempt that finds none
// in this many draws fails like one that lands outside the grid.
constexpr int kMaxDistanceDraws = 1000;

// Growth of the long-distance models: Beverton-Holt while the population with its remainder
// does not exceed K, otherwise exactly K with no remainder (growDensityCapped, with r/K taken
// from the migration plan).
inline int growCapped(State& state, float growthRate, float rOverK, TSizeLimit& limit) {
  if (state.K <= 0) return 0;
  const float current = static_cast<float>(state._N_POP) + state._N_remainder;
  if (current <= static_cast<float>(state.K)) return growDensity(state, growthRate, rOverK, limit);
  state._N_remainder = 0.0f;
  return state.K;
}

// No more local emigrants than the individuals left after the jumps: the excess is taken back
// from east, west, north and south, in that order.
inline void limitEmigrants(int (&sent)[kDirectionCount], int room) {
  constexpr int kOrder[kDirectionCount] = {
      static_cast<int>(TDirection::East), static_cast<int>(TDirection::West),
      static_cast<int>(TDirection::North), static_cast<int>(TDirection::South)};
  int excess = sent[0] + sent[1] + sent[2] + sent[3] - (room > 0 ? room : 0);
  for (int k = 0; k < kDirectionCount && excess > 0; ++k) {
    int& x = sent[kOrder[k]];
    const int taken = x < excess ? x : excess;
    x -= taken;
    excess -= taken;
  }
}

}  // namespace

int TDemographicEngine::drawJumpDistance() {
  TRandom& random = space_.context->random;
  int& seed = random.cellSeed();
  const TLddParameters& ldd = parameters_.ldd;
  // Any distance beyond the grid's rows plus columns lands outside it; such distances are
  // held at that bound so that the arithmetic stays within int.
  const double beyondGrid = static_cast<double>(gridRows_) + static_cast<double>(gridColumns_);
  for (int draw = 0; draw < kMaxDistanceDraws; ++draw) {
    const double distance = std::floor(random.sample(ldd.kernel, seed)) + 2.0;
    if (ldd.maxDistance > 0 && distance > ldd.maxDistance) continue;
    // The kernel's draws are not negative; a draw that is not a number lands beyond the grid.
    if (!(distance >= 0.0)) return static_cast<int>(beyondGrid);
    return static_cast<int>(distance < beyondGrid ? distance : beyondGrid);
  }
  if (!distanceWarned_) {
    distanceWarned_ = true;
    space_.context->log << "WARNING: {cell::findLDDTarget()} [no jump distance of at most "
                        << ldd.maxDistance << " cells (LDD_max_treshold) in " << kMaxDistanceDraws
                        << " draws of the kernel: the attempt fails]" << std::endl;
  }
  return -1;
}

int TDemographicEngine::findLDDTarget(int cellIndex, int population, TLddTargets targets) {
  TRandom& random = space_.context->random;
  int& seed = random.cellSeed();
  const std::vector<cell>& cells = *space_.cells;
  const std::vector<State>& st = states(population);
  const cell& source = cells[static_cast<std::size_t>(cellIndex)];
  for (int attempt = 0; attempt < parameters_.ldd.attempts; ++attempt) {
    const int d = drawJumpDistance();
    if (d < 0) continue;
    const int a = static_cast<int>(std::floor(random.ran3(seed) * (d + 1.0)));
    const int orientation = static_cast<int>(std::floor(random.ran3(seed) * kLddOrientations));
    const TGridOffset offset = lddOffset(a, d - a, orientation);
    const int row = source.row + offset.row;
    const int column = source.column + offset.column;
    if (row < 0 || column < 0 || row >= gridRows_ || column >= gridColumns_) continue;
    const int j = grid_[static_cast<std::size_t>(row) * static_cast<std::size_t>(gridColumns_) +
                        static_cast<std::size_t>(column)];
    if (j < 0) continue;
    const State& target = st[static_cast<std::size_t>(j)];
    if (target.K <= 0 || !cells[static_cast<std::size_t>(j)].isAccessible) continue;
    if (targets == TLddTargets::EmptyOnly && target._N_POP != 0) continue;
    if (targets == TLddTargets::OccupiedOnly && target._N_POP < 1) continue;
    return j;
  }
  return -1;
}

int TDemographicEngine::lddMigrants(int i, int p, TGenerationRow& row, TLddTargets targets) {
  State& source = states(p)[static_cast<std::size_t>(i)];
  const TMigrationPlan& plan = plans_[p][static_cast<std::size_t>(i)];
  if (source.K <= 0) {
    row.recordZeroMigrants(i, p);
    source._N_POP = 0;
    return 0;
  }
  TRandom& random = space_.context->random;
  int& seed = random.cellSeed();
  const int capped = growCapped(source, parameters_.growthRate, plan.rOverK, sizeLimit_);
  const int grown = sizeLimit_.whole(random.poisson_dev(static_cast<float>(capped), seed));
  source._N_POP = grown;
  if (!plan.hasEligibleNeighbour()) {
    row.recordZeroMigrants(i, p);
    return 0;
  }

  const TLddParameters& ldd = parameters_.ldd;
  float rate[kDirectionCount];  // per-cell rates in TDirection order
  float emigrants;
  if (ldd.perCellRates) {
    const cell& c = (*space_.cells)[static_cast<std::size_t>(i)];
    cellMigrationRates(space_.tables->m(p)[c.migrationClass], rate);
    emigrants =
        static_cast<float>(grown) *
        (rate[static_cast<int>(TDirection::North)] + rate[static_cast<int>(TDirection::East)] +
         rate[static_cast<int>(TDirection::South)] + rate[static_cast<int>(TDirection::West)]);
    // Four rates of at most 1 send at most four times the size; larger rates of the table
    // (or rates that are not numbers) are held there, so that the jumpers stay countable.
    const float most = 4.0f * static_cast<float>(grown);
    if (!(emigrants <= most)) {
      if (!rateSumWarned_) warnRatesBeyondOne(c.migrationClass);
      emigrants = emigrants > most ? most : 0.0f;
    }
  } else {
    emigrants = static_cast<float>(grown) * parameters_.migrationRate;
  }

  // The jumpers: a binomial share of the emigrants, each placed by findLDDTarget. A jumper that
  // finds no target stays with the local emigrants.
  const int jumpers =
      static_cast<int>(random.binomial_dev(ldd.proportion, truncIndividuals(emigrants), seed));
  StateDB& db = *space_.database;
  int placed = 0;
  for (int k = 0; k < jumpers; ++k) {
    const int target = findLDDTarget(i, p, targets);
    if (target < 0) continue;
    if (db.add_LDDMigrants(target, p, row.generation(), i, 1) == 0) {
      lddRecordFailed_ = true;  // the jumper stays; the run ends after this generation
      continue;
    }
    bookJumper(p, target);
    ++placed;
  }

  const float local = emigrants - static_cast<float>(placed);
  int sent[kDirectionCount] = {0, 0, 0, 0};
  if (local >= 1.0f) {
    if (ldd.perCellRates) {
      // Each direction draws its own number; `local` only decides whether anyone leaves.
      for (int d = 0; d < kDirectionCount; ++d) {
        if (!plan.isEligible(d)) continue;
        sent[d] = sizeLimit_.whole(random.poisson_dev(static_cast<float>(grown) * rate[d], seed));
      }
      limitEmigrants(sent, grown - placed);
    } else {
      splitBinomially(local, plan, random, sent);
    }
  }
  source.BilanMigr -= placed;
  book(p, i, source, plan, sent);
  record(row, p, i, sent);
  return placed + sent[0] + sent[1] + sent[2] + sent[3] > 0 ? 1 : 0;
}

void TDemographicEngine::warnRatesBeyondOne(int migrationClass) {
  rateSumWarned_ = true;
  space_.context->log << "WARNING: {cell::iterateDensity_LDD()} [generation "
                      << space_.context->generation << ": the migration rates of migration class "
                      << migrationClass
                      << " exceed 1 (or are not numbers): a cell sends at most four times its "
                         "size, here and later without warning]"
                      << std::endl;
}

void TDemographicEngine::phaseOneLdd(int p, TGenerationRow& row) {
  const std::vector<State>& st = states(p);
  for (const int i : occupied_[p]) {
    if (st[static_cast<std::size_t>(i)]._N_POP < 1) continue;
    lddMigrants(i, p, row, lddTargets_);
  }
}

int TDemographicEngine::iterateDensity_LDD(int cellIndex, int population, TLddTargets targets) {
  if (plansStale_) refreshPlans();
  TGenerationRow row = space_.database->generationRow(space_.context->generation);
  return lddMigrants(cellIndex, population, row, targets);
}

}  // namespace orvantis
