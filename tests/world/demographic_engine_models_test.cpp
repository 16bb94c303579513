// The engine against the reference generations of the long-distance and two-population models
// (demography_reference.h): same sizes, balances, remainders, carries, database rows, flows and
// long-distance lists, generation after generation, through changes of the environment and new
// settlements.

#include <gtest/gtest.h>

#include "demography_lattice.h"
#include "demography_reference.h"
#include "world/demographic_engine.h"

namespace orvantis {
namespace {

using testing::DemographyLattice;
using testing::expectSameWorld;
using testing::runGenerations;
using testing::scatter;
using testing::scatteredLandscape;

// Between two generations: a few cells lose their capacity, one closes, one opens, one becomes
// inaccessible (g = 15); a new settlement far from the others (g = 25).
void changeBetweenGenerations(int g, DemographyLattice& a, DemographyLattice& b, int populations,
                              TDemographicEngine& engine) {
  if (g == 15) {
    for (DemographyLattice* L : {&a, &b}) {
      for (int p = 0; p < populations; ++p) {
        L->at(3, 3, p).K = 0;
        L->at(5, 1, p).F = 1.0f;
        L->at(0, 7, p).K = 300;
      }
      L->cells[static_cast<std::size_t>(L->index(2, 2))].isAccessible = false;
    }
    engine.environmentChanged();
  }
  if (g == 25) {
    for (DemographyLattice* L : {&a, &b}) L->at(6, 0, populations - 1)._N_POP = 40;
    engine.populationsChanged();
  }
}

// model, four rates per cell, LDD_max_treshold (0 = none), LDDProportion
using LddCase = std::tuple<int, bool, int, double>;
class LddEngineMatchesReferenceTest : public ::testing::TestWithParam<LddCase> {};

TEST_P(LddEngineMatchesReferenceTest, OverAGrowingAndShrinkingColony) {
  const auto [model, perCellRates, maxDistance, proportion] = GetParam();
  const int generations = 40;
  DemographyLattice engineWorld(scatteredLandscape(), generations);
  DemographyLattice referenceWorld(scatteredLandscape(), generations);
  for (DemographyLattice* L : {&engineWorld, &referenceWorld}) {
    scatter(*L, 1, 7);
    // Class 2 is not listed (its rates read -1); class 3 sends more than the cell holds.
    L->tables.m(0).set(0, {0.1f, 0.05f, 0.1f, 0.05f});
    L->tables.m(0).set(1, {0.2f, 0.2f, 0.2f, 0.2f});
    L->tables.m(0).set(3, {0.5f, 0.6f, 0.4f, 0.3f});
    L->writeGenerationZero();
  }
  TDemographicParameters P = engineWorld.lddParameters(model, 0.6f, 0.3f, 1.5, 0.5, proportion);
  P.ldd.perCellRates = perCellRates;
  P.ldd.maxDistance = maxDistance;
  P.ldd.attempts = 4;
  TDemographicEngine engine(engineWorld.space(), P);
  long jumps = 0;
  for (int g = 1; g <= generations; ++g) {
    changeBetweenGenerations(g, engineWorld, referenceWorld, 1, engine);
    ASSERT_EQ(runGenerations(engineWorld, engine, 1), 1) << engineWorld.log.str();
    testing::referenceLddGeneration(referenceWorld, P);
    expectSameWorld(engineWorld, referenceWorld, 1, g);
    for (std::size_t i = 0; i < engineWorld.cells.size(); ++i) {
      jumps += engineWorld.db->get_LDDMigrants(static_cast<int>(i), 0, g).totalCount();
    }
  }
  EXPECT_GT(engine.occupiedCells(0), 10);
  if (proportion > 0) {
    EXPECT_GT(jumps, 0);
  } else {
    EXPECT_EQ(jumps, 0);
  }
}

INSTANTIATE_TEST_SUITE_P(Models, LddEngineMatchesReferenceTest,
                         ::testing::Values(LddCase{14, false, 0, 0.3}, LddCase{15, false, 0, 0.3},
                                           LddCase{55, false, 0, 0.5}, LddCase{14, true, 0, 0.3},
                                           LddCase{15, true, 3, 0.4}, LddCase{55, true, 0, 0.5},
                                           LddCase{14, false, 2, 0.3}, LddCase{14, false, 0, 0.0}));

// model, DelayedMigration
using TwoPopulationCase = std::tuple<int, double>;
class TwoPopulationEngineMatchesReferenceTest : public ::testing::TestWithParam<TwoPopulationCase> {
};

TEST_P(TwoPopulationEngineMatchesReferenceTest, OverTwoColoniesThatMeet) {
  const auto [model, gate] = GetParam();
  const int generations = 40;
  DemographyLattice engineWorld(scatteredLandscape(), generations, 2);
  DemographyLattice referenceWorld(scatteredLandscape(), generations, 2);
  for (DemographyLattice* L : {&engineWorld, &referenceWorld}) {
    scatter(*L, 2, 11);
    L->writeGenerationZero();
  }
  TDemographicParameters P =
      engineWorld.twoPopulationParameters(model, 0.6f, 0.4f, 0.35, 0.25, 0.1f, 0.2f);
  P.twoPopulations.delayedMigration = gate;
  TDemographicEngine engine(engineWorld.space(), P);
  testing::TwoPopulationReference R;
  for (auto& carry : R.emigrantCarry) carry.assign(referenceWorld.cells.size(), 0.0f);
  long flows = 0;
  for (int g = 1; g <= generations; ++g) {
    changeBetweenGenerations(g, engineWorld, referenceWorld, 2, engine);
    ASSERT_EQ(runGenerations(engineWorld, engine, 1), 1) << engineWorld.log.str();
    testing::referenceTwoPopulationGeneration(referenceWorld, P, R);
    expectSameWorld(engineWorld, referenceWorld, 2, g);
    for (int p = 0; p < 2; ++p) {
      for (std::size_t i = 0; i < engineWorld.cells.size(); ++i) {
        ASSERT_EQ(engine.emigrantCarry(p, static_cast<int>(i)), R.emigrantCarry[p][i]);
        flows += engineWorld.db->get_migrBetweenDemes(static_cast<int>(i), p, 1 - p, g);
      }
    }
  }
  EXPECT_GT(engine.occupiedCells(0), 5);
  EXPECT_GT(engine.occupiedCells(1), 5);
  EXPECT_GT(flows, 0);
}

INSTANTIATE_TEST_SUITE_P(Models, TwoPopulationEngineMatchesReferenceTest,
                         ::testing::Values(TwoPopulationCase{21, 0.0}, TwoPopulationCase{22, 0.0},
                                           TwoPopulationCase{23, 0.0}, TwoPopulationCase{24, 0.0},
                                           TwoPopulationCase{25, 0.0}, TwoPopulationCase{26, 0.0},
                                           TwoPopulationCase{22, 0.5}, TwoPopulationCase{25, 0.5}));

}  // namespace
}  // namespace orvantis
