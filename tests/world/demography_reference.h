#pragma once
// Reference generations for the engine's tests: the two-phase pass over every cell exactly as
// the rules read, nothing cached and nothing skipped, for the long-distance and two-population
// models; and the comparison of two lattices after the same generations.

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "demography_lattice.h"
#include "world/cell_demography.h"
#include "world/demographic_parameters.h"

namespace orvantis::testing {

// Zero or the given numbers sent from cell c, into its neighbours' arrival series.
inline void recordReference(DemographyLattice& L, int p, const cell& c, const int (&sent)[4]) {
  TGenerationRow row = L.db->generationRow(L.context.generation);
  const FromSide entry[4] = {FromSide::South, FromSide::East, FromSide::North, FromSide::West};
  for (int d = 0; d < 4; ++d) {
    if (c.neighbours[d] != nullptr) row.setArrival(c.neighbours[d]->index, p, entry[d], sent[d]);
  }
}

inline void referencePhaseTwo(DemographyLattice& L, int populations) {
  TGenerationRow row = L.db->generationRow(L.context.generation);
  for (int p = 0; p < populations; ++p) {
    for (const cell& c : L.cells) {
      row.set_N(c.index, p,
                add_BilanMigr_to_N(L.states[p][static_cast<std::size_t>(c.index)], c,
                                   L.context.generation, L.log));
    }
  }
}

// ---- long-distance dispersal ----

inline int referenceLddTarget(DemographyLattice& L, const TDemographicParameters& P, int p,
                              const cell& c) {
  TRandom& random = L.context.random;
  int& seed = random.cellSeed();
  for (int attempt = 0; attempt < P.ldd.attempts; ++attempt) {
    int d = static_cast<int>(std::trunc(std::floor(random.sample(P.ldd.kernel, seed)) + 2));
    while (P.ldd.maxDistance > 0 && d > P.ldd.maxDistance) {
      d = static_cast<int>(std::trunc(std::floor(random.sample(P.ldd.kernel, seed)) + 2));
    }
    const int a = static_cast<int>(std::floor(random.ran3(seed) * (d + 1)));
    const int b = d - a;
    const int o = static_cast<int>(std::floor(random.ran3(seed) * 8));
    int r = c.row;
    int col = c.column;
    switch (o) {
      case 0:
        r += a;
        col += b;
        break;
      case 1:
        r += a;
        col -= b;
        break;
      case 2:
        r -= a;
        col += b;
        break;
      case 3:
        r -= a;
        col -= b;
        break;
      case 4:
        r += b;
        col += a;
        break;
      case 5:
        r += b;
        col -= a;
        break;
      case 6:
        r -= b;
        col += a;
        break;
      default:
        r -= b;
        col -= a;
        break;
    }
    const int j = L.index(r, col);
    if (j < 0) continue;
    const State& t = L.states[p][static_cast<std::size_t>(j)];
    if (t.K <= 0 || !L.cells[static_cast<std::size_t>(j)].isAccessible) continue;
    if (P.modelId == 15 && t._N_POP != 0) continue;
    if (P.modelId == 55 && t._N_POP < 1) continue;
    return j;
  }
  return -1;
}

inline void referenceLddCell(DemographyLattice& L, const TDemographicParameters& P, int p,
                             const cell& c) {
  std::vector<State>& st = L.states[p];
  State& s = st[static_cast<std::size_t>(c.index)];
  int sent[4] = {0, 0, 0, 0};
  if (s._N_POP < 1) return recordReference(L, p, c, sent);
  if (s.K <= 0) {
    s._N_POP = 0;
    return recordReference(L, p, c, sent);
  }
  bool eligible[4];
  float S = 0.0f;
  for (int d = 0; d < 4; ++d) {
    const cell* n = c.neighbours[d];
    eligible[d] = n != nullptr && n->isAccessible && st[static_cast<std::size_t>(n->index)].K > 0;
    if (!eligible[d]) continue;
    const float F = st[static_cast<std::size_t>(n->index)].F;
    eligible[d] = F > 0.0f && F < 1.0f;
    if (eligible[d]) S += 1.0f / F;
  }
  TRandom& random = L.context.random;
  int& seed = random.cellSeed();
  const int grown = static_cast<int>(
      random.poisson_dev(static_cast<float>(growDensityCapped(s, P.growthRate)), seed));
  s._N_POP = grown;
  if (S == 0.0f) return recordReference(L, p, c, sent);

  // Rates north, west, south, east; the table lists them north, east, south, west.
  float rate[4] = {0, 0, 0, 0};
  float T;
  if (P.ldd.perCellRates) {
    const TMigrationRates& m = L.tables.m(p)[c.migrationClass];
    const int fromTable[4] = {0, 3, 2, 1};
    for (int d = 0; d < 4; ++d) rate[d] = std::max(0.0f, m[static_cast<std::size_t>(fromTable[d])]);
    T = static_cast<float>(grown) * (rate[0] + rate[3] + rate[2] + rate[1]);
  } else {
    T = static_cast<float>(grown) * P.migrationRate;
  }
  TDistributionSettings binomial;
  binomial.set_type(TDistributionSettings::kBinomial);
  binomial.add_parameter(P.ldd.proportion);
  binomial.add_parameter(std::trunc(T));
  const int jumpers = static_cast<int>(std::trunc(random.sample(binomial, seed)));
  int placed = 0;
  for (int k = 0; k < jumpers; ++k) {
    const int target = referenceLddTarget(L, P, p, c);
    if (target < 0) continue;
    ++st[static_cast<std::size_t>(target)].BilanMigr;
    L.db->add_LDDMigrants(target, p, L.context.generation, c.index, 1);
    ++placed;
  }
  float h = T - static_cast<float>(placed);
  if (static_cast<int>(h) > 0) {
    if (P.ldd.perCellRates) {
      for (int d = 0; d < 4; ++d) {
        if (eligible[d]) {
          sent[d] = static_cast<int>(random.poisson_dev(static_cast<float>(grown) * rate[d], seed));
        }
      }
      // No more local emigrants than are left: the excess comes back from E, W, N, S.
      int excess = sent[0] + sent[1] + sent[2] + sent[3] - (grown - placed);
      for (const int d : {3, 1, 0, 2}) {
        while (excess > 0 && sent[d] > 0) {
          --sent[d];
          --excess;
        }
      }
    } else {
      float w[4] = {0, 0, 0, 0};
      for (int d = 0; d < 4; ++d) {
        if (eligible[d]) w[d] = 1.0f / (st[static_cast<std::size_t>(c.neighbours[d]->index)].F * S);
      }
      const int M = static_cast<int>(h);
      if (eligible[0]) {
        sent[0] = static_cast<int>(random.binomial_dev(w[0], M));
        h -= static_cast<float>(sent[0]);
      }
      if (eligible[1]) {
        sent[1] =
            static_cast<int>(random.binomial_dev(w[1] / (w[1] + w[2] + w[3]), static_cast<int>(h)));
        h -= static_cast<float>(sent[1]);
      }
      if (eligible[2]) {
        sent[2] = static_cast<int>(random.binomial_dev(w[2] / (w[2] + w[3]), static_cast<int>(h)));
        h -= static_cast<float>(sent[2]);
      }
      if (eligible[3]) sent[3] = static_cast<int>(h);
    }
  }
  s.BilanMigr -= sent[0] + sent[1] + sent[2] + sent[3] + placed;
  for (int d = 0; d < 4; ++d) {
    if (eligible[d]) st[static_cast<std::size_t>(c.neighbours[d]->index)].BilanMigr += sent[d];
  }
  recordReference(L, p, c, sent);
}

inline void referenceLddGeneration(DemographyLattice& L, const TDemographicParameters& P) {
  ++L.context.generation;
  for (const cell& c : L.cells) referenceLddCell(L, P, 0, c);
  referencePhaseTwo(L, 1);
}

// ---- two populations ----

inline int referenceWhole(float x, float& carry) {
  const float whole = std::floor(x);
  carry += x - whole;
  int n = static_cast<int>(whole);
  if (carry > 1.0f) {
    ++n;
    carry -= 1.0f;
  }
  return n;
}

inline void referenceCompetition(State& a, State& b, int& s1, int& s2, float r1, float r2,
                                 int competition) {
  const float n1 = s1 > 0 ? static_cast<float>(s1) + a._N_remainder : 0.0f;
  const float n2 = s2 > 0 ? static_cast<float>(s2) + b._N_remainder : 0.0f;
  float c21 = 0.0f, c12 = 0.0f;
  if (s1 > 0 && s2 > 0 && competition == 1) {
    c21 = n2 / (n1 + n2);
    c12 = n1 / (n1 + n2);
  } else if (s1 > 0 && s2 > 0 && competition == 2) {
    c21 = c12 = 1.0f;
  }
  float g1 = 0.0f, g2 = 0.0f;
  if (s1 > 0 && a.K > 0) {
    g1 = n1 * (1.0f + r1 * (static_cast<float>(a.K) - n1 - c21 * n2) / static_cast<float>(a.K));
  }
  if (s2 > 0 && b.K > 0) {
    g2 = n2 * (1.0f + r2 * (static_cast<float>(b.K) - n2 - c12 * n1) / static_cast<float>(b.K));
  }
  g1 = std::max(g1, 0.0f);
  g2 = std::max(g2, 0.0f);
  s1 = static_cast<int>(g1);
  s2 = static_cast<int>(g2);
  a._N_remainder = g1 - static_cast<float>(s1);
  b._N_remainder = g2 - static_cast<float>(s2);
}

struct TwoPopulationReference {
  std::vector<float> emigrantCarry[2];
};

inline void referenceTwoPopulationCell(DemographyLattice& L, const TDemographicParameters& P,
                                       TwoPopulationReference& R, int p, const cell& c) {
  const auto k = static_cast<std::size_t>(c.index);
  State& s1 = L.states[0][k];
  State& s2 = L.states[1][k];
  State& own = p == 0 ? s1 : s2;
  const TTwoPopulationParameters& two = P.twoPopulations;
  const bool assimilation = P.modelId <= 23;
  const int competition = (P.modelId - 21) % 3;
  int sent[4] = {0, 0, 0, 0};
  if (p == 1 && s2.K < 1) {
    s2._N_POP = 0;
    return recordReference(L, 1, c, sent);
  }
  const bool gate = own._N_POP >= two.delayedMigration * own.K;
  TGenerationRow row = L.db->generationRow(L.context.generation);
  int n;
  if (p == 0) {
    int g = s1._N_POP, h = s2._N_POP;
    if (assimilation) {
      if (g > 0 && h > 0 && s1.K > 0) {
        const float q = static_cast<float>(2.0 * g * h / ((g + h) * static_cast<double>(g + h)));
        int o = std::min(referenceWhole(two.exchangeRate[0] * g * q, s1.exchangeCarry[0]), g);
        int t = std::min(referenceWhole(two.exchangeRate[1] * h * q, s1.exchangeCarry[1]), h);
        g += t - o;
        h += o - t;
        row.set_migrBetweenDemes(c.index, 0, 1, o);
        row.set_migrBetweenDemes(c.index, 1, 0, t);
      }
      referenceCompetition(s1, s2, g, h, two.growthRate[0], two.growthRate[1], competition);
      s1._N_POP = s1.K < 1 ? 0 : g;
      s2._N_POP = h;
    } else {
      const int g0 = g, h0 = h;
      referenceCompetition(s1, s2, g, h, two.growthRate[0], two.growthRate[1], competition);
      s1._N_POP = s1.K < 1 ? 0 : g;
      s2._N_POP = h;
      if (g0 > 0 && h0 > 0 && s1.K >= 1) {
        const float all = 2.0f * g0 + 2.0f * h0;
        const float x12 = two.exchangeRate[0] * static_cast<float>(h) * g0 / all;
        const float x21 = two.exchangeRate[1] * static_cast<float>(g) * h0 / all;
        row.set_migrBetweenDemes(c.index, 0, 1,
                                 std::min(referenceWhole(x12, s1.exchangeCarry[0]), g0));
        row.set_migrBetweenDemes(c.index, 1, 0,
                                 std::min(referenceWhole(x21, s1.exchangeCarry[1]), h0));
      }
    }
    n = s1._N_POP;
  } else {
    n = s2._N_POP;
  }
  if (!gate || own.K <= 0) return recordReference(L, p, c, sent);
  std::vector<State>& st = L.states[p];
  bool eligible[4];
  float S = 0.0f;
  for (int d = 0; d < 4; ++d) {
    const cell* nb = c.neighbours[d];
    eligible[d] = nb != nullptr && st[static_cast<std::size_t>(nb->index)].K > 0;
    if (!eligible[d]) continue;
    const float F = st[static_cast<std::size_t>(nb->index)].F;
    eligible[d] = F > 0.0f && F < 1.0f;
    if (eligible[d]) S += 1.0f / F;
  }
  if (S == 0.0f) return recordReference(L, p, c, sent);
  float& carry = R.emigrantCarry[p][k];
  const double E = n * two.migrationRate[p] + carry;
  const double M = std::floor(E);
  carry = static_cast<float>(E - M);
  if (M > 0) {
    for (int d = 0; d < 4; ++d) {
      if (!eligible[d]) continue;
      const float w = 1.0f / (st[static_cast<std::size_t>(c.neighbours[d]->index)].F * S);
      const float b = static_cast<float>(M) * w;
      float x = std::floor(b);
      const float carried = (b - x) + own.migrantCarry[d];
      if (carried > 1.0f) {
        x += 1.0f;
        own.migrantCarry[d] = carried - 1.0f;
      } else {
        own.migrantCarry[d] = carried;
      }
      sent[d] = static_cast<int>(x);
    }
    while (sent[0] + sent[1] + sent[2] + sent[3] > n) {
      for (const int d : {3, 1, 0, 2}) {
        if (sent[d] >= 1) {
          --sent[d];
          break;
        }
      }
    }
  }
  own.BilanMigr -= sent[0] + sent[1] + sent[2] + sent[3];
  for (int d = 0; d < 4; ++d) {
    if (eligible[d]) st[static_cast<std::size_t>(c.neighbours[d]->index)].BilanMigr += sent[d];
  }
  recordReference(L, p, c, sent);
}

inline void referenceTwoPopulationGeneration(DemographyLattice& L, const TDemographicParameters& P,
                                             TwoPopulationReference& R) {
  ++L.context.generation;
  for (int p = 0; p < 2; ++p) {
    for (const cell& c : L.cells) {
      const auto k = static_cast<std::size_t>(c.index);
      if (L.states[0][k]._N_POP < 1 && L.states[1][k]._N_POP < 1) {
        const int zero[4] = {0, 0, 0, 0};
        recordReference(L, 0, c, zero);
        recordReference(L, 1, c, zero);
        continue;
      }
      referenceTwoPopulationCell(L, P, R, p, c);
    }
  }
  referencePhaseTwo(L, 2);
}

// ---- landscapes and comparison ----

inline const std::vector<std::string>& scatteredLandscape() {
  static const std::vector<std::string> land = {
      "xxxxxxxx", "xx.xxxxx", "xxxxx.xx", "xxxxxxxx", "x..xxxxx", "xxxxxxxx", "xxxxxxx.",
  };
  return land;
}

// Cells without capacity, closed and inaccessible cells, and a few settlements; the same for a
// given seed. Cells get migration classes 0 to 3.
inline void scatter(DemographyLattice& L, int populations, unsigned seed) {
  std::mt19937 gen(seed);
  std::uniform_int_distribution<int> percent(0, 99);
  const float frictions[] = {0.5f, 0.2f, 0.8f, 0.35f, 1.0f};
  for (int p = 0; p < populations; ++p) {
    for (State& s : L.states[p]) {
      s.K = percent(gen) < 8 ? 0 : 20 + percent(gen) * 3;
      s.F = frictions[percent(gen) % 5];
      s._N_POP = percent(gen) < 12 ? 1 + percent(gen) * 2 : 0;
    }
  }
  for (cell& c : L.cells) {
    c.isAccessible = percent(gen) >= 10;
    c.migrationClass = percent(gen) % 4;
  }
}

inline void expectSameWorld(DemographyLattice& a, DemographyLattice& b, int populations, int upTo) {
  for (int p = 0; p < populations; ++p) {
    for (std::size_t i = 0; i < a.cells.size(); ++i) {
      const State& x = a.states[p][i];
      const State& y = b.states[p][i];
      ASSERT_EQ(x._N_POP, y._N_POP) << "cell " << i << " population " << p;
      ASSERT_EQ(x.BilanMigr, y.BilanMigr);
      ASSERT_EQ(x._N_remainder, y._N_remainder);
      for (int d = 0; d < 4; ++d) ASSERT_EQ(x.migrantCarry[d], y.migrantCarry[d]);
      for (int e = 0; e < 2; ++e) ASSERT_EQ(x.exchangeCarry[e], y.exchangeCarry[e]);
      const int k = static_cast<int>(i);
      for (int t = 0; t <= upTo; ++t) {
        ASSERT_EQ(a.db->get_N(k, p, t), b.db->get_N(k, p, t)) << "cell " << i << " t " << t;
        for (FromSide side : {FromSide::North, FromSide::South, FromSide::East, FromSide::West}) {
          ASSERT_EQ(a.db->get_migrFromNeighbour(k, p, side, t),
                    b.db->get_migrFromNeighbour(k, p, side, t))
              << "cell " << i << " t " << t << " side " << static_cast<int>(side);
        }
        if (populations == 2) {
          ASSERT_EQ(a.db->get_migrBetweenDemes(k, p, 1 - p, t),
                    b.db->get_migrBetweenDemes(k, p, 1 - p, t))
              << "cell " << i << " t " << t;
        }
        std::vector<std::pair<int, int>> la, lb;
        for (const TLDDMigrant& m : a.db->get_LDDMigrants(k, p, t))
          la.push_back({m.sourceCell, m.count});
        for (const TLDDMigrant& m : b.db->get_LDDMigrants(k, p, t))
          lb.push_back({m.sourceCell, m.count});
        ASSERT_EQ(la, lb) << "cell " << i << " t " << t;
      }
    }
  }
  ASSERT_EQ(a.log.str(), b.log.str());
}

}  // namespace orvantis::testing
