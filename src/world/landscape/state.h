#pragma once
// Demographic state of one population in one cell (deme). Plain record: nothing dispatches on
// it, and the World keeps the states of all cells in one contiguous array per population.

#include "world/landscape/directions.h"

namespace orvantis {

struct State {
  int _N_POP = 0;     // number of individuals
  int K = 0;          // carrying capacity
  float F = 0.0f;     // friction; only cells with 0 < F < 1 receive migrants from neighbours
  int BilanMigr = 0;  // immigrants minus emigrants booked in the current generation
  float _N_remainder = 0.0f;  // fractional part of the last growth result

  // Fractional migrants carried over by the even-migration model, indexed by TDirection
  // (north, west, south, east).
  float migrantCarry[kDirectionCount] = {0.0f, 0.0f, 0.0f, 0.0f};
  // Fractional individuals carried over by the flows between two populations.
  float exchangeCarry[2] = {0.0f, 0.0f};

  // Reset before a repeated run on the same world: sizes, balances and carries go to 0,
  // K and F keep their values.
  void resetDynamics() {
    _N_POP = 0;
    BilanMigr = 0;
    _N_remainder = 0.0f;
    for (float& carry : migrantCarry) carry = 0.0f;
    for (float& carry : exchangeCarry) carry = 0.0f;
  }

  // Whether a neighbour with this friction may receive migrants.
  bool acceptsMigrants() const { return F > 0.0f && F < 1.0f; }
};

}  // namespace orvantis
