#include "world/demography/engine.h"

#include <algorithm>
#include <iterator>

#include "world/demography/cell_demography.h"
#include "world/landscape/world.h"

namespace orvantis {

TDemeSpace demeSpaceOf(World& world) {
  TDemeSpace space;
  space.cells = &world.cells();
  space.populations = world.numberOfPopulations();
  for (int p = 0; p < space.populations; ++p) space.states[p] = &world.states(p);
  space.database = &world.database();
  space.context = &world.context();
  space.tables = &world.tables();
  return space;
}

TDemographicEngine::TDemographicEngine(const TDemeSpace& space, TDemographicParameters parameters)
    : space_(space),
      parameters_(std::move(parameters)),
      routine_(cellRoutineFor(parameters_.modelId)),
      // Model 1 and the long-distance models send migrants only to accessible neighbours.
      eligibility_(routine_ == TCellRoutine::EvenMigrants || routine_ == TCellRoutine::LongDistance
                       ? TEligibility::RequireAccessible
                       : TEligibility::IgnoreAccessibility),
      lddTargets_(lddTargetsFor(parameters_.modelId)),
      competition_(competitionFor(parameters_.modelId)),
      cellCount_(static_cast<int>(space.cells->size())) {
  const auto cells = static_cast<std::size_t>(cellCount_);
  for (int p = 0; p < space_.populations; ++p) {
    plans_[p].resize(cells);
    occupied_[p].reserve(cells);
    touched_[p].reserve(cells);
    listed_[p].assign(cells, 0);
    emigrantCarry_[p].assign(cells, 0.0f);
  }
  merged_.reserve(cells);
  if (space_.populations == 2) either_.reserve(cells);
  if (routine_ == TCellRoutine::LongDistance) {
    gridRows_ = space_.database->nrows();
    gridColumns_ = space_.database->ncols();
    grid_.assign(static_cast<std::size_t>(gridRows_) * static_cast<std::size_t>(gridColumns_), -1);
    for (const cell& c : *space_.cells) {
      if (c.row < 0 || c.column < 0 || c.row >= gridRows_ || c.column >= gridColumns_) continue;
      grid_[static_cast<std::size_t>(c.row) * static_cast<std::size_t>(gridColumns_) +
            static_cast<std::size_t>(c.column)] = c.index;
    }
  }
  populationsChanged();
}

void TDemographicEngine::findCellsOfEitherPopulation() {
  either_.clear();
  if (space_.populations < 2) return;
  std::set_union(occupied_[0].begin(), occupied_[0].end(), occupied_[1].begin(), occupied_[1].end(),
                 std::back_inserter(either_));
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
  findCellsOfEitherPopulation();
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

// What the chosen model needs from the world beyond what every model needs.
bool TDemographicEngine::checkModelNeeds() {
  std::ostream& log = space_.context->log;
  const bool twoPopulations =
      routine_ == TCellRoutine::Assimilation || routine_ == TCellRoutine::Hybridization;
  if (twoPopulations && space_.populations != 2) {
    log << "ERROR: {World::IterateCells()} [the two-population model " << parameters_.modelId
        << " needs a world of two populations (DoublePopulationMode = 1)]" << std::endl;
    return false;
  }
  if (routine_ == TCellRoutine::LongDistance && parameters_.ldd.perCellRates &&
      space_.tables == nullptr) {
    log << "ERROR: {World::IterateCells()} [no migration table gives the rates of the cells]"
        << std::endl;
    return false;
  }
  return true;
}

int TDemographicEngine::iterateCells() {
  TRunContext& context = *space_.context;
  if (routine_ == TCellRoutine::None) {
    logUnknownModel();
    return 0;
  }
  if (!checkModelNeeds()) return 0;
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
      case TCellRoutine::LongDistance:
        phaseOneLdd(p, row);
        break;
      case TCellRoutine::Assimilation:
      case TCellRoutine::Hybridization:
      case TCellRoutine::None:
        break;
    }
  }
  // The two-population routines visit every cell holding either population, for P1 then P2.
  if (routine_ == TCellRoutine::Assimilation) phaseOneTwoPopulations(row, true);
  if (routine_ == TCellRoutine::Hybridization) phaseOneTwoPopulations(row, false);
  for (int p = 0; p < space_.populations; ++p) phaseTwo(p, row);
  findCellsOfEitherPopulation();
  if (sizeLimit_.count() > 0 && !sizeLimitWarned_) warnSizeLimit();
  if (lddRecordFailed_) {
    // The database already logged why; without the record the coalescent could not follow
    // the migrants, so the run stops.
    context.log << "ERROR: {World::IterateCells()} [a long-distance migration of generation "
                << generation << " could not be recorded]" << std::endl;
    return 0;
  }
  return 1;
}

void TDemographicEngine::warnSizeLimit() {
  sizeLimitWarned_ = true;
  space_.context->log << "WARNING: {World::IterateCells()} [generation "
                      << space_.context->generation << ": a number of " << sizeLimit_.firstValue()
                      << " individuals of one population in one cell lies beyond the "
                      << kMaxIndividuals
                      << " that a cell can hold, or is not a number; it is held within that "
                         "limit, as are later values without warning]"
                      << std::endl;
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
    row.set_N(i, p, applyBalance(st[k], cells[k], generation, context.log, sizeLimit_));
  }
  for (const int j : touched) {
    const auto k = static_cast<std::size_t>(j);
    row.set_N(j, p, applyBalance(st[k], cells[k], generation, context.log, sizeLimit_));
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
