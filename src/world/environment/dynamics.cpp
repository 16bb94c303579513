#include "world/environment/dynamics.h"

#include <algorithm>
#include <climits>

#include "world/environment/tables.h"
#include "world/landscape/world.h"

namespace orvantis {
namespace {

// The date of the run in whole years.
int dateOf(const TRunContext& context) {
  return static_cast<int>(
      std::clamp(context.date, static_cast<double>(INT_MIN), static_cast<double>(INT_MAX)));
}

// Every cell above the sea, as construction left them, with their coasts.
void restoreSeaLevel(World& world) {
  bool submerged = false;
  for (cell& c : world.cells()) {
    submerged = submerged || !c.emerged;
    c.emerged = true;
  }
  if (submerged) world.computeCoast();
}

}  // namespace

bool TWorldEnvironment::neededBy(const World& world) {
  if (world.lgmInUse()) return true;
  const TDynamicTables& indexes = world.dynamicTables();
  for (int kind = 0; kind < TableKind::Count; ++kind) {
    if (indexes[kind].count() > 1) return true;
  }
  return false;
}

int TWorldEnvironment::atRunStart(World& world) {
  TExtendedSettings& settings = world.settings();
  generationTime_ = settings.intParameter(IntParam::GenerationTime, true);
  climateChangeTime_ = settings.intParameter(IntParam::DynamicVegetationChangeTime);
  sinceClimateUpdate_ = 0;
  std::fill(std::begin(nextEntry_), std::end(nextEntry_), 1);

  restoreSeaLevel(world);
  if (!restoreFirstTables(world)) return 0;
  if (!world.lgmInUse()) return 1;
  const int date = dateOf(world.context());
  for (int p = 0; p < world.numberOfPopulations(); ++p) {
    if (!world.GenerateVostok(date, p) || !world.ChangeGlobalK(p) || !world.ChangeGlobalF(p)) {
      return 0;
    }
  }
  return 1;
}

int TWorldEnvironment::atGeneration(World& world, bool& changed) {
  changed = false;
  if (world.lgmInUse()) {
    sinceClimateUpdate_ += generationTime_;
    if (sinceClimateUpdate_ >= climateChangeTime_) {
      sinceClimateUpdate_ = 0;
      if (!updateClimate(world)) return 0;
      changed = true;
    }
  }
  return switchTables(world, changed);
}

int TWorldEnvironment::updateClimate(World& world) {
  const int date = dateOf(world.context());
  world.updateSeaLevel(date);
  for (int p = 0; p < world.numberOfPopulations(); ++p) {
    if (!world.GenerateVostok(date, p) || !world.ChangeGlobalK(p) || !world.ChangeGlobalF(p)) {
      return 0;
    }
    // K and F are fresh from the matrices, so both kinds of factors apply once.
    world.applyCoastFactors(p);
    world.applyRiverFactors(p);
  }
  return 1;
}

int TWorldEnvironment::switchTables(World& world, bool& changed) {
  const long long generation = world.context().generation;
  const TDynamicTables& indexes = world.dynamicTables();
  for (int kind = 0; kind < TableKind::Count; ++kind) {
    const TDynamicTableIndex& index = indexes[kind];
    if (!index.inUse() || tableKindInfo(kind).population >= world.numberOfPopulations()) continue;
    // The table of generation G is in force from generation G + 1 on. An entry whose turn came
    // before the first generation (a negative G) takes effect at once rather than never, so it
    // cannot hold back the entries after it.
    int& next = nextEntry_[kind];
    while (next < index.count() &&
           static_cast<long long>(index.entry(next).generation) + 1 <= generation) {
      if (!switchDynamicTable(world, kind, next)) return 0;
      ++next;
      changed = true;
    }
  }
  return 1;
}

}  // namespace orvantis
