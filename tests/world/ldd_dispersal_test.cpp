// Long-distance dispersal: where the jumpers land, how many tries they get, and what stays local.

#include <gtest/gtest.h>

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
  int booked = 0;
  for (const auto& [target, from] : jumps) {
    EXPECT_EQ(from, L.index(4, 4));
    const cell& c = L.cells[static_cast<std::size_t>(target)];
    EXPECT_EQ(std::abs(c.row - 4) + std::abs(c.column - 4), 2);
    offsets.insert({c.row - 4, c.column - 4});
  }
  for (const State& s : L.states[0]) booked += s.BilanMigr > 0 ? s.BilanMigr : 0;
  EXPECT_EQ(offsets.size(), 8u);
  // Everyone jumped: the neighbours receive nobody, the targets every jumper.
  EXPECT_EQ(booked, static_cast<int>(jumps.size()));
  EXPECT_EQ(source.BilanMigr, -booked);
}

// Each model's rule on the target, checked at the moment of the jump: only the source changes
// sizes, so the sizes seen afterwards are those the jumps saw.
TEST(LddDispersalTest, EmptyOnlyAndOccupiedOnlyTargets) {
  for (const auto& [model, targets] :
       {std::pair{15, TLddTargets::EmptyOnly}, std::pair{55, TLddTargets::OccupiedOnly}}) {
    DemographyLattice L(square(15), 1, 1, 1000);
    L.context.generation = 1;
    for (int r = 0; r < 15; ++r) {
      for (int c = 0; c < 15; ++c) L.at(r, c)._N_POP = (r + c) % 3 == 0 ? 5 : 0;
    }
    TDemographicParameters P = L.lddParameters(model, 0.0f, 1.0f, 2.0, 0.3, 1.0);
    TDemographicEngine engine(L.space(), P);
    const int centre = L.index(7, 7);
    for (int call = 0; call < 20; ++call) {
      L.at(7, 7)._N_POP = 300;
      engine.iterateDensity_LDD(centre, 0, targets);
    }
    const std::vector<std::pair<int, int>> jumps = jumpsAt(L, 1);
    ASSERT_GT(jumps.size(), 100u) << model;
    for (const auto& [target, from] : jumps) {
      const int size = L.states[0][static_cast<std::size_t>(target)]._N_POP;
      if (model == 15) {
        EXPECT_EQ(size, 0) << "model 15 landed on an occupied cell";
      } else {
        EXPECT_GE(size, 1) << "model 55 landed on an empty cell";
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
  int left = 0;
  for (int call = 0; call < 50; ++call) {
    source._N_POP = 200;
    const int before = source.BilanMigr;
    engine.iterateDensity_LDD(L.index(1, 1), 0, TLddTargets::Any);
    const int sent = before - source.BilanMigr;
    EXPECT_EQ(sent, L.arrivals(0, 1, FromSide::South, 1) + L.arrivals(2, 1, FromSide::North, 1) +
                        L.arrivals(1, 0, FromSide::East, 1) + L.arrivals(1, 2, FromSide::West, 1));
    left += sent;
  }
  int received = 0;
  for (const auto& [r, c] : {std::pair{0, 1}, {2, 1}, {1, 0}, {1, 2}}) {
    received += L.at(r, c).BilanMigr;
  }
  EXPECT_EQ(received, left);
  EXPECT_GT(left, 50 * 40);  // about 0.4 of a capped, Poisson-drawn 200
  EXPECT_TRUE(jumpsAt(L, 1).empty());
}

// With the migration-rate map, a cell whose class the table does not list (rates -1) sends
// nobody, near or far; a listed class sends its own rates' share.
TEST(LddDispersalTest, UnlistedMigrationClassSendsNobody) {
  DemographyLattice L(square(7), 1, 1, 500);
  L.context.generation = 1;
  TDemographicParameters P = L.lddParameters(14, 0.5f, 0.4f, 1.5, 0.5, 0.5);
  P.ldd.perCellRates = true;
  L.tables.m(0).set(1, {0.1f, 0.1f, 0.1f, 0.1f});
  TDemographicEngine engine(L.space(), P);
  State& source = L.at(3, 3);
  L.cells[static_cast<std::size_t>(L.index(3, 3))].migrationClass = 2;  // not listed
  source._N_POP = 300;
  EXPECT_EQ(engine.iterateDensity_LDD(L.index(3, 3), 0, TLddTargets::Any), 0);
  EXPECT_EQ(source.BilanMigr, 0);
  L.cells[static_cast<std::size_t>(L.index(3, 3))].migrationClass = 1;
  source._N_POP = 300;
  EXPECT_EQ(engine.iterateDensity_LDD(L.index(3, 3), 0, TLddTargets::Any), 1);
  EXPECT_LT(source.BilanMigr, -40);
  EXPECT_FALSE(jumpsAt(L, 1).empty());
}

}  // namespace
}  // namespace orvantis
