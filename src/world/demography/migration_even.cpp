// Model 1, "One population with even number of migrants": a deterministic number of emigrants,
// n'·m, split among the eligible neighbours in proportion to their weights; the fractions are
// carried over, per direction, to later generations.

#include "world/demography/cell_demography.h"
#include "world/demography/engine.h"
#include "world/demography/migration_split.h"

namespace orvantis {

inline int TDemographicEngine::evenMigrants(int i, int p, TGenerationRow& row, float m) {
  State& source = states(p)[static_cast<std::size_t>(i)];
  const TMigrationPlan& plan = plans_[p][static_cast<std::size_t>(i)];
  if (source.K <= 0) {
    row.recordZeroMigrants(i, p);
    source._N_POP = 0;
    return 0;
  }
  const int grown = growDensity(source, parameters_.growthRate, plan.rOverK, sizeLimit_);
  source._N_POP = grown;
  if (!plan.hasEligibleNeighbour()) {
    row.recordZeroMigrants(i, p);
    return 0;
  }
  const float emigrants = static_cast<float>(grown) * m;
  if (!(emigrants >= 1.0f)) {
    // Nobody leaves; the carries wait for a larger population.
    row.recordZeroMigrants(i, p);
    return 0;
  }
  int sent[kDirectionCount];
  splitEvenly(emigrants, plan, source.migrantCarry, sent);
  book(p, i, source, plan, sent);
  record(row, p, i, sent);
  return 1;
}

// The routine of every occupied cell, in two passes: all growth first, then all emigration.
// Model 1 draws no random numbers and a cell's growth reads only its own size and remainder,
// never the balances that emigration writes, so the passes give exactly what running the
// routine cell after cell gives; separated, the cells' computations no longer wait on each
// other. A cell that held nobody, or whose K is 0, reaches the second pass with no individual
// and records zero emigrants, as an empty cell does.
void TDemographicEngine::phaseOneEven(int p, TGenerationRow& row, float m) {
  std::vector<State>& st = states(p);
  const std::vector<TMigrationPlan>& plans = plans_[p];
  const float r = parameters_.growthRate;
  for (const int i : occupied_[p]) {
    State& source = st[static_cast<std::size_t>(i)];
    if (source._N_POP < 1) continue;
    source._N_POP =
        source.K <= 0
            ? 0
            : growDensity(source, r, plans[static_cast<std::size_t>(i)].rOverK, sizeLimit_);
  }
  for (const int i : occupied_[p]) {
    State& source = st[static_cast<std::size_t>(i)];
    const TMigrationPlan& plan = plans[static_cast<std::size_t>(i)];
    const float emigrants = static_cast<float>(source._N_POP) * m;
    // Fewer than one emigrant: nobody leaves (NaN included).
    if (!plan.hasEligibleNeighbour() || !(emigrants >= 1.0f)) {
      row.recordZeroMigrants(i, p);
      continue;
    }
    int sent[kDirectionCount];
    splitEvenly(emigrants, plan, source.migrantCarry, sent);
    book(p, i, source, plan, sent);
    record(row, p, i, sent);
  }
}

int TDemographicEngine::iterateDensity_even_migrants(int cellIndex, int population) {
  if (plansStale_) refreshPlans();
  const int generation = space_.context->generation;
  TGenerationRow row = space_.database->generationRow(generation);
  return evenMigrants(cellIndex, population, row, parameters_.migrationRateAt(generation));
}

}  // namespace orvantis
