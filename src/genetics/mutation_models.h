#pragma once
// The mutation models of one locus: what one mutation does to an allelic state under each data
// type. Pure functions of the state, the parameters and the uniform draws they are handed, so
// the dropping of mutations on a genealogy (mutation.h) stays a walk and the models can be
// checked one step at a time.
//
// States: MICROSAT a repeat number (0 at the root), RFLP 0 or 1, DNA 0 = A, 1 = G, 2 = C, 3 = T,
// SNP 0 ancestral, 1 derived, 2 ancestral when no branch met the minimum frequency.

#include <cmath>

#include "coalescent/genetic_parameters.h"

namespace orvantis {

// Base letters of the DNA states.
inline constexpr char kDnaLetters[] = "AGCT";
inline constexpr int kDnaA = 0, kDnaG = 1, kDnaC = 2, kDnaT = 3;

// Microsatellite steps and states saturate here, so that absurd parameters (a geometric
// parameter close to 1, a mutation rate far above 1) can neither overflow nor lose the offsets
// the outputs add to the states.
inline constexpr long long kMaxMicrosatMagnitude = 1000000000;

// The window of r consecutive repeat numbers around 0 allowed by a range constraint r >= 1:
// minAllele = -floor((r - 1) / 2), maxAllele = minAllele + r - 1 (r = 10 gives -4..5, r = 1 the
// single state 0). For r <= 0 (no constraint) both are 0 and unused.
struct TAlleleBounds {
  int minAllele = 0;
  int maxAllele = 0;
};
TAlleleBounds alleleBounds(int rangeConstraint);

// --- DNA ---

// For each state, its three target bases in the model's order and the cumulative bounds of the
// first two: u < c1 gives targets[0], u < c2 targets[1], else targets[2]. The weights are the
// exchange rate times the target's base frequency, computed in double from the float values;
// when they sum to 0 both bounds are 0 and every mutation goes to the third target.
struct TDnaMutationTable {
  int targets[4][3] = {};
  double c1[4] = {};
  double c2[4] = {};
};
TDnaMutationTable dnaMutationTable(const TDnaValues& values);

inline int mutateDna(int state, const TDnaMutationTable& table, double u) {
  if (u < table.c1[state]) return table.targets[state][0];
  if (u < table.c2[state]) return table.targets[state][1];
  return table.targets[state][2];
}

// --- MICROSAT ---

// True when a geometric parameter g gives a geometric number of steps: 1e-10 <= g < 1. Below,
// and from 1 on (where the number of steps would not be geometric, or negative), every mutation
// is a single step.
inline bool geometricSteps(double g) {
  return g >= 1e-10 && g < 1.0;
}

// floor(ln u / ln g) + 1 for a geometric parameter (geometricSteps(g) true), saturated at
// kMaxMicrosatMagnitude (u = 0 would give an infinite number).
inline long long geometricStepCount(double g, double u) {
  const double steps = std::floor(std::log(u) / std::log(g)) + 1.0;
  if (!(steps < static_cast<double>(kMaxMicrosatMagnitude))) return kMaxMicrosatMagnitude;
  return static_cast<long long>(steps);
}

// One microsatellite mutation of `state`, with g the geometric parameter and r the range
// constraint (0 = none). `uniform` is called for each draw the model needs, in its order: the
// number of steps when it is geometric, then the direction unless the state sits on a bound.
template <class Uniform>
int mutateMicrosat(int state, double g, int rangeConstraint, Uniform&& uniform) {
  const bool constrained = rangeConstraint > 0;
  const TAlleleBounds bounds = alleleBounds(rangeConstraint);
  long long next = state;
  if (g > 0.0) {
    const long long m = geometricSteps(g) ? geometricStepCount(g, uniform()) : 1;
    if (!constrained) {
      next += uniform() >= 0.5 ? -m : m;
    } else {
      if (state == bounds.minAllele) {
        next += m;
      } else if (state == bounds.maxAllele) {
        next -= m;
      } else {
        next += uniform() >= 0.5 ? m : -m;
      }
    }
  } else if (!constrained) {
    next += uniform() >= 0.5 ? 1 : -1;
  } else if (state == bounds.minAllele) {
    next += 1;
  } else if (state == bounds.maxAllele) {
    next -= 1;
  } else {
    next += uniform() >= 0.5 ? 1 : -1;
  }
  if (constrained) {
    // Reflection keeps single steps inside a window of two or more states; the window of one
    // state (r = 1) and geometric jumps need the clamp.
    if (next < bounds.minAllele) next = bounds.minAllele;
    if (next > bounds.maxAllele) next = bounds.maxAllele;
  }
  if (next > kMaxMicrosatMagnitude) next = kMaxMicrosatMagnitude;
  if (next < -kMaxMicrosatMagnitude) next = -kMaxMicrosatMagnitude;
  return static_cast<int>(next);
}

// --- RFLP ---

inline int mutateRflp(int state) {
  return 1 - state;
}

}  // namespace orvantis
