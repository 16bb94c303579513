#pragma once
// Demography of one population in one cell: growth towards the carrying capacity (the discrete
// Beverton-Holt model in single precision, whose fractional part is carried in the state so that
// small populations still gain whole individuals over several generations), the application of
// the migration balance, and the recording of the emigrants in the database.

#include <ostream>

#include "world/database/state_db.h"
#include "world/demography/population_limit.h"
#include "world/landscape/state.h"

namespace orvantis {

class cell;

// One growth step of state._N_POP with the growth rate r (already in single precision) and r/K
// computed beforehand (the per-run migration plans keep it). Returns the grown size, which the
// caller stores in _N_POP; _N_remainder receives the fractional part. A carrying capacity of 0
// (or below) gives 0 and leaves the remainder as it is. A grown size beyond the limit of a cell
// is held at it (counted in `limit`) and carries no remainder.
inline int growDensity(State& state, float growthRate, float rOverK, TSizeLimit& limit) {
  if (state.K <= 0) return 0;
  const float current = static_cast<float>(state._N_POP) + state._N_remainder;
  const float grown = (growthRate + 1.0f) * current / (rOverK * current + 1.0f);
  const long before = limit.count();
  const int whole = limit.whole(grown);
  state._N_remainder = limit.count() == before ? grown - static_cast<float>(whole) : 0.0f;
  return whole;
}

// The same step for one cell on its own, r/K computed here.
inline int growDensity(State& state, float growthRate) {
  if (state.K <= 0) return 0;
  TSizeLimit unreported;
  return growDensity(state, growthRate, growthRate / static_cast<float>(state.K), unreported);
}

// Growth of the long-distance models: as growDensity while the population with its remainder
// does not exceed K, otherwise exactly K with no remainder.
inline int growDensityCapped(State& state, float growthRate) {
  if (state.K <= 0) return 0;
  const float current = static_cast<float>(state._N_POP) + state._N_remainder;
  if (current <= static_cast<float>(state.K)) return growDensity(state, growthRate);
  state._N_remainder = 0.0f;
  return state.K;
}

// Applies the migration balance of the generation: _N_POP += BilanMigr, BilanMigr = 0, and
// returns the new size. A negative size (more emigrants than individuals) is logged with the
// generation and the cell's row and column, and clamped to 0.
int add_BilanMigr_to_N(State& state, const cell& where, int generation, std::ostream& log);

// Hot-path form: the log lines are written by the out-of-line part only when the size would be
// negative. A size beyond the limit of a cell is held at it (counted in `limit`).
void reportNegativeSize(int size, const cell& where, int generation, std::ostream& log);
inline int applyBalance(State& state, const cell& where, int generation, std::ostream& log,
                        TSizeLimit& limit) {
  const int n =
      limit.whole(static_cast<long long>(state._N_POP) + static_cast<long long>(state.BilanMigr));
  state.BilanMigr = 0;
  if (n < 0) [[unlikely]] {
    reportNegativeSize(n, where, generation, log);
    state._N_POP = 0;
    return 0;
  }
  state._N_POP = n;
  return n;
}

// Writes the numbers of individuals that left cell `cellIndex` towards each neighbour into the
// neighbours' arrival series of generation `generation` (sent north = the north neighbour's
// arrivals from the south); a missing neighbour is skipped.
inline void recordMigrants(StateDB& db, int generation, int cellIndex, int population, int toNorth,
                           int toSouth, int toEast, int toWest) {
  db.recordMigrants(generation, cellIndex, population, toNorth, toSouth, toEast, toWest);
}
inline void recordZeroMigrants(StateDB& db, int generation, int cellIndex, int population) {
  db.recordMigrants(generation, cellIndex, population, 0, 0, 0, 0);
}

}  // namespace orvantis
