// Two populations in a cell: their joint growth, the exchanges between them under assimilation
// and hybridization, and the migration gate.

#include <gtest/gtest.h>

#include <vector>

#include "world/demography/competition_growth.h"
#include "world/demography/engine.h"
#include "world/demography/lattice.h"

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

// A cell alone holding n of each population. Assimilation without growth: q = 2·50·50/100² =
// 0.5, so rates 0.1 and 0.1 exchange 2.5 each way (2, 2, then 3 with the carries) and rates 0.2
// and 0.1 move 5 and 2.5. Hybridization records 0.2·50·50/200 = 2.5 and 1.25 as flows and keeps
// the sizes; with r = 0.5 both grow to 73 first, and the flows weigh the grown sizes:
// 0.2·73·50/200 = 3.65 and 0.1·73·50/200 = 1.825. Sizes of 40000, whose 2·g·h and (g + h)² lie
// beyond 32 bits, still give q = 0.5.
TEST(TwoPopulationTest, ExchangesOfAssimilationAndHybridization) {
  struct Case {
    int model, n, K;
    float r, toP2, toP1;
    std::vector<int> flowsToP2, flowsToP1;
    int sizeP1, sizeP2;  // after the generations of the flows
  };
  const Case cases[] = {
      {21, 50, 1000, 0.0f, 0.1f, 0.1f, {2, 2, 3}, {2, 2, 3}, 50, 50},
      {21, 50, 1000, 0.0f, 0.2f, 0.1f, {5}, {2}, 47, 53},
      {24, 50, 1000, 0.0f, 0.2f, 0.1f, {2, 2, 3}, {1, 1, 1}, 50, 50},
      {24, 50, 1000, 0.5f, 0.2f, 0.1f, {3}, {1}, 73, 73},
      {21, 40000, 1000000, 0.0f, 0.1f, 0.05f, {2000}, {1000}, 39000, 41000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.model);
    DemographyLattice L({"x"}, 3, 2, c.K);
    L.at(0, 0, 0)._N_POP = c.n;
    L.at(0, 0, 1)._N_POP = c.n;
    TDemographicEngine engine(
        L.space(), L.twoPopulationParameters(c.model, c.r, c.r, 0.0, 0.0, c.toP2, c.toP1));
    const int generations = static_cast<int>(c.flowsToP2.size());
    ASSERT_EQ(runGenerations(L, engine, generations), 1);
    for (int t = 1; t <= generations; ++t) {
      EXPECT_EQ(L.db->get_migrBetweenDemes(0, 0, 1, t), c.flowsToP2[t - 1]) << t;
      EXPECT_EQ(L.db->get_migrBetweenDemes(0, 1, 0, t), c.flowsToP1[t - 1]) << t;
    }
    EXPECT_EQ(L.dbN(0, 0, generations, 0), c.sizeP1);
    EXPECT_EQ(L.dbN(0, 0, generations, 1), c.sizeP2);
    EXPECT_EQ(L.log.str(), "");
  }
}

TEST(TwoPopulationTest, ACellHoldingOnlyP2) {
  for (const int model : {21, 23, 26}) {
    DemographyLattice L({"xxx"}, 2, 2, 128);
    L.at(0, 0, 1)._N_POP = 64;
    TDemographicEngine engine(L.space(),
                              L.twoPopulationParameters(model, 0.5f, 0.5f, 0.2, 0.33, 0.1f, 0.1f));
    ASSERT_EQ(runGenerations(L, engine, 2), 1);
    // 64·(1 + 0.5·64/128) = 80 whatever the competition, then 0.33·80 = 26.4 leave: 26 to the
    // only neighbour and 0.4 carried.
    EXPECT_EQ(L.dbN(0, 0, 1, 0), 0) << model;
    EXPECT_EQ(L.dbN(0, 0, 1, 1), 54) << model;
    EXPECT_EQ(L.dbN(0, 1, 1, 1), 26) << model;
    // Generation 2: 54 grow to 69.6 and send 0.33·69 + 0.4 carried = 23.17; the settled cell
    // takes part too: 26 grow to 36.36, 0.33·36 = 11.88 leave, 5.5 each way, so 5 go east.
    EXPECT_EQ(L.arrivals(0, 1, FromSide::West, 2, 1), 23) << model;
    EXPECT_EQ(L.arrivals(0, 2, FromSide::West, 2, 1), 5) << model;
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
    const int arrived = L.at(0, 1, 0).BilanMigr;
    EXPECT_TRUE(size < 50 ? arrived == 0 : arrived > 20) << arrived;
  }
}

}  // namespace
}  // namespace orvantis
