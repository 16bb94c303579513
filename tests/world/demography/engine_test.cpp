#include "world/demography/engine.h"

#include <gtest/gtest.h>

#include <random>
#include <tuple>
#include <utility>
#include <vector>

#include "world/demography/lattice.h"

namespace orvantis {
namespace {

using testing::DemographyLattice;
using testing::runGenerations;

// The engine keeps the occupied cells, the cells that received immigrants and the migration
// plans from one generation to the next. An engine built afresh before every generation finds
// all of them again from the states, so a run must not depend on which of the two was used:
// a stale plan, a cell left out of a list or a list out of order (which changes the order of the
// random draws) shows up as a difference.

const std::vector<std::string> kLandscape = {
    "xxxxxxxx", "xx.xxxxx", "xxxxx.xx", "xxxxxxxx", "x..xxxxx", "xxxxxxxx", "xxxxxxx.",
};

// Cells without capacity, closed and inaccessible cells, a few settlements and migration classes
// 0 to 3 (class 2 unlisted, class 3 sending more than a cell holds); the same for a given seed.
void scatter(DemographyLattice& L, int populations, unsigned seed) {
  std::mt19937 gen(seed);
  std::uniform_int_distribution<int> percent(0, 99);
  for (int p = 0; p < populations; ++p) {
    for (State& s : L.states[p]) {
      s.K = percent(gen) < 8 ? 0 : 20 + percent(gen) * 3;
      s.F = 0.2f * static_cast<float>(1 + percent(gen) % 5);  // 1.0 closes the cell
      s._N_POP = percent(gen) < 12 ? 1 + percent(gen) * 2 : 0;
    }
  }
  for (cell& c : L.cells) {
    c.isAccessible = percent(gen) >= 10;
    c.migrationClass = percent(gen) % 4;
  }
  L.tables.m(0).set(0, {0.1f, 0.05f, 0.1f, 0.05f});
  L.tables.m(0).set(3, {0.5f, 0.6f, 0.4f, 0.3f});
  L.writeGenerationZero();
}

// The sizes, arrivals and jumps of generation t; the carries show in the later generations.
void expectSameWorld(DemographyLattice& a, DemographyLattice& b, int populations, int t) {
  for (int p = 0; p < populations; ++p) {
    for (int i = 0; i < static_cast<int>(a.cells.size()); ++i) {
      ASSERT_EQ(a.db->get_N(i, p, t), b.db->get_N(i, p, t)) << "cell " << i << " population " << p;
      for (FromSide side : {FromSide::North, FromSide::South, FromSide::East, FromSide::West}) {
        ASSERT_EQ(a.db->get_migrFromNeighbour(i, p, side, t),
                  b.db->get_migrFromNeighbour(i, p, side, t));
      }
      ASSERT_EQ(a.db->get_LDDMigrants(i, p, t).totalCount(),
                b.db->get_LDDMigrants(i, p, t).totalCount());
    }
  }
  ASSERT_EQ(a.log.str(), b.log.str());
}

// model, populations, four rates per cell (long-distance models)
using KeptCase = std::tuple<int, int, bool>;
class KeptEngineTest : public ::testing::TestWithParam<KeptCase> {};

TEST_P(KeptEngineTest, RunsLikeAnEngineBuiltAfreshEachGeneration) {
  const auto [model, populations, perCellRates] = GetParam();
  const int generations = 40;
  DemographyLattice kept(kLandscape, generations, populations);
  DemographyLattice fresh(kLandscape, generations, populations);
  scatter(kept, populations, 99);
  scatter(fresh, populations, 99);
  TDemographicParameters P = kept.parameters(model, 0.6f, 0.3f);
  if (model >= 14) {
    P = kept.lddParameters(model, 0.6f, 0.3f, 1.5, 0.5, 0.3);
    ASSERT_EQ(fresh.db->beginRun(true), 1);
    P.ldd.perCellRates = perCellRates;
    P.ldd.attempts = 4;
  }
  TDemographicEngine engine(kept.space(), P);
  for (int g = 1; g <= generations; ++g) {
    if (g == 15) {
      // A cell loses its capacity, one closes, one opens, one becomes inaccessible.
      for (DemographyLattice* L : {&kept, &fresh}) {
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
      // A new settlement far from the others, placed between two generations.
      for (DemographyLattice* L : {&kept, &fresh}) L->at(6, 0, populations - 1)._N_POP = 40;
      engine.populationsChanged();
    }
    ASSERT_EQ(runGenerations(kept, engine, 1), 1) << kept.log.str();
    TDemographicEngine rebuilt(fresh.space(), P);
    ASSERT_EQ(runGenerations(fresh, rebuilt, 1), 1);
    expectSameWorld(kept, fresh, populations, g);
  }
  EXPECT_GT(engine.occupiedCells(0), 10);
}

INSTANTIATE_TEST_SUITE_P(Models, KeptEngineTest,
                         ::testing::Values(KeptCase{1, 1, false}, KeptCase{2, 1, false},
                                           KeptCase{3, 2, false}, KeptCase{15, 1, true},
                                           KeptCase{55, 1, false}));

TEST(DemographicEngineTest, CarriedMigrantsBeyondTheSizeAreLoggedAndClamped) {
  DemographyLattice L({"xxx"}, 3);
  State& source = L.at(0, 1);
  source.K = 1;
  source._N_POP = 1;
  source.migrantCarry[static_cast<int>(TDirection::West)] = 0.6f;
  source.migrantCarry[static_cast<int>(TDirection::East)] = 0.6f;
  TDemographicEngine engine(L.space(), L.parameters(1, 0.5f, 1.0f));
  ASSERT_EQ(runGenerations(L, engine, 1), 1);
  // One individual, half a migrant each way plus 0.6 carried: one leaves in each direction.
  EXPECT_EQ(L.log.str(),
            "[Error in State::add_BilanMigr_to_N()]: _N_POP<0 when add_BilanMigr_to_N, _N_POP= "
            "-1\n  at generation 1 for cell 0;1\n");
  EXPECT_EQ(L.dbN(0, 1, 1), 0);
  EXPECT_EQ(L.dbN(0, 0, 1), 1);
  EXPECT_EQ(L.dbN(0, 2, 1), 1);
}

// An empty cell of one population must not erase the arrivals the other population recorded.
TEST(DemographicEngineTest, TwoPopulationsKeepEachOthersArrivals) {
  DemographyLattice L({"xx"}, 2, 2);
  L.at(0, 0, 0)._N_POP = 100;
  L.at(0, 1, 1)._N_POP = 100;
  TDemographicEngine engine(L.space(), L.parameters(1, 0.5f, 0.5f));
  ASSERT_EQ(runGenerations(L, engine, 1), 1);
  EXPECT_EQ(L.arrivals(0, 1, FromSide::West, 1, 0), 50);
  EXPECT_EQ(L.arrivals(0, 0, FromSide::East, 1, 1), 50);
}

// Model 1 and the long-distance models send nobody to an inaccessible neighbour; the others do.
TEST(DemographicEngineTest, OnlyModelOneAndTheLongDistanceModelsHonourAccessibility) {
  for (const int model : {1, 2, 3, 14, 21}) {
    SCOPED_TRACE(model);
    DemographyLattice L({"xx"}, 1, model == 21 ? 2 : 1);
    L.cells[1].isAccessible = false;
    L.at(0, 0)._N_POP = 100;
    const TDemographicParameters P =
        model == 14   ? L.lddParameters(14, 0.5f, 0.5f, 1.5, 0.5, 0.0)
        : model == 21 ? L.twoPopulationParameters(21, 0.5f, 0.5f, 0.5, 0.5, 0.0f, 0.0f)
                      : L.parameters(model, 0.5f, 0.5f);
    TDemographicEngine engine(L.space(), P);
    ASSERT_EQ(runGenerations(L, engine, 1), 1);
    EXPECT_EQ(L.arrivals(0, 1, FromSide::West, 1) > 0, model == 2 || model == 3 || model == 21);
  }
}

TEST(DemographicEngineTest, StochasticModelNeverSendsMoreThanTheCellHolds) {
  DemographyLattice L({"xxx", "xxx", "xxx"}, 1);
  L.context.generation = 1;
  TDemographicEngine engine(L.space(), L.parameters(3, 0.5f, 1.0f));
  State& centre = L.at(1, 1);
  for (int trial = 0; trial < 300; ++trial) {
    centre._N_POP = 1 + trial % 40;
    centre.BilanMigr = 0;
    engine.iterateDensity_binomial_migrants(L.index(1, 1), 0, true);
    EXPECT_LE(-centre.BilanMigr, centre._N_POP) << trial;
  }
}

TEST(DemographicEngineTest, UnknownModelIsRefused) {
  DemographyLattice L({"xx"}, 2);
  L.at(0, 0)._N_POP = 10;
  TDemographicEngine engine(L.space(), L.parameters(4, 0.5f, 0.5f));
  EXPECT_EQ(runGenerations(L, engine, 1), 0);
  EXPECT_EQ(L.log.str(),
            "ERROR: Problems with the choice of the demographic model in World::IterateCells() "
            "--> model 4 unknown!\n");
  ASSERT_EQ(L.window.boxes.size(), 1u);
  EXPECT_EQ(L.window.boxes[0].text, "The ID of the demographic model is not known!");
  EXPECT_EQ(L.window.boxes[0].caption, "ERROR: demographic model ID ");
}

}  // namespace
}  // namespace orvantis
