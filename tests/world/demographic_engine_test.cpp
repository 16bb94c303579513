#include "world/demographic_engine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "demography_lattice.h"
#include "demography_reference.h"
#include "world/cell_demography.h"

namespace orvantis {
namespace {

using testing::DemographyLattice;
using testing::expectSameWorld;
using testing::recordReference;
using testing::runGenerations;
using testing::scatter;

// ---------------------------------------------------------------------------------------------
// A reference generation of models 1 to 3: the two-phase pass over every cell exactly as the
// rules read, nothing cached and nothing skipped (an empty cell records zero migrants for the
// population being iterated). The engine must give the same sizes, balances, carries and
// database rows. The other models' references are in demography_reference.h.

void referenceCell(DemographyLattice& L, int model, float r, float m, int p, const cell& c) {
  std::vector<State>& st = L.states[p];
  State& s = st[static_cast<std::size_t>(c.index)];
  int sent[4] = {0, 0, 0, 0};
  if (s._N_POP < 1) return recordReference(L, p, c, sent);
  if (s.K <= 0) {
    s._N_POP = 0;
    return recordReference(L, p, c, sent);
  }
  bool eligible[4];
  for (int d = 0; d < 4; ++d) {
    const cell* n = c.neighbours[d];
    eligible[d] = n != nullptr && st[static_cast<std::size_t>(n->index)].K > 0 &&
                  (model != 1 || n->isAccessible);
    if (eligible[d]) {
      const float F = st[static_cast<std::size_t>(n->index)].F;
      if (!(F > 0.0f && F < 1.0f)) eligible[d] = false;
    }
  }
  TRandom& random = L.context.random;
  int grown = growDensity(s, r);
  if (model == 3)
    grown = static_cast<int>(random.poisson_dev(static_cast<float>(grown), random.cellSeed()));
  s._N_POP = grown;
  float S = 0.0f;
  for (int d = 0; d < 4; ++d) {
    if (eligible[d]) S += 1.0f / st[static_cast<std::size_t>(c.neighbours[d]->index)].F;
  }
  if (S == 0.0f) return recordReference(L, p, c, sent);
  float w[4] = {0, 0, 0, 0};
  for (int d = 0; d < 4; ++d) {
    if (eligible[d]) w[d] = 1.0f / (st[static_cast<std::size_t>(c.neighbours[d]->index)].F * S);
  }
  if (model == 1) {
    const float E = static_cast<float>(grown) * m;
    if (std::trunc(E) <= 0.0f) return recordReference(L, p, c, sent);
    for (int d = 0; d < 4; ++d) {
      if (!eligible[d]) continue;
      const float b = w[d] * E;
      float x = std::floor(b);
      const float carried = (b - x) + s.migrantCarry[d];
      if (carried > 1.0f) {
        x += 1.0f;
        s.migrantCarry[d] = carried - 1.0f;
      } else {
        s.migrantCarry[d] = carried;
      }
      sent[d] = static_cast<int>(x);
    }
  } else {
    float h = static_cast<float>(grown) * m;
    if (model == 3) {
      h = std::trunc(random.poisson_dev(h, random.cellSeed()));
      if (h > static_cast<float>(grown)) h = static_cast<float>(grown);
    }
    const int M = static_cast<int>(h);
    if (M > 0) {
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
  s.BilanMigr -= sent[0] + sent[1] + sent[2] + sent[3];
  for (int d = 0; d < 4; ++d) {
    if (eligible[d]) st[static_cast<std::size_t>(c.neighbours[d]->index)].BilanMigr += sent[d];
  }
  recordReference(L, p, c, sent);
}

void referenceGeneration(DemographyLattice& L, int populations, int model, float r, float m) {
  ++L.context.generation;
  for (int p = 0; p < populations; ++p) {
    for (const cell& c : L.cells) referenceCell(L, model, r, m, p, c);
  }
  testing::referencePhaseTwo(L, populations);
}

class EngineMatchesReferenceTest : public ::testing::TestWithParam<std::tuple<int, int>> {};

TEST_P(EngineMatchesReferenceTest, OverAGrowingAndShrinkingColony) {
  const auto [model, populations] = GetParam();
  const float r = 0.6f;
  const float m = model == 1 ? 0.35f : 0.3f;
  const int generations = 40;
  DemographyLattice engineWorld(testing::scatteredLandscape(), generations, populations);
  DemographyLattice referenceWorld(testing::scatteredLandscape(), generations, populations);
  scatter(engineWorld, populations, 99);
  scatter(referenceWorld, populations, 99);
  engineWorld.writeGenerationZero();
  referenceWorld.writeGenerationZero();

  TDemographicEngine engine(engineWorld.space(), engineWorld.parameters(model, r, m));
  for (int g = 1; g <= generations; ++g) {
    if (g == 15) {
      // The environment changes: a few cells lose their capacity, one closes, one opens.
      for (DemographyLattice* L : {&engineWorld, &referenceWorld}) {
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
      for (DemographyLattice* L : {&engineWorld, &referenceWorld}) L->at(6, 0)._N_POP = 40;
      engine.populationsChanged();
    }
    ASSERT_EQ(runGenerations(engineWorld, engine, 1), 1);
    referenceGeneration(referenceWorld, populations, model, r, m);
    expectSameWorld(engineWorld, referenceWorld, populations, g);
  }
  EXPECT_GT(engine.occupiedCells(0), 10);
}

INSTANTIATE_TEST_SUITE_P(Models, EngineMatchesReferenceTest,
                         ::testing::Values(std::make_tuple(1, 1), std::make_tuple(2, 1),
                                           std::make_tuple(3, 1), std::make_tuple(1, 2),
                                           std::make_tuple(3, 2)));

// ---------------------------------------------------------------------------------------------
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
TEST(DemographicEngineTest, TwoPopulationsKeepEachOthersArrivals) {
  DemographyLattice L({"xx"}, 2, 2);
  L.at(0, 0, 0)._N_POP = 100;
  L.at(0, 1, 1)._N_POP = 100;
  TDemographicEngine engine(L.space(), L.parameters(1, 0.5f, 0.5f));
  ASSERT_EQ(runGenerations(L, engine, 1), 1);
  EXPECT_EQ(L.arrivals(0, 1, FromSide::West, 1, 0), 50);
  EXPECT_EQ(L.arrivals(0, 0, FromSide::East, 1, 1), 50);
  EXPECT_EQ(L.dbN(0, 1, 1, 0), 50);
  EXPECT_EQ(L.dbN(0, 0, 1, 1), 50);
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
TEST(DemographicEngineTest, ModelOneOnARowOfThreeCells) {
  DemographyLattice L({"xxx"}, 3);
  L.at(0, 0)._N_POP = 10;
  L.writeGenerationZero();
  TDemographicEngine engine(L.space(), L.parameters(1, 0.5f, 0.2f));
  ASSERT_EQ(runGenerations(L, engine, 3), 1);
  const int expected[4][3] = {{10, 0, 0}, {12, 2, 0}, {13, 6, 0}, {16, 11, 1}};
  for (int t = 0; t <= 3; ++t) {
    for (int c = 0; c < 3; ++c) EXPECT_EQ(L.dbN(0, c, t), expected[t][c]) << t << "," << c;
  }
  EXPECT_EQ(L.arrivals(0, 1, FromSide::West, 2), 4);
  EXPECT_EQ(L.arrivals(0, 1, FromSide::West, 3), 3);
  EXPECT_EQ(L.arrivals(0, 0, FromSide::East, 3), 1);
  EXPECT_EQ(L.arrivals(0, 2, FromSide::West, 3), 1);
  EXPECT_NEAR(L.at(0, 0).migrantCarry[static_cast<int>(TDirection::East)], 0.8f, 1e-4f);
}

}  // namespace
}  // namespace orvantis
