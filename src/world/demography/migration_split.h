#pragma once
// How a cell's emigrants are shared among its eligible neighbours.

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "foundation/random.h"
#include "world/demography/migration_plan.h"
#include "world/demography/population_limit.h"

namespace orvantis {

// Model 1: neighbour d receives floor(w_d·E) individuals plus, through the cell's carry for
// that direction, the fractions left over from earlier generations: c = (b − floor(b)) + carry;
// when c exceeds 1 one more individual leaves and carry = c − 1, otherwise carry = c.
// Precondition: E >= 1 (callers send nobody when trunc(E) <= 0), so every b is >= 0.
//
// The four directions are computed alike, without branches: an ineligible direction has the
// weight 0, so b = 0 and c is its carry, which never exceeds 1 (a carry is below 1 after a
// release and at most 1 otherwise); it therefore sends nobody and keeps its carry unchanged.
inline void splitEvenly(float emigrants, const TMigrationPlan& plan,
                        float (&carry)[kDirectionCount], int (&sent)[kDirectionCount]) {
#if defined(__SSE2__)
  // The same single-precision operations, four directions at a time.
  const __m128 share = _mm_mul_ps(_mm_loadu_ps(plan.weight), _mm_set1_ps(emigrants));
  const __m128i whole = _mm_cvttps_epi32(share);
  const __m128 fraction =
      _mm_add_ps(_mm_sub_ps(share, _mm_cvtepi32_ps(whole)), _mm_loadu_ps(carry));
  const __m128 release = _mm_cmpgt_ps(fraction, _mm_set1_ps(1.0f));
  _mm_storeu_ps(carry, _mm_sub_ps(fraction, _mm_and_ps(release, _mm_set1_ps(1.0f))));
  // The comparison mask is -1 where a migrant is released.
  _mm_storeu_si128(reinterpret_cast<__m128i*>(sent),
                   _mm_sub_epi32(whole, _mm_castps_si128(release)));
#else
  for (int d = 0; d < kDirectionCount; ++d) {
    const float share = plan.weight[d] * emigrants;
    const int whole = static_cast<int>(share);  // floor, as share >= 0
    const float fraction = (share - static_cast<float>(whole)) + carry[d];
    const bool release = fraction > 1.0f;
    carry[d] = fraction - (release ? 1.0f : 0.0f);
    sent[d] = whole + (release ? 1 : 0);
  }
#endif
}

// Models 2 and 3: trunc(h) emigrants are shared by successive binomial draws, each taking what
// the previous ones left: north with its weight, west and south with their weights among the
// directions still to come, east the rest.
inline void splitBinomially(float emigrants, const TMigrationPlan& plan, TRandom& random,
                            int (&sent)[kDirectionCount]) {
  constexpr int N = static_cast<int>(TDirection::North);
  constexpr int W = static_cast<int>(TDirection::West);
  constexpr int S = static_cast<int>(TDirection::South);
  constexpr int E = static_cast<int>(TDirection::East);
  sent[N] = sent[W] = sent[S] = sent[E] = 0;
  if (!(emigrants >= 1.0f)) return;  // fewer than one emigrant (NaN included)
  const float* w = plan.weight;
  float left = emigrants;
  // Each draw takes at most the individuals left, which stay within the limit of a cell.
  if (plan.isEligible(N)) {
    sent[N] = static_cast<int>(random.binomial_dev(w[N], truncIndividuals(left)));
    left -= static_cast<float>(sent[N]);
  }
  if (plan.isEligible(W)) {
    sent[W] =
        static_cast<int>(random.binomial_dev(w[W] / (w[W] + w[S] + w[E]), truncIndividuals(left)));
    left -= static_cast<float>(sent[W]);
  }
  if (plan.isEligible(S)) {
    sent[S] = static_cast<int>(random.binomial_dev(w[S] / (w[S] + w[E]), truncIndividuals(left)));
    left -= static_cast<float>(sent[S]);
  }
  if (plan.isEligible(E)) sent[E] = truncIndividuals(left);
}

}  // namespace orvantis
