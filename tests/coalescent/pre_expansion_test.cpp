// Before the expansion: several sources with their own history, migration among them, their
// merger into one ancestral deme, and the gathering of a source spread over several cells.

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "walk_fixture.h"
#include "world/demography/simulate_world.h"

namespace orvantis {
namespace {

using testing::WalkTest;

class PreExpansionTest : public WalkTest {
 protected:
  // A row of three cells of 50 individuals at every generation (EndTime 3) that exchange
  // nobody, a source named A, B, C on each, and three genes sampled in each.
  std::unique_ptr<TDemeCollection> threeSources(std::array<int, 3> sizeBeforeExpansion = {},
                                                std::array<float, 3> migration = {},
                                                int bottleneck = 0, int sizeBeforeBottleneck = 0) {
    buildWorld({"1 1 1"}, 3);
    const char* names[3] = {"A", "B", "C"};
    for (int col = 0; col < 3; ++col) {
      setSize(0, col, 50);
      addSource(names[col], 0, col, sizeBeforeExpansion[static_cast<std::size_t>(col)],
                col == 0 ? bottleneck : 0, col == 0 ? sizeBeforeBottleneck : 0,
                migration[static_cast<std::size_t>(col)]);
    }
    return prepare(
        {sampleAt("a", 3, 0, 0, 0), sampleAt("b", 3, 0, 0, 1), sampleAt("c", 3, 0, 0, 2)});
  }
  int cellOf(int col) const { return cellIndex(0, col); }
};

TEST_F(PreExpansionTest, TauZeroMergesAtGenerationZeroWithoutMigration) {
  keys["TauValue"] = "0";
  keys["AncestralSize"] = "1000";
  auto c = threeSources({300, 400, 400}, {0.5f, 0.5f, 0.5f});
  const auto& steps = recordSteps();
  ASSERT_EQ(c->buildTree(1), 1) << log.str();
  EXPECT_CONTAINS(log.str(),
                  "\tAt generation 0 resizing of Source A to 300\n\tAt generation 0 (tau) "
                  "all remaining demes are merged in one single deme of size 1000\n");
  EXPECT_EQ(log.str().find("resizing of Source B"), std::string::npos);
  EXPECT_EQ(c->migrationEvents(), 0);
  ASSERT_NE(steps.at(-1), nullptr);
  EXPECT_EQ(steps.at(-1)->numDemes, 1);
  EXPECT_EQ(steps.sizeAt(-1, cellOf(0)), 1000);
  EXPECT_EQ(c->tree().node(c->tree().roots[0]).locCell.front(), cellOf(0));
  expectCleanWalk();
}

TEST_F(PreExpansionTest, ABottleneckOfDurationZeroSetsItsSizeAtGenerationZero) {
  keys["TauValue"] = "40";
  auto c = threeSources({300, 0, 0}, {0, 0, 0}, 0, 800);
  const auto& steps = recordSteps();
  ASSERT_EQ(c->buildTree(1), 1) << log.str();
  EXPECT_CONTAINS(log.str(),
                  "\tAt generation 0 resizing of Source A to 300\n\tAt generation 0 "
                  "resizing of Source A to 800\n");
  EXPECT_EQ(steps.sizeAt(-1, cellOf(0)), 800);
  EXPECT_EQ(steps.sizeAt(-39, cellOf(0)), 800);
  EXPECT_EQ(steps.sizeAt(-1, cellOf(1)), 50);  // no resize: the database's size at 0
  expectCleanWalk();
}

// Until generation -99 lineages move among the three demes at each source's rate; the step at
// -100 leaves them all in the first deme, of the ancestral size.
TEST_F(PreExpansionTest, ThreeSourcesMigrateThenMergeAtTau) {
  keys["TauValue"] = "100";
  keys["AncestralSize"] = "5000";
  auto c = threeSources({0, 0, 0}, {0.02f, 0.05f, 0.1f});
  const auto& steps = recordSteps();
  long moves = 0;
  for (int g = 0; g < 10; ++g) {
    ASSERT_EQ(c->buildTree(1), 1) << log.str();
    moves += c->migrationEvents();
    for (int d = -1; d > -100; --d) {
      if (const auto* step = steps.at(d)) {
        EXPECT_EQ(step->numDemes, 3) << d;
      }
    }
    if (const auto* after = steps.at(-101)) {
      EXPECT_EQ(after->numDemes, 1);
      EXPECT_EQ(after->demes.begin()->second.size, 5000);
    }
    expectCleanWalk();
    c->resetDemes();
  }
  EXPECT_GT(moves, 0);
  EXPECT_CONTAINS(log.str(),
                  "\tAt generation -100 (tau) all remaining demes are merged in one "
                  "single deme of size 5000\n");
}

// A source resized to 500 at generation 0 and to 5000 from 20 generations before it, in the
// walk of several sources and in the one-source walk of a recombining chromosome.
TEST_F(PreExpansionTest, ASourceKeepsItsHistoryBelowGenerationZero) {
  keys["TauValue"] = "1000";
  parametersText = "1\n#chromosome 1\n1\nMICROSAT 2 0.001 0.0005 0 0\n";
  for (const bool oneSource : {false, true}) {
    SCOPED_TRACE(oneSource);
    buildWorld({"1 1"}, 3);
    setSize(0, 0, 50);
    setSize(0, 1, 50);
    addSource("A", 0, 0, 500, 20, 5000);
    if (!oneSource) addSource("B", 0, 1);
    auto c = prepare(
        oneSource ? std::vector<std::string>{sampleAt("a", 6, 0, 0, 0)}
                  : std::vector<std::string>{sampleAt("a", 6, 0, 0, 0), sampleAt("b", 2, 0, 0, 1)});
    const auto& steps = recordSteps();
    log.str("");
    (void)(oneSource ? c->buildTreeOneOriginOneLayerRecombination(1) : c->buildTree(1));
    EXPECT_CONTAINS(log.str(), "\tAt generation 0 resizing of Source A to 500\n");
    EXPECT_CONTAINS(log.str(), "\tAt generation -20 resizing of Source A to 5000\n");
    for (int d = -1; d >= -60; --d) {
      const int size = steps.sizeAt(d, cellOf(0));
      if (size < 0) break;  // the genealogy ended
      EXPECT_EQ(size, d >= -20 ? 500 : 5000) << "at the start of step " << d;
    }
    ASSERT_NE(steps.at(-25), nullptr) << "the genealogy ended too early to see the bottleneck";
    expectCleanWalk();
  }
}

TEST_F(PreExpansionTest, AnAncestralSizeOfZeroTakesTheFirstDemesSizeAtGenerationZero) {
  keys["TauValue"] = "5";
  keys["AncestralSize"] = "0";
  auto c = threeSources();
  setSize(0, 0, 77, 0, 0, 0);
  ASSERT_EQ(c->buildTree(1), 1) << log.str();
  EXPECT_CONTAINS(log.str(),
                  "\tAt generation -5 (tau) all remaining demes are merged in one "
                  "single deme of size 77\n");
  expectCleanWalk();
}

// Sources A (first in the list, rate 1) and B (rate 0): lineages that move into B join it,
// although B has no migration of its own, and the merger at tau gathers everything.
TEST_F(PreExpansionTest, LineagesThatMovedIntoASourceWithoutMigrationJoinIt) {
  keys["TauValue"] = "20";
  buildWorld({"1 1"}, 3);
  setSize(0, 0, 50);
  setSize(0, 1, 50);
  addSource("A", 0, 0, 0, 0, 0, 1.0f);
  addSource("B", 0, 1);
  auto c = prepare({sampleAt("a", 4, 0, 0, 0), sampleAt("b", 1, 0, 0, 1)});
  const auto& steps = recordSteps();
  for (int g = 0; g < 5; ++g) {
    ASSERT_EQ(c->buildTree(1), 1) << log.str();
    // Each step moves every other lineage of A: after three steps A is empty.
    ASSERT_NE(steps.at(-3), nullptr);
    EXPECT_EQ(steps.at(-3)->demes.at(cellOf(0)).lineages, 0);
    expectCleanWalk();
    c->resetDemes();
  }
}

// Lineages in a cell that is no source (nobody came there): before the expansion its deme
// reads its size at generation 0 and sends nobody away, though the sources' migrants reach it.
TEST_F(PreExpansionTest, ADemeWithoutSourceReceivesButSendsNobody) {
  keys["TauValue"] = "100";
  keys["AncestralSize"] = "100";
  keys["MaxNumGenerations"] = "60";
  buildWorld({"1 1 1"}, 3);
  for (int col = 0; col < 3; ++col) setSize(0, col, 50);
  setSize(0, 1, 33, 0, 0, 0);
  addSource("A", 0, 0, 0, 0, 0, 1.0f);
  addSource("C", 0, 2, 0, 0, 0, 1.0f);
  auto c =
      prepare({sampleAt("a", 2, 0, 0, 0), sampleAt("m", 2, 0, 0, 1), sampleAt("c", 2, 0, 0, 2)});
  const auto& steps = recordSteps();
  (void)c->buildTree(1);
  EXPECT_EQ(steps.sizeAt(-1, cellOf(1)), 33);
  const auto moves = [&](int from, int to) { return checker->moves[{cellOf(from), cellOf(to)}]; };
  EXPECT_EQ(moves(1, 0) + moves(1, 2), 0);
  EXPECT_GT(moves(0, 1) + moves(2, 1), 0);
  expectCleanWalk();
}

// A source of 500 on a cell of K = 100 spreads its overflow over its four neighbours. With
// AllowSourcePopulationOverflow 0 the lineages in those cells go back to the source's cell at
// the end of generation 1, whose deme then holds the source's 500 individuals; without the key
// nothing is gathered.
TEST_F(PreExpansionTest, LineagesOfAnOverflowedSourceGatherInItsCell) {
  const auto samples = [this] {
    return std::vector<std::string>{sampleAt("n", 6, 0, 0, 1), sampleAt("s", 6, 0, 2, 1),
                                    sampleAt("corner", 2, 0, 0, 0)};
  };
  keys["MaxNumGenerations"] = "200";
  {
    // Without the key, a hand-written history with the overflow recorded: every cell of the
    // cross holds 100 individuals at every generation and nobody moves.
    buildWorld({"1 1 1", "1 1 1", "1 1 1"}, 2);
    for (int r = 0; r < 3; ++r) {
      for (int col = 0; col < 3; ++col) setSize(r, col, (r == 1) != (col == 1) || r == 1 ? 100 : 0);
    }
    setSize(0, 0, 10, 0, 1, 2);
    setArrivals(0, 0, FromSide::East, 10, 0, 1, 1);
    addSource("Origin", 1, 1);
    for (const auto& [r, col] :
         {std::pair{0, 1}, std::pair{1, 0}, std::pair{1, 2}, std::pair{2, 1}}) {
      world->cells()[static_cast<std::size_t>(cellIndex(r, col))].overflowSourceNumber[0] = 1;
    }
    auto c = prepare(samples());
    log.str("");
    EXPECT_EQ(c->buildTreeOneOriginOneLayerRecombination(1), 0);
    EXPECT_CONTAINS(log.str(), "the continuous-time finish needs them all in the source deme]\n");
    EXPECT_CONTAINS(log.str(), "num_lineages = ");
    expectCleanWalk();
  }

  keys["PopDensityFile"] = dir.write("sources.txt", "1\nOrigin 500 1.5 1.5 0 0 0 0 0 0\n");
  keys["AllowSourcePopulationOverflow"] = "0";
  buildWorld({"1 1 1", "1 1 1", "1 1 1"}, 2);
  float seconds = 0;
  ASSERT_EQ(SimulateWorld(*world, seconds), 1) << log.str();
  const int centre = cellIndex(1, 1);
  ASSERT_EQ(world->cellAt(0, 1)->overflowSourceNumber[0], 1);
  // A recombining chromosome shows the demes below generation 0.
  parametersText = "1\n#chromosome 1\n1\nMICROSAT 2 0.001 0.0005 0 0\n";
  auto c = prepare(samples());
  const auto& steps = recordSteps();
  checker->freeMovesFrom = 1;  // the gathering does not follow immigrants
  (void)c->buildTreeOneOriginOneLayerRecombination(1);
  const auto* atZero = steps.at(0);
  ASSERT_NE(atZero, nullptr);
  EXPECT_EQ(atZero->numDemes, 1);
  EXPECT_EQ(atZero->demes.begin()->first, centre);
  EXPECT_EQ(steps.sizeAt(-1, centre), 500);  // the source's whole size, kept below 0
  expectCleanWalk();

  parametersText.clear();
  auto plain = prepare(samples());
  checker->freeMovesFrom = 1;
  EXPECT_EQ(plain->buildTreeOneOriginOneLayerRecombination(1), 1) << log.str();
  expectCleanWalk();
}

}  // namespace
}  // namespace orvantis
