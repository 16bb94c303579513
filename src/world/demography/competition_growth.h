#pragma once
// Growth of two populations sharing a cell, and the whole numbers of the exchanges between them.
// Single precision throughout; fractional parts are carried in the states.

#include <cmath>

#include "world/demography/model.h"
#include "world/demography/population_limit.h"
#include "world/landscape/state.h"

namespace orvantis {

// The whole part of a non-negative amount, within the limit of a cell.
inline int wholeIndividuals(float amount) {
  if (!(amount > 0.0f)) return 0;
  return truncIndividuals(amount);
}

// The whole number of a real amount x with its carry c: floor(x), then c += x − floor(x), and
// when c exceeds 1 one more individual and c −= 1.
inline int wholeWithCarry(float amount, float& carry) {
  const float whole = std::floor(amount);
  carry += amount - whole;
  int n = wholeIndividuals(whole);
  if (carry > 1.0f) {
    ++n;
    carry -= 1.0f;
  }
  return n;
}

// One growth step of both populations (s1 of `first`, s2 of `second`, given and returned). With
// Ñ the size plus its remainder (0 for an empty population):
//   N1' = Ñ1·(1 + r1·(K1 − Ñ1 − c21·Ñ2)/K1),  N2' = Ñ2·(1 + r2·(K2 − Ñ2 − c12·Ñ1)/K2),
// 0 for an empty population or a cell without capacity, and 0 instead of a negative value. The
// competition coefficients are 0 without competition or when either population is absent;
// density-dependent, each population weighs by the other's share (c21 = Ñ2/(Ñ1 + Ñ2),
// c12 = Ñ1/(Ñ1 + Ñ2)); density-independent, c21 = c12 = 1. The sizes become the whole parts
// and each remainder the fractional part of its N'; a size beyond the limit of a cell is held
// at it (counted in `limit`) and carries no remainder.
inline void growDensityCompetition(State& first, State& second, int& s1, int& s2, float r1,
                                   float r2, TCompetition competition, TSizeLimit& limit) {
  const float n1 = s1 > 0 ? static_cast<float>(s1) + first._N_remainder : 0.0f;
  const float n2 = s2 > 0 ? static_cast<float>(s2) + second._N_remainder : 0.0f;
  float c21 = 0.0f;
  float c12 = 0.0f;
  if (s1 > 0 && s2 > 0) {
    if (competition == TCompetition::DensityDependent) {
      c21 = n2 / (n1 + n2);
      c12 = n1 / (n1 + n2);
    } else if (competition == TCompetition::DensityIndependent) {
      c21 = 1.0f;
      c12 = 1.0f;
    }
  }
  float grown1 = 0.0f;
  if (s1 > 0 && first.K > 0) {
    const float K1 = static_cast<float>(first.K);
    grown1 = n1 * (1.0f + r1 * (K1 - n1 - c21 * n2) / K1);
  }
  float grown2 = 0.0f;
  if (s2 > 0 && second.K > 0) {
    const float K2 = static_cast<float>(second.K);
    grown2 = n2 * (1.0f + r2 * (K2 - n2 - c12 * n1) / K2);
  }
  if (!(grown1 > 0.0f)) grown1 = 0.0f;
  if (!(grown2 > 0.0f)) grown2 = 0.0f;
  const long before1 = limit.count();
  s1 = limit.whole(grown1);
  first._N_remainder = limit.count() == before1 ? grown1 - static_cast<float>(s1) : 0.0f;
  const long before2 = limit.count();
  s2 = limit.whole(grown2);
  second._N_remainder = limit.count() == before2 ? grown2 - static_cast<float>(s2) : 0.0f;
}

// The same step for one cell on its own.
inline void growDensityCompetition(State& first, State& second, int& s1, int& s2, float r1,
                                   float r2, TCompetition competition) {
  TSizeLimit unreported;
  growDensityCompetition(first, second, s1, s2, r1, r2, competition, unreported);
}

}  // namespace orvantis
