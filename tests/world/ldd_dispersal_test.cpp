// Long-distance dispersal: where the jumpers land, how many tries they get, and what stays local.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "demography_lattice.h"
#include "support/text_assertions.h"
#include "world/demographic_engine.h"

namespace orvantis {
namespace {

using testing::DemographyLattice;

std::vector<std::string> square(int side) {
  return std::vector<std::string>(static_cast<std::size_t>(side),
                                  std::string(static_cast<std::size_t>(side), 'x'));
}

// Every (target, source) pair of the long-distance lists of generation t.
std::vector<std::pair<int, int>> jumpsAt(const DemographyLattice& L, int t) {
  std::vector<std::pair<int, int>> jumps;
  for (int i = 0; i < L.db->numEntries(); ++i) {
    for (const TLDDMigrant& m : L.db->get_LDDMigrants(i, 0, t)) {
      for (int k = 0; k < m.count; ++k) jumps.push_back({i, m.sourceCell});
    }
  }
  return jumps;
}

// With the maximum distance 2 (LDD_max_treshold 0 or 1), every jump lands two steps away, in
// each of the eight cells that lie two steps away.
TEST(LddDispersalTest, MaximumDistanceTwoLandsEveryJumpTwoStepsAway) {
  DemographyLattice L(square(9), 1, 1, 1000);
  L.context.generation = 1;
  State& source = L.at(4, 4);
  TDemographicParameters P = L.lddParameters(14, 0.0f, 1.0f, 1.5, 1.0, 1.0);
  P.ldd.maxDistance = 2;
  TDemographicEngine engine(L.space(), P);
  source._N_POP = 400;
  engine.iterateDensity_LDD(L.index(4, 4), 0, TLddTargets::Any);
  std::set<std::pair<int, int>> offsets;
  const std::vector<std::pair<int, int>> jumps = jumpsAt(L, 1);
  ASSERT_GT(jumps.size(), 300u);
  for (const auto& [target, from] : jumps) {
    const cell& c = L.cells[static_cast<std::size_t>(target)];
    EXPECT_EQ(std::abs(c.row - 4) + std::abs(c.column - 4), 2);
    offsets.insert({c.row - 4, c.column - 4});
  }
  EXPECT_EQ(offsets.size(), 8u);
  // Everyone jumped: the source lost exactly the jumpers.
  EXPECT_EQ(source.BilanMigr, -static_cast<int>(jumps.size()));
}

// Each model's rule on the target, checked at the moment of the jump: only the source changes
// sizes, so the sizes seen afterwards are those the jumps saw. No model lands on a cell without
// capacity or an inaccessible one.
TEST(LddDispersalTest, TargetRulesOfTheThreeModels) {
  for (const auto& [model, targets] :
       {std::pair{14, TLddTargets::Any}, std::pair{15, TLddTargets::EmptyOnly},
        std::pair{55, TLddTargets::OccupiedOnly}}) {
    SCOPED_TRACE(model);
    DemographyLattice L(square(15), 1, 1, 1000);
    L.context.generation = 1;
    for (int r = 0; r < 15; ++r) {
      for (int c = 0; c < 15; ++c) {
        L.at(r, c)._N_POP = (r + c) % 3 == 0 ? 5 : 0;
        if ((r * 7 + c) % 5 == 0) L.at(r, c).K = 0;
        if ((r * 3 + c) % 7 == 0)
          L.cells[static_cast<std::size_t>(L.index(r, c))].isAccessible = false;
      }
    }
    L.at(7, 7).K = 1000;
    TDemographicEngine engine(L.space(), L.lddParameters(model, 0.0f, 1.0f, 2.0, 0.3, 1.0));
    for (int call = 0; call < 20; ++call) {
      L.at(7, 7)._N_POP = 300;
      engine.iterateDensity_LDD(L.index(7, 7), 0, targets);
    }
    const std::vector<std::pair<int, int>> jumps = jumpsAt(L, 1);
    ASSERT_GT(jumps.size(), 100u);
    for (const auto& [target, from] : jumps) {
      const State& s = L.states[0][static_cast<std::size_t>(target)];
      EXPECT_GT(s.K, 0);
      EXPECT_TRUE(L.cells[static_cast<std::size_t>(target)].isAccessible);
      if (model == 15) {
        EXPECT_EQ(s._N_POP, 0) << "model 15 landed on an occupied cell";
      } else if (model == 55) {
        EXPECT_GE(s._N_POP, 1) << "model 55 landed on an empty cell";
      }
    }
  }
}

// Draws a jump needs: the distance (one kernel value, as no maximum is set) and two uniforms.
void drawAttempts(TRandom& random, const TDistributionSettings& kernel, int attempts) {
  int seed = 1;
  for (int a = 0; a < attempts; ++a) {
    random.sample(kernel, seed);
    random.ran3(seed);
    random.ran3(seed);
  }
}

// A jumper from a lone cell finds nothing and uses all its attempts: one with LDDMaxNumTry 0,
// eleven by default. The generator then stands where that many attempts leave it.
TEST(LddDispersalTest, AJumperGetsTheExtraTriesPlusOne) {
  for (const int attempts : {1, 11}) {
    DemographyLattice L({"x"}, 1);
    TDemographicParameters P = L.lddParameters(14, 0.5f, 0.5f, 1.5, 0.5, 1.0);
    P.ldd.attempts = attempts;
    TDemographicEngine engine(L.space(), P);
    L.context.random.initialize_ran3(-5);
    EXPECT_EQ(engine.findLDDTarget(0, 0, TLddTargets::Any), -1);

    std::ostringstream log;
    TRandom replica(log, log);
    replica.initialize_ran3(-5);
    drawAttempts(replica, P.ldd.kernel, attempts);
    int a = 1;
    int b = 1;
    EXPECT_EQ(L.context.random.ran3(a), replica.ran3(b)) << attempts;
  }
}

// A maximum the kernel practically never draws below: the redraws stop, the attempt fails, and
// the log says so once.
TEST(LddDispersalTest, RedrawsAgainstTheMaximumAreBounded) {
  DemographyLattice L(square(5), 1);
  TDemographicParameters P = L.lddParameters(14, 0.5f, 0.5f, 50.0, 0.01, 1.0);
  P.ldd.maxDistance = 2;
  P.ldd.attempts = 3;
  TDemographicEngine engine(L.space(), P);
  EXPECT_EQ(engine.findLDDTarget(L.index(2, 2), 0, TLddTargets::Any), -1);
  EXPECT_EQ(engine.findLDDTarget(L.index(2, 2), 0, TLddTargets::Any), -1);
  EXPECT_EQ(L.log.str(),
            "WARNING: {cell::findLDDTarget()} [no jump distance of at most 2 cells "
            "(LDD_max_treshold) in 1000 draws of the kernel: the attempt fails]\n");
}

// Without jumpers the model is stochastic local migration: whatever leaves the source arrives
// in its neighbours, and the long-distance lists stay empty.
TEST(LddDispersalTest, ProportionZeroMigratesOnlyToTheNeighbours) {
  DemographyLattice L(square(3), 1, 1, 500);
  L.context.generation = 1;
  TDemographicEngine engine(L.space(), L.lddParameters(14, 0.5f, 0.4f, 1.5, 0.5, 0.0));
  State& source = L.at(1, 1);
  for (int call = 0; call < 50; ++call) {
    source._N_POP = 200;
    engine.iterateDensity_LDD(L.index(1, 1), 0, TLddTargets::Any);
  }
  int received = 0;
  for (const auto& [r, c] : {std::pair{0, 1}, {2, 1}, {1, 0}, {1, 2}}) {
    received += L.at(r, c).BilanMigr;
  }
  EXPECT_EQ(received, -source.BilanMigr);
  EXPECT_GT(received, 50 * 40);  // about 0.4 of a capped, Poisson-drawn 200
  EXPECT_TRUE(jumpsAt(L, 1).empty());
}

// With the migration-rate map a cell whose class the table does not list (rates -1) sends
// nobody, near or far; a listed class sends its own rates' share in each direction, and rates
// summing above 1
// never send more neighbours than the jumpers left in the cell.
TEST(LddDispersalTest, MigrationClassesOfTheRateMap) {
  DemographyLattice L(square(7), 1, 1, 500);
  L.context.generation = 1;
  TDemographicParameters P = L.lddParameters(14, 0.5f, 0.4f, 1.5, 0.5, 0.5);
  P.ldd.perCellRates = true;
  L.tables.m(0).set(1, {0.1f, 0.1f, 0.1f, 0.1f});
  L.tables.m(0).set(3, {0.5f, 0.6f, 0.4f, 0.3f});
  TDemographicEngine engine(L.space(), P);
  State& source = L.at(3, 3);
  int& migrationClass = L.cells[static_cast<std::size_t>(L.index(3, 3))].migrationClass;
  migrationClass = 2;  // not listed
  source._N_POP = 300;
  EXPECT_EQ(engine.iterateDensity_LDD(L.index(3, 3), 0, TLddTargets::Any), 0);
  EXPECT_EQ(source.BilanMigr, 0);
  migrationClass = 1;
  EXPECT_EQ(engine.iterateDensity_LDD(L.index(3, 3), 0, TLddTargets::Any), 1);
  EXPECT_LT(source.BilanMigr, -40);
  EXPECT_FALSE(jumpsAt(L, 1).empty());
  L.tables.m(0).set(4, {0.0f, 0.5f, 0.0f, 0.0f});  // north, east, south, west: east only
  migrationClass = 4;
  engine.iterateDensity_LDD(L.index(3, 3), 0, TLddTargets::Any);
  EXPECT_GT(L.arrivals(3, 4, FromSide::West, 1), 0);
  EXPECT_EQ(L.arrivals(3, 2, FromSide::East, 1), 0);
  EXPECT_EQ(L.arrivals(2, 3, FromSide::South, 1), 0);
  migrationClass = 3;
  for (int call = 0; call < 50; ++call) {
    source._N_POP = 1 + call;
    source.BilanMigr = 0;
    const auto before = jumpsAt(L, 1).size();
    engine.iterateDensity_LDD(L.index(3, 3), 0, TLddTargets::Any);
    const int placed = static_cast<int>(jumpsAt(L, 1).size() - before);
    EXPECT_LE(-source.BilanMigr - placed, std::max(0, source._N_POP - placed)) << call;
  }
}

}  // namespace
}  // namespace orvantis
