// Models 21 to 26: two populations, P1 and P2, grow together in every cell, with or without
// competition, exchange individuals and migrate to the neighbours. Under assimilation (21, 22,
// 23) the exchanged individuals change population before the growth; under hybridization (24,
// 25, 26) the populations grow first and the exchange is only recorded, as gene flow between
// them, for the coalescent. The exchanges of a cell are written to its flows between
// populations at the current generation.

#include <cmath>
#include <ostream>

#include "world/demography/competition_growth.h"
#include "world/demography/engine.h"
#include "world/demography/migration_split.h"

namespace orvantis {
namespace {

// The excess of the emigrants over the size that emigrates is taken back one individual at a
// time, each time from the first of east, west, north, south that still has one.
inline void removeExcess(int (&sent)[kDirectionCount], int size) {
  constexpr int kOrder[kDirectionCount] = {
      static_cast<int>(TDirection::East), static_cast<int>(TDirection::West),
      static_cast<int>(TDirection::North), static_cast<int>(TDirection::South)};
  int excess = sent[0] + sent[1] + sent[2] + sent[3] - (size > 0 ? size : 0);
  for (int k = 0; k < kDirectionCount && excess > 0; ++k) {
    int& x = sent[kOrder[k]];
    const int taken = x < excess ? x : excess;
    x -= taken;
    excess -= taken;
  }
}

// Probability that two individuals drawn from the cell belong to different populations,
// 2gh/(g + h)², in double precision so that large sizes give the right value.
inline double intermarriage(int g, int h) {
  const double sum = static_cast<double>(g) + static_cast<double>(h);
  return 2.0 * static_cast<double>(g) * static_cast<double>(h) / (sum * sum);
}

}  // namespace

int TDemographicEngine::twoPopulationMigrants(int i, int p, TGenerationRow& row, bool assimilation,
                                              TCompetition competition) {
  const auto k = static_cast<std::size_t>(i);
  State& first = states(0)[k];
  State& second = states(1)[k];
  State& own = p == 0 ? first : second;
  if (p == 1 && second.K < 1) {
    row.recordZeroMigrants(i, 1);
    second._N_POP = 0;
    return 0;
  }
  const TTwoPopulationParameters& two = parameters_.twoPopulations;
  // The gate: a population emigrates only if it held at least DelayedMigration·K at the start
  // of its call.
  const bool gateOpen =
      static_cast<double>(own._N_POP) >= two.delayedMigration * static_cast<double>(own.K);

  int n;
  if (p == 0) {
    int g = first._N_POP;
    int h = second._N_POP;
    if (assimilation) {
      if (g > 0 && h > 0 && first.K > 0) {
        const double q = intermarriage(g, h);
        if (q < 0.0 || q > 0.5) {
          space_.context->log << "ERROR:[cell::iterateDensity_competition_density_dependant]: "
                                 "Probality of intermariage has a wrong value: "
                              << q << ", new_density_P0: " << g << ", new_density_P1: " << h
                              << std::endl;
        }
        const float qf = static_cast<float>(q);
        const float x12 = two.exchangeRate[0] * static_cast<float>(g) * qf;
        const float x21 = two.exchangeRate[1] * static_cast<float>(h) * qf;
        int o = wholeWithCarry(x12, first.exchangeCarry[0]);
        int t = wholeWithCarry(x21, first.exchangeCarry[1]);
        if (o > g) o = g;
        if (t > h) t = h;
        g = g + t - o;
        h = h + o - t;
        row.set_migrBetweenDemes(i, 0, 1, o);
        row.set_migrBetweenDemes(i, 1, 0, t);
      }
      growDensityCompetition(first, second, g, h, two.growthRate[0], two.growthRate[1], competition,
                             sizeLimit_);
      first._N_POP = first.K < 1 ? 0 : g;
      second._N_POP = h;
    } else {
      const int g0 = g;
      const int h0 = h;
      growDensityCompetition(first, second, g, h, two.growthRate[0], two.growthRate[1], competition,
                             sizeLimit_);
      first._N_POP = first.K < 1 ? 0 : g;
      second._N_POP = h;
      if (g0 > 0 && h0 > 0 && first.K >= 1) {
        const float pairs = 2.0f * static_cast<float>(g0) + 2.0f * static_cast<float>(h0);
        const float x12 =
            two.exchangeRate[0] * static_cast<float>(h) * static_cast<float>(g0) / pairs;
        const float x21 =
            two.exchangeRate[1] * static_cast<float>(g) * static_cast<float>(h0) / pairs;
        int o = wholeWithCarry(x12, first.exchangeCarry[0]);
        int t = wholeWithCarry(x21, first.exchangeCarry[1]);
        if (o > g0) o = g0;
        if (t > h0) t = h0;
        row.set_migrBetweenDemes(i, 0, 1, o);
        row.set_migrBetweenDemes(i, 1, 0, t);
      }
    }
    n = first._N_POP;
  } else {
    n = second._N_POP;
  }

  int sent[kDirectionCount] = {0, 0, 0, 0};
  if (!gateOpen || own.K <= 0) {
    row.recordZeroMigrants(i, p);
    return 0;
  }
  const TMigrationPlan& plan = plans_[p][k];
  if (!plan.hasEligibleNeighbour()) {
    row.recordZeroMigrants(i, p);
    return 0;
  }
  float& carry = emigrantCarry_[p][k];
  const double emigrants = static_cast<double>(n) * two.migrationRate[p] + carry;
  const double whole = std::floor(emigrants);
  carry = static_cast<float>(emigrants - whole);
  if (whole > 0.0) {
    splitEvenly(static_cast<float>(whole), plan, own.migrantCarry, sent);
    removeExcess(sent, n);
  }
  book(p, i, own, plan, sent);
  record(row, p, i, sent);
  return sent[0] + sent[1] + sent[2] + sent[3] > 0 ? 1 : 0;
}

void TDemographicEngine::phaseOneTwoPopulations(TGenerationRow& row, bool assimilation) {
  const std::vector<State>& first = states(0);
  const std::vector<State>& second = states(1);
  for (int p = 0; p < 2; ++p) {
    for (const int i : either_) {
      const auto k = static_cast<std::size_t>(i);
      // A cell emptied by the growth sends nobody; its row already holds the zeros.
      if (first[k]._N_POP < 1 && second[k]._N_POP < 1) continue;
      twoPopulationMigrants(i, p, row, assimilation, competition_);
    }
  }
}

int TDemographicEngine::iterateDensity_assimilation(int cellIndex, int population,
                                                    TCompetition competition) {
  if (plansStale_) refreshPlans();
  TGenerationRow row = space_.database->generationRow(space_.context->generation);
  return twoPopulationMigrants(cellIndex, population, row, true, competition);
}

int TDemographicEngine::iterateDensity_hybridization(int cellIndex, int population,
                                                     TCompetition competition) {
  if (plansStale_) refreshPlans();
  TGenerationRow row = space_.database->generationRow(space_.context->generation);
  return twoPopulationMigrants(cellIndex, population, row, false, competition);
}

}  // namespace orvantis
