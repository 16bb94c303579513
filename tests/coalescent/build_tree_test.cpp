// Whole genealogies walked generation by generation, checked after every step.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "walk_fixture.h"
#include "world/demography/simulate_world.h"

namespace orvantis {
namespace {

using testing::WalkTest;

class BuildTreeTest : public WalkTest {};

TEST_F(BuildTreeTest, LineagesInSeparateDemesNeverCoalesceUntilTheyMeet) {
  // Three cells that exchange nobody: the walk ends at the generation limit.
  keys["MaxNumGenerations"] = "50";
  buildWorld({"1 1 1"}, 100);
  for (int col = 0; col < 3; ++col) setSize(0, col, 50);
  auto c =
      prepare({sampleAt("a", 1, 0, 0, 0), sampleAt("b", 1, 0, 0, 1), sampleAt("c", 1, 0, 0, 2)});
  EXPECT_EQ(c->buildTree(1), 0);
  EXPECT_EQ(c->numCoalescences(), 0);
  EXPECT_EQ(c->stepCounter(), 49);
  EXPECT_CONTAINS(log.str(), "num_lineages = 3\n");
  expectCleanWalk();
  c->resetDemes();

  // Every individual of the middle cell came from the left one at generation 80: its lineage
  // joins the left one there, and the two coalesce in the left cell's 5 individuals.
  setting("MaxNumGenerations", "100000");
  setSize(0, 0, 5);
  setArrivals(0, 1, FromSide::West, 50, 0, 80, 80);
  auto two = prepare({sampleAt("a", 1, 0, 0, 0), sampleAt("b", 1, 0, 0, 1)});
  for (int g = 0; g < 20; ++g) {
    ASSERT_EQ(two->buildTree(1), 1) << log.str();
    const TNode& root = two->tree().node(two->tree().roots[0]);
    EXPECT_GE(root.time, 100 - 80 + 2);  // not before the step after they met
    EXPECT_EQ(root.locCell.front(), cellIndex(0, 0));
    EXPECT_EQ(two->tree().node(1).locTime[1], 79);  // the move, recorded at g - 1
    expectCleanWalk();
    two->resetDemes();
  }
}

TEST_F(BuildTreeTest, AGenerationLimitOfOneWalksNoStep) {
  keys["MaxNumGenerations"] = "1";
  buildWorld({"1"});
  setSize(0, 0, 30);
  auto c = prepare({sampleAt("a", 4, 0, 0, 0)});
  for (const bool oneSource : {false, true}) {
    log.str("");
    EXPECT_EQ(oneSource ? c->buildTreeOneOriginOneLayerRecombination(1) : c->buildTree(1), 0);
    EXPECT_EQ(log.str(), "num_lineages = 4\n");
    EXPECT_EQ(c->tree().numNodes(), 4);
    c->resetDemes();
  }
}

TEST_F(BuildTreeTest, AncientSamplesJoinAtTheirDateOrAreRefused) {
  buildWorld({"1"}, 10);
  setSize(0, 0, 1000);
  setSize(0, 0, 3, 0, 3, 3);  // exactly the size of the sample dated 3
  auto c = prepare({sampleAt("now", 2, 0, 0, 0), sampleAt("old", 2, 0, 0, 0, "5")});
  for (int g = 0; g < 30; ++g) {
    ASSERT_EQ(c->buildTree(1), 1) << log.str();
    const TTree& tree = c->tree();
    for (const TNodeRef tip : {2, 3}) {
      EXPECT_EQ(tree.node(tip).time, 6);  // the step of generation 5
      EXPECT_EQ(tree.node(tip).locTime.front(), 5);
      EXPECT_GE(tree.node(tree.node(tip).ancestor).time, 7);  // from the next step on
    }
    expectCleanWalk();
    c->resetDemes();
  }
  // A genealogy whose demes were not reset is refused, even when its lineages are all tips.
  ASSERT_EQ(c->buildTree(1), 1);
  EXPECT_EQ(c->buildTree(1), 0);
  EXPECT_CONTAINS(log.str(), "resetDemes must follow every genealogy");
  c->resetDemes();
  ASSERT_EQ(c->beginGenealogy(), 1);
  c->setWalkTime(7);
  ASSERT_EQ(c->demeAt(cellIndex(0, 0), 0)->moveLineage(0, cellIndex(0, 0), 0), 1);
  log.str("");
  EXPECT_EQ(c->buildTree(1), 0);
  EXPECT_CONTAINS(log.str(), "resetDemes must follow every genealogy");
  c->resetDemes();

  setting("MaxNumGenerations", "300");
  auto refused = prepare({sampleAt("now", 2, 0, 0, 0), sampleAt("old", 3, 0, 0, 0, "3")});
  EXPECT_EQ(refused->buildTree(1), 0);
  EXPECT_CONTAINS(log.str(),
                  "ERROR: Ancient sample old not added because not enough people in "
                  "this deme! (sample size = 3) (deme size = 3)\n");
  EXPECT_EQ(refused->ancientSamplesLeft(), 0);
  expectCleanWalk();
}

// A demography simulated forward on a small grid: every lineage of every genealogy follows the
// stored immigrants back to the source.
TEST_F(BuildTreeTest, WalksOverASimulatedExpansionFollowTheImmigrants) {
  keys["PopDensityFile"] = dir.write("sources.txt", "1\nOrigin 20 2.5 2.5 0 0 0 0 0 0\n");
  buildWorld({"1 1 1 1 1", "1 1 -9999 1 1", "1 1 1 1 1", "1 1 1 1 1", "1 1 1 1 1"}, 60);
  float seconds = 0;
  ASSERT_EQ(SimulateWorld(*world, seconds), 1) << log.str();
  auto c = prepare({sampleAt("a", 3, 0, 0, 0), sampleAt("b", 3, 0, 4, 4), sampleAt("c", 3, 0, 0, 4),
                    sampleAt("d", 3, 0, 2, 1)});
  for (int g = 0; g < 10; ++g) {
    ASSERT_EQ(c->buildTreeOneOriginOneLayerRecombination(g + 1), 1) << log.str();
    expectCleanWalk();
    c->resetDemes();
    ASSERT_EQ(c->buildTree(g + 1), 1) << log.str();
    expectCleanWalk();
    c->resetDemes();
  }
  EXPECT_GT(checker->moves.size(), 4u);
}

// One cell of N = 20 individuals: a pair coalesces with probability 1/N per generation, so the
// root's step counter is geometric with mean N.
TEST_F(BuildTreeTest, PairCoalescenceTimeInAConstantDeme) {
  constexpr int kN = 20;
  constexpr int kGenealogies = 4000;
  buildWorld({"1"}, 2000);
  setSize(0, 0, kN);
  addSource("Origin", 0, 0);
  auto c = prepare({sampleAt("a", 2, 0, 0, 0)});
  c->setWalkObserver(nullptr);
  for (const bool oneSource : {false, true}) {
    SCOPED_TRACE(oneSource);
    double sum = 0;
    for (int g = 0; g < kGenealogies; ++g) {
      const int result =
          oneSource ? c->buildTreeOneOriginOneLayerRecombination(1) : c->buildTree(1);
      ASSERT_EQ(result, 1);
      sum += c->tree().node(c->tree().roots[0]).time;
      c->resetDemes();
    }
    const double p = 1.0 / kN;
    const double se = std::sqrt((1 - p) / (p * p) / kGenealogies);
    EXPECT_NEAR(sum / kGenealogies, kN, 5 * se);
  }
}

// Two cells: the left one (1200 individuals) received 60 immigrants from the right one every
// generation, the right one (400) received 10 from the left. Backwards, a lineage of the left
// cell moves right with probability 60/1200 per generation, one of the right cell left with
// probability 10/400.
TEST_F(BuildTreeTest, LineagesCrossAtTheRateOfTheStoredArrivals) {
  keys["MaxNumGenerations"] = "3001";
  buildWorld({"1 1"}, 3000);
  setSize(0, 0, 1200);
  setSize(0, 1, 400);
  setArrivals(0, 0, FromSide::East, 60);
  setArrivals(0, 1, FromSide::West, 10);
  auto c = prepare({sampleAt("a", 2, 0, 0, 0)});
  for (int g = 0; g < 100; ++g) {
    (void)c->buildTree(1);
    expectCleanWalk();
    c->resetDemes();
  }
  const int left = cellIndex(0, 0);
  const int right = cellIndex(0, 1);
  const struct {
    int from, to;
    double p;
  } ways[] = {{left, right, 60.0 / 1200}, {right, left, 10.0 / 400}};
  for (const auto& way : ways) {
    const double n = static_cast<double>(checker->lineageSteps[way.from]);
    ASSERT_GT(n, 50000);
    const double rate = static_cast<double>(checker->moves[{way.from, way.to}]) / n;
    EXPECT_NEAR(rate, way.p, 5 * std::sqrt(way.p * (1 - way.p) / n));
  }
}

}  // namespace
}  // namespace orvantis
