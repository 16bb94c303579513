#include "world/environment/tables.h"

#include "settings/dynamic_tables.h"
#include "world/landscape/world.h"

namespace orvantis {
namespace {

void resetTable(TConversionTables& tables, int kind) {
  const int population = tableKindInfo(kind).population;
  if (population >= tables.numberOfPopulations()) return;
  switch (kind) {
    case TableKind::K:
    case TableKind::K_P2:
      tables.K(population).reset();
      break;
    case TableKind::F:
    case TableKind::F_P2:
      tables.F(population).reset();
      break;
    case TableKind::m:
    case TableKind::m_P2:
      tables.m(population).reset();
      break;
    default:
      tables.admixture().reset();
      break;
  }
}

int readTable(World& world, int kind) {
  TDynamicTables& indexes = world.dynamicTables();
  if (readCurrentTable(kind, indexes, world.tables(), world.context().log)) return 1;
  const TDynamicTableIndex& index = indexes[kind];
  world.context().log << "ERROR: {World::SimulateWorld()} [cannot read the conversion table '"
                      << index.currentFile() << "' listed for generation "
                      << index.entry(index.currentEntry()).generation << "]" << std::endl;
  return 0;
}

}  // namespace

int switchDynamicTable(World& world, int kind, int entry) {
  makeTableEntryCurrent(world.settings(), world.dynamicTables(), kind, entry);
  if (!readTable(world, kind)) return 0;
  const int population = tableKindInfo(kind).population;
  switch (kind) {
    case TableKind::K:
      world.context().log << "\tRecomputing K in generation "
                          << world.dynamicTables()[kind].entry(entry).generation << "\n";
      world.recomputeKAfterTableSwitch(population);
      break;
    case TableKind::K_P2:
      world.recomputeKAfterTableSwitch(population);
      break;
    case TableKind::F:
    case TableKind::F_P2:
      world.recomputeFAfterTableSwitch(population);
      break;
    default:
      break;
  }
  return 1;
}

int restoreFirstTables(World& world) {
  TDynamicTables& indexes = world.dynamicTables();
  bool switched = false;
  for (int kind = 0; kind < TableKind::Count; ++kind) {
    if (!indexes[kind].inUse() || indexes[kind].currentEntry() == 0) continue;
    switched = true;
    resetTable(world.tables(), kind);
    makeTableEntryCurrent(world.settings(), indexes, kind, 0);
    if (!readTable(world, kind)) return 0;
  }
  if (!switched) return 1;
  for (int p = 0; p < world.numberOfPopulations(); ++p) {
    world.computeInitialFNonStochastic(p);
    world.computeK(p);
    world.applyCoastFactors(p);
    world.applyRiverFactors(p);
  }
  return 1;
}

}  // namespace orvantis
