// Long-distance dispersal: where the jumpers land, how many tries they get, and what stays local.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "support/text_assertions.h"
#include "world/demography/engine.h"
#include "world/demography/lattice.h"

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
  EXPECT_EQ(source.BilanMigr, -static_cast<int>(jumps.size()));  // everyone jumped
  for (const auto& [target, from] : jumps) {
    const cell& c = L.cells[static_cast<std::size_t>(target)];
    EXPECT_EQ(std::abs(c.row - 4) + std::abs(c.column - 4), 2);
    offsets.insert({c.row - 4, c.column - 4});
  }
  EXPECT_EQ(offsets.size(), 8u);
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
      EXPECT_TRUE(model != 15 || s._N_POP == 0) << "model 15 landed on an occupied cell";
      EXPECT_TRUE(model != 55 || s._N_POP >= 1) << "model 55 landed on an empty cell";
    }
  }
}

// A jumper from a lone cell finds nothing and uses all its attempts: one with LDDMaxNumTry 0,
// eleven by default. The generator then stands where that many attempts leave it: each draws
// the distance (one kernel value, as no maximum is set) and two uniforms.
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
    int seed = 1;
    for (int a = 0; a < attempts; ++a) {
      replica.sample(P.ldd.kernel, seed);
      replica.ran3(seed);
      replica.ran3(seed);
    }
    int a = 1;
    EXPECT_EQ(L.context.random.ran3(a), replica.ran3(seed)) << attempts;
  }
}

// A maximum the kernel practically never draws below: the redraws stop, the attempt fails, and
// the log says so once.
TEST(LddDispersalTest, RedrawsAgainstTheMaximumAreBounded) {
  DemographyLattice L(square(5), 1);
  TDemographicParameters P = L.lddParameters(14, 0.5f, 0.5f, 50.0, 0.01, 1.0);
  P.ldd.maxDistance = 2;
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
  for (const auto& [r, c] : {std::pair{0, 1}, {2, 1}, {1, 0}, {1, 2}})
    received += L.at(r, c).BilanMigr;
  EXPECT_EQ(received, -source.BilanMigr);
  EXPECT_GT(received, 50 * 40);  // about 0.4 of a capped, Poisson-drawn 200
  EXPECT_TRUE(jumpsAt(L, 1).empty());
}

}  // namespace
}  // namespace orvantis
