#pragma once
// Demography of one population in one cell: growth towards the carrying capacity (the discrete
// Beverton-Holt model in single precision, whose fractional part is carried in the state so that
// small populations still gain whole individuals over several generations), the application of
// the migration balance, and the recording of the emigrants in the database.

#include <ostream>

#include "world/database/state_db.h"
#include "world/landscape/state.h"

namespace orvantis {

class cell;

// One growth step of state._N_POP with the growth rate r (already in single precision). Returns
// the grown size, which the caller stores in _N_POP; _N_remainder receives the fractional part.
// A carrying capacity of 0 (or below) gives 0 and leaves the remainder as it is.
inline int growDensity(State& state, float growthRate) {
  if (state.K <= 0) return 0;
  const float current = static_cast<float>(state._N_POP) + state._N_remainder;
  const float grown =
      (growthRate + 1.0f) * current / ((growthRate / static_cast<float>(state.K)) * current + 1.0f);
  const int whole = static_cast<int>(grown);
  state._N_remainder = grown - static_cast<float>(whole);
  return whole;
}

// The same step with r/K computed beforehand (the per-run migration plans keep it), for the
// generation loop. Gives exactly growDensity's result when rOverK == r / float(K).
inline int growDensity(State& state, float growthRate, float rOverK) {
  if (state.K <= 0) return 0;
  const float current = static_cast<float>(state._N_POP) + state._N_remainder;
  const float grown = (growthRate + 1.0f) * current / (rOverK * current + 1.0f);
  const int whole = static_cast<int>(grown);
  state._N_remainder = grown - static_cast<float>(whole);
  return whole;
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
// negative.
void reportNegativeSize(int size, const cell& where, int generation, std::ostream& log);
inline int applyBalance(State& state, const cell& where, int generation, std::ostream& log) {
  const int n = state._N_POP + state.BilanMigr;
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
