#include "world/demographic_engine.h"

#include <algorithm>
#include <iterator>

#include "world/baird_rates.h"
#include "world/cell_demography.h"
#include "world/world.h"

namespace orvantis {

TDemeSpace demeSpaceOf(World& world) {
  TDemeSpace space;
  space.cells = &world.cells();
  space.populations = world.numberOfPopulations();
  for (int p = 0; p < space.populations; ++p) space.states[p] = &world.states(p);
  space.database = &world.database();
  space.context = &world.context();
  return space;
}

TDemographicParameters TDemographicParameters::fromSettings(const TExtendedSettings& settings) {
  TDemographicParameters parameters;
  parameters.modelId = settings.intParameter(IntParam::ChosenDemographicModel, true);
  parameters.endTime = settings.intParameter(IntParam::EndTime, true);
  parameters.growthRate = static_cast<float>(settings.realParameter(RealParam::GrowthRate, true));
  const double m = settings.realParameter(RealParam::MigrationRate, true);
  parameters.migrationRate = static_cast<float>(m);
  if (settings.efficientLattice())
    parameters.bairdRates = orvantis::bairdRates(m, parameters.endTime);
  return parameters;
}

TDemographicEngine::TDemographicEngine(const TDemeSpace& space, TDemographicParameters parameters)
    : space_(space),
      parameters_(std::move(parameters)),
      routine_(cellRoutineFor(parameters_.modelId)),
      eligibility_(routine_ == TCellRoutine::EvenMigrants ? TEligibility::RequireAccessible
                                                          : TEligibility::IgnoreAccessibility),
      cellCount_(static_cast<int>(space.cells->size())) {
  const auto cells = static_cast<std::size_t>(cellCount_);
  for (int p = 0; p < space_.populations; ++p) {
    plans_[p].resize(cells);
    occupied_[p].reserve(cells);
    touched_[p].reserve(cells);
    listed_[p].assign(cells, 0);
  }
  merged_.reserve(cells);
  populationsChanged();
}

void TDemographicEngine::populationsChanged() {
  for (int p = 0; p < space_.populations; ++p) {
    const std::vector<State>& st = states(p);
    std::vector<int>& occupied = occupied_[p];
    std::vector<std::uint8_t>& listed = listed_[p];
    occupied.clear();
    touched_[p].clear();
    for (int i = 0; i < cellCount_; ++i) {
      const bool present = st[static_cast<std::size_t>(i)]._N_POP >= 1;
      listed[static_cast<std::size_t>(i)] = present ? 1 : 0;
      if (present) occupied.push_back(i);
    }
  }
}

void TDemographicEngine::refreshPlans() {
  const std::vector<cell>& cells = *space_.cells;
  for (int p = 0; p < space_.populations; ++p) {
    const std::vector<State>& st = states(p);
    std::vector<TMigrationPlan>& plans = plans_[p];
    for (std::size_t i = 0; i < cells.size(); ++i) {
      plans[i] = makeMigrationPlan(neighbourIndexes(cells[i]), st[i], st, cells, eligibility_,
                                   parameters_.growthRate);
    }
  }
  plansStale_ = false;
}

const TMigrationPlan& TDemographicEngine::migrationPlan(int population, int cellIndex) {
  if (plansStale_) refreshPlans();
  return plans_[population][static_cast<std::size_t>(cellIndex)];
}

void TDemographicEngine::logUnknownModel() {
  TRunContext& context = *space_.context;
  context.log << "ERROR: Problems with the choice of the demographic model in World::IterateCells()"
              << " --> model " << parameters_.modelId << " unknown!\n";
  context.window.messageBox("The ID of the demographic model is not known!",
                            "ERROR: demographic model ID ");
}

int TDemographicEngine::iterateCells() {
  TRunContext& context = *space_.context;
  if (routine_ == TCellRoutine::None) {
    logUnknownModel();
    return 0;
  }
  const int generation = context.generation;
  StateDB& db = *space_.database;
  if (generation < 1 || generation > db.endTime() || generation > parameters_.endTime) {
    context.log << "ERROR: {World::IterateCells()} [generation " << generation
                << " lies outside the demographic database (generations 0 to " << db.endTime()
                << ")]" << std::endl;
    return 0;
  }
  if (plansStale_) refreshPlans();
  TGenerationRow row = db.generationRow(generation);
  const float m = parameters_.migrationRateAt(generation);
  // The same routine serves every population, one population after the other.
  for (int p = 0; p < space_.populations; ++p) {
    switch (routine_) {
      case TCellRoutine::EvenMigrants:
        phaseOneEven(p, row, m);
        break;
      case TCellRoutine::BinomialMigrants:
        phaseOneBinomial<false>(p, row, m);
        break;
      case TCellRoutine::StochasticMigrants:
        phaseOneBinomial<true>(p, row, m);
        break;
      case TCellRoutine::None:
        break;
    }
  }
  for (int p = 0; p < space_.populations; ++p) phaseTwo(p, row);
  return 1;
}

void TDemographicEngine::phaseTwo(int p, TGenerationRow& row) {
  TRunContext& context = *space_.context;
  const std::vector<cell>& cells = *space_.cells;
  std::vector<State>& st = states(p);
  std::vector<int>& occupied = occupied_[p];
  std::vector<int>& touched = touched_[p];
  std::vector<std::uint8_t>& listed = listed_[p];
  const int generation = context.generation;

  // Every other cell was empty and received nobody: its size stays 0, which the row holds.
  // Only occupied cells can end with a negative balance, and they are visited in list order.
  for (const int i : occupied) {
    const auto k = static_cast<std::size_t>(i);
    row.set_N(i, p, applyBalance(st[k], cells[k], generation, context.log));
  }
  for (const int j : touched) {
    const auto k = static_cast<std::size_t>(j);
    row.set_N(j, p, applyBalance(st[k], cells[k], generation, context.log));
  }

  // Occupied cells of the next generation, in list order.
  auto keepOccupied = [&](std::vector<int>& list) {
    std::size_t kept = 0;
    for (const int i : list) {
      if (st[static_cast<std::size_t>(i)]._N_POP >= 1) {
        list[kept++] = i;
      } else {
        listed[static_cast<std::size_t>(i)] = 0;
      }
    }
    list.resize(kept);
  };
  keepOccupied(occupied);
  keepOccupied(touched);
  if (!touched.empty()) {
    std::sort(touched.begin(), touched.end());
    merged_.clear();
    std::merge(occupied.begin(), occupied.end(), touched.begin(), touched.end(),
               std::back_inserter(merged_));
    occupied.swap(merged_);
    touched.clear();
  }
}

}  // namespace orvantis
