#include "world/demography/migration_split.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "world/demography/migration_plan.h"

namespace orvantis {
namespace {

// One neighbour as the migration rules see it.
struct Neighbour4 {
  bool exists = true;
  int K = 100;
  float F = 0.5f;
  bool accessible = true;
};

// The plan of a source whose four neighbours are cells 1 to 4 of a small state array.
TMigrationPlan planFor(const Neighbour4 (&n)[4], TEligibility rule) {
  std::vector<State> states(5);
  std::vector<cell> cells(5);
  TNeighbourIndexes indexes{};
  states[0].K = 100;
  for (int d = 0; d < 4; ++d) {
    const auto j = static_cast<std::size_t>(d + 1);
    states[j].K = n[d].K;
    states[j].F = n[d].F;
    cells[j].isAccessible = n[d].accessible;
    indexes[static_cast<std::size_t>(d)] = n[d].exists ? d + 1 : -1;
  }
  return makeMigrationPlan(indexes, states[0], states, cells, rule, 0.5f);
}

TEST(EvenSplitTest, CarriesSendTheFirstMigrantInTheFifthGeneration) {
  const Neighbour4 n[4];
  const TMigrationPlan plan = planFor(n, TEligibility::RequireAccessible);
  float carry[4] = {0, 0, 0, 0};
  int sent[4];
  // E = 10 * 0.1 = 1, a quarter per direction: the carries reach 1.0 (not more) after four
  // generations.
  for (int generation = 1; generation <= 4; ++generation) {
    splitEvenly(10 * 0.1f, plan, carry, sent);
    for (int d = 0; d < 4; ++d) EXPECT_EQ(sent[d], 0) << generation;
  }
  EXPECT_FLOAT_EQ(carry[0], 1.0f);
  splitEvenly(10 * 0.1f, plan, carry, sent);
  for (int d = 0; d < 4; ++d) {
    EXPECT_EQ(sent[d], 1);
    EXPECT_FLOAT_EQ(carry[d], 0.25f);
  }
}

TEST(MigrationPlanTest, FrictionOutsideTheOpenUnitIntervalClosesANeighbour) {
  Neighbour4 n[4];
  n[0].F = 0.5f;   // north
  n[1].F = 1.0f;   // west: closed
  n[2].F = 0.0f;   // south: closed
  n[3].F = 0.25f;  // east
  TMigrationPlan plan = planFor(n, TEligibility::RequireAccessible);
  EXPECT_EQ(plan.eligible, 0b1001);
  // S = 2 + 4: weights 1/3 and 2/3.
  EXPECT_FLOAT_EQ(plan.weight[0], 1.0f / 3.0f);
  EXPECT_FLOAT_EQ(plan.weight[3], 2.0f / 3.0f);
  EXPECT_EQ(plan.weight[1], 0.0f);

  n[0].F = -0.3f;
  n[3].F = 1.2f;
  plan = planFor(n, TEligibility::RequireAccessible);
  EXPECT_FALSE(plan.hasEligibleNeighbour());
}
TEST(BinomialSplitTest, ASingleEligibleNeighbourReceivesEveryEmigrant) {
  std::ostringstream log;
  TRandom random(log);
  for (int only = 0; only < 4; ++only) {
    Neighbour4 n[4];
    for (int d = 0; d < 4; ++d) n[d].exists = d == only;
    const TMigrationPlan plan = planFor(n, TEligibility::IgnoreAccessibility);
    int sent[4];
    splitBinomially(37.6f, plan, random, sent);
    for (int d = 0; d < 4; ++d) EXPECT_EQ(sent[d], d == only ? 37 : 0) << only;
  }
}
}  // namespace
}  // namespace orvantis
