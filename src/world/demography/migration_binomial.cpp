// Models 2 and 3, "One population with absolute number of migrants" and "... with stochastic
// number of migrants": the emigrants are split among the eligible neighbours by successive
// binomial draws. Model 3 also draws the grown size and the number of emigrants from Poisson
// distributions, and never lets more individuals leave than the cell holds.

#include "world/demography/cell_demography.h"
#include "world/demography/engine.h"
#include "world/demography/migration_split.h"

namespace orvantis {

template <bool kStochastic>
inline int TDemographicEngine::binomialMigrants(int i, int p, TGenerationRow& row, float m) {
  State& source = states(p)[static_cast<std::size_t>(i)];
  const TMigrationPlan& plan = plans_[p][static_cast<std::size_t>(i)];
  if (source.K <= 0) {
    row.recordZeroMigrants(i, p);
    source._N_POP = 0;
    return 0;
  }
  TRandom& random = space_.context->random;
  int& seed = random.cellSeed();
  int grown = growDensity(source, parameters_.growthRate, plan.rOverK, sizeLimit_);
  if constexpr (kStochastic) {
    grown = sizeLimit_.whole(random.poisson_dev(static_cast<float>(grown), seed));
  }
  source._N_POP = grown;
  if (!plan.hasEligibleNeighbour()) {
    row.recordZeroMigrants(i, p);
    return 0;
  }
  float emigrants = static_cast<float>(grown) * m;
  if constexpr (kStochastic) {
    const int drawn = sizeLimit_.whole(random.poisson_dev(emigrants, seed));
    emigrants = static_cast<float>(drawn > grown ? grown : drawn);
  }
  int sent[kDirectionCount];
  splitBinomially(emigrants, plan, random, sent);
  book(p, i, source, plan, sent);
  record(row, p, i, sent);
  return emigrants >= 1.0f ? 1 : 0;
}

template <bool kStochastic>
void TDemographicEngine::phaseOneBinomial(int p, TGenerationRow& row, float m) {
  const std::vector<State>& st = states(p);
  for (const int i : occupied_[p]) {
    if (st[static_cast<std::size_t>(i)]._N_POP < 1) continue;
    binomialMigrants<kStochastic>(i, p, row, m);
  }
}

template void TDemographicEngine::phaseOneBinomial<false>(int, TGenerationRow&, float);
template void TDemographicEngine::phaseOneBinomial<true>(int, TGenerationRow&, float);

int TDemographicEngine::iterateDensity_binomial_migrants(int cellIndex, int population,
                                                         bool stochastic) {
  if (plansStale_) refreshPlans();
  const int generation = space_.context->generation;
  TGenerationRow row = space_.database->generationRow(generation);
  const float m = parameters_.migrationRateAt(generation);
  return stochastic ? binomialMigrants<true>(cellIndex, population, row, m)
                    : binomialMigrants<false>(cellIndex, population, row, m);
}

}  // namespace orvantis
