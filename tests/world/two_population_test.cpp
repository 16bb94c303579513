// Two populations in a cell: their joint growth, the exchanges between them under assimilation
// and hybridization, and the migration gate.

#include <gtest/gtest.h>

#include "demography_lattice.h"
#include "world/competition_growth.h"
#include "world/demographic_engine.h"

namespace orvantis {
namespace {

using testing::DemographyLattice;
using testing::runGenerations;

// P1 and P2 after one growth step from n and n with capacity K and r = 0.5.
std::pair<int, int> grownFrom(int n, int K, TCompetition competition) {
  State first;
  State second;
  first.K = second.K = K;
  int s1 = n;
  int s2 = n;
  growDensityCompetition(first, second, s1, s2, 0.5f, 0.5f, competition);
  return {s1, s2};
}

TEST(CompetitionGrowthTest, CompetitionSlowsOrReversesTheGrowth) {
  // 64·(1 + 0.5·64/128) without competition; each weighs half the other density-dependently:
  // 64·(1 + 0.5·32/128).
  EXPECT_EQ(grownFrom(64, 128, TCompetition::None), std::make_pair(80, 80));
  EXPECT_EQ(grownFrom(64, 128, TCompetition::DensityDependent), std::make_pair(72, 72));
  // Density-independent with K = 100 and 60 each: K − Ñ1 − Ñ2 < 0, both shrink to about 54.
  const auto [di1, di2] = grownFrom(60, 100, TCompetition::DensityIndependent);
  EXPECT_LT(di1, 60);
  EXPECT_GE(di1, 53);
  EXPECT_EQ(di1, di2);
}

// A cell alone, without growth, so that P1 and P2 hold 50 each at every exchange.
class LoneCellTest : public ::testing::Test {
 protected:
  LoneCellTest() : L({"x"}, 3, 2, 1000) {
    L.at(0, 0, 0)._N_POP = 50;
    L.at(0, 0, 1)._N_POP = 50;
  }
  int flow(int from, int to, int t) { return L.db->get_migrBetweenDemes(0, from, to, t); }
  DemographyLattice L;
};

TEST_F(LoneCellTest, AssimilationExchangesWholeIndividualsWithCarries) {
  // q = 2·50·50/100² = 0.5, x12 = x21 = 0.1·50·0.5 = 2.5.
  TDemographicEngine engine(L.space(),
                            L.twoPopulationParameters(21, 0.0f, 0.0f, 0.0, 0.0, 0.1f, 0.1f));
  ASSERT_EQ(runGenerations(L, engine, 3), 1);
  for (int t = 1; t <= 3; ++t) {
    const int expected = t < 3 ? 2 : 3;
    EXPECT_EQ(flow(0, 1, t), expected) << t;
    EXPECT_EQ(flow(1, 0, t), expected) << t;
    EXPECT_EQ(L.dbN(0, 0, t, 0), 50);
    EXPECT_EQ(L.dbN(0, 0, t, 1), 50);
  }
  EXPECT_FLOAT_EQ(L.at(0, 0, 0).exchangeCarry[0], 0.5f);
  EXPECT_EQ(L.log.str(), "");
}

TEST_F(LoneCellTest, AssimilationMovesTheDifferenceBetweenTheExchanges) {
  // x12 = 0.2·50·0.5 = 5 leave P1, x21 = 2.5 leave P2.
  TDemographicEngine engine(L.space(),
                            L.twoPopulationParameters(21, 0.0f, 0.0f, 0.0, 0.0, 0.2f, 0.1f));
  ASSERT_EQ(runGenerations(L, engine, 1), 1);
  EXPECT_EQ(flow(0, 1, 1), 5);
  EXPECT_EQ(flow(1, 0, 1), 2);
  EXPECT_EQ(L.dbN(0, 0, 1, 0), 47);
  EXPECT_EQ(L.dbN(0, 0, 1, 1), 53);
}

TEST_F(LoneCellTest, HybridizationRecordsTheFlowsButKeepsTheSizes) {
  // x12 = 0.2·50·50/200 = 2.5, x21 = 0.1·50·50/200 = 1.25.
  TDemographicEngine engine(L.space(),
                            L.twoPopulationParameters(24, 0.0f, 0.0f, 0.0, 0.0, 0.2f, 0.1f));
  ASSERT_EQ(runGenerations(L, engine, 3), 1);
  const int toP2[] = {2, 2, 3};
  const int toP1[] = {1, 1, 1};
  for (int t = 1; t <= 3; ++t) {
    EXPECT_EQ(flow(0, 1, t), toP2[t - 1]) << t;
    EXPECT_EQ(flow(1, 0, t), toP1[t - 1]) << t;
    EXPECT_EQ(L.dbN(0, 0, t, 0), 50);
    EXPECT_EQ(L.dbN(0, 0, t, 1), 50);
  }
}

// Sizes whose sum exceeds 46340 (2·g·h and (g + h)² beyond 32 bits) still give q = 0.5.
TEST(TwoPopulationTest, LargeSizesGiveTheRightIntermarriage) {
  DemographyLattice L({"x"}, 1, 2, 1000000);
  L.at(0, 0, 0)._N_POP = 40000;
  L.at(0, 0, 1)._N_POP = 40000;
  TDemographicEngine engine(L.space(),
                            L.twoPopulationParameters(21, 0.0f, 0.0f, 0.0, 0.0, 0.1f, 0.05f));
  ASSERT_EQ(runGenerations(L, engine, 1), 1);
  EXPECT_EQ(L.db->get_migrBetweenDemes(0, 0, 1, 1), 2000);
  EXPECT_EQ(L.db->get_migrBetweenDemes(0, 1, 0, 1), 1000);
  EXPECT_EQ(L.log.str(), "");
}

TEST(TwoPopulationTest, ACellHoldingOnlyP2) {
  for (const int model : {21, 23, 26}) {
    DemographyLattice L({"xx"}, 1, 2, 128);
    L.at(0, 0, 1)._N_POP = 64;
    TDemographicEngine engine(L.space(),
                              L.twoPopulationParameters(model, 0.5f, 0.5f, 0.2, 0.33, 0.1f, 0.1f));
    ASSERT_EQ(runGenerations(L, engine, 1), 1);
    // 64·(1 + 0.5·64/128) = 80 whatever the competition, then 0.33·80 = 26.4 leave: 26 to the
    // only neighbour and 0.4 carried.
    EXPECT_EQ(L.dbN(0, 0, 1, 0), 0) << model;
    EXPECT_EQ(L.dbN(0, 0, 1, 1), 54) << model;
    EXPECT_EQ(L.dbN(0, 1, 1, 1), 26) << model;
    EXPECT_EQ(L.db->get_migrBetweenDemes(0, 0, 1, 1), 0);
    EXPECT_EQ(L.db->get_migrBetweenDemes(0, 1, 0, 1), 0);
    EXPECT_NEAR(engine.emigrantCarry(1, 0), 0.4f, 1e-5f);
  }
}

// With DelayedMigration 0.5 a population emigrates only from half its K on, the size being
// taken at the start of its call (before the growth for P1, after it for P2).
TEST(TwoPopulationTest, DelayedMigrationHoldsBackSmallPopulations) {
  for (const int size : {49, 50}) {
    DemographyLattice L({"xx"}, 1, 2, 100);
    L.context.generation = 1;
    L.at(0, 0, 0)._N_POP = size;
    TDemographicParameters P = L.twoPopulationParameters(21, 0.5f, 0.5f, 0.5, 0.5, 0.0f, 0.0f);
    P.twoPopulations.delayedMigration = 0.5;
    TDemographicEngine engine(L.space(), P);
    engine.iterateDensity_assimilation(0, 0, TCompetition::None);
    EXPECT_GT(L.at(0, 0, 0)._N_POP, size);  // grown either way
    if (size < 50) {
      EXPECT_EQ(L.at(0, 1, 0).BilanMigr, 0);
    } else {
      EXPECT_GT(L.at(0, 1, 0).BilanMigr, 20);
    }
  }
}

TEST(TwoPopulationTest, EmigrantsNeverExceedTheSize) {
  // m = 1 plus carried fractions would send more than the cell holds: the excess comes back
  // from east first.
  DemographyLattice L({"xxx"}, 1, 2, 100);
  L.context.generation = 1;
  State& centre = L.at(0, 1, 0);
  centre._N_POP = 3;
  centre.migrantCarry[static_cast<int>(TDirection::West)] = 0.9f;
  centre.migrantCarry[static_cast<int>(TDirection::East)] = 0.9f;
  TDemographicEngine engine(L.space(),
                            L.twoPopulationParameters(21, 0.0f, 0.0f, 1.0, 1.0, 0.0f, 0.0f));
  engine.iterateDensity_assimilation(L.index(0, 1), 0, TCompetition::None);
  // 3 leave, 1.5 + 0.9 each way: 2 west and 2 east, one taken back from east.
  EXPECT_EQ(centre.BilanMigr, -3);
  EXPECT_EQ(L.at(0, 0, 0).BilanMigr, 2);
  EXPECT_EQ(L.at(0, 2, 0).BilanMigr, 1);
}

TEST(TwoPopulationTest, ATwoPopulationModelNeedsTwoPopulations) {
  DemographyLattice L({"xx"}, 1, 1);
  L.at(0, 0)._N_POP = 10;
  TDemographicEngine engine(L.space(),
                            L.twoPopulationParameters(25, 0.5f, 0.5f, 0.2, 0.2, 0.1f, 0.1f));
  EXPECT_EQ(runGenerations(L, engine, 1), 0);
  EXPECT_EQ(L.log.str(),
            "ERROR: {World::IterateCells()} [the two-population model 25 needs a world of two "
            "populations (DoublePopulationMode = 1)]\n");
}

}  // namespace
}  // namespace orvantis
