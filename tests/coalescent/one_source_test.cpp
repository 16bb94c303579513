// The walk of one population spreading from one source, and its finish below generation 0: in
// continuous time for a chromosome that does not recombine, generation by generation otherwise.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "walk_fixture.h"

namespace orvantis {
namespace {

using testing::WalkTest;

constexpr const char* kTwoLinkedLoci = "1\n#chromosome 1\n1\nMICROSAT 2 0.001 0.0005 0 0\n";

class OneSourceTest : public WalkTest {
 protected:
  // One cell holding the source, EndTime 1: `huge` individuals at generation 1 (no coalescence
  // there to speak of) and `atZero` at generation 0; `genes` sampled.
  std::unique_ptr<TDemeCollection> sourceCell(int genes, int atZero, int sizeBeforeExpansion = 0,
                                              int bottleneck = 0, int sizeBeforeBottleneck = 0,
                                              int huge = 100000000) {
    buildWorld({"1"}, 1);
    setSize(0, 0, huge);
    setSize(0, 0, atZero, 0, 0, 0);
    addSource("Origin", 0, 0, sizeBeforeExpansion, bottleneck, sizeBeforeBottleneck);
    return prepare({sampleAt("a", genes, 0, 0, 0)});
  }
};

TEST_F(OneSourceTest, TheContinuousTimeFinishMakesTheLastNodeEveryRoot) {
  parametersText = "1\n#chromosome 1\n1\nMICROSAT 3 0 0.0005 0 0\n";
  auto c = sourceCell(6, 200);
  log.str("");
  ASSERT_EQ(c->buildTreeOneOriginOneLayerRecombination(1), 1) << log.str();
  EXPECT_EQ(log.str(), "\tEntering continuous time function (saving time)!\n");
  const TTree& tree = c->tree();
  ASSERT_EQ(tree.numNodes(), 11);
  const TNodeRef last = 10;
  EXPECT_EQ(tree.roots, (std::vector<TNodeRef>{last, last, last}));
  EXPECT_EQ(tree.node(last).demeNumber, 0);
  EXPECT_EQ(c->totalLineages(), 1);
  // Event times follow each other; each node records the source's cell at generation -T.
  for (TNodeRef r = 6; r < 11; ++r) {
    const TNode& n = tree.node(r);
    EXPECT_GE(n.time, 2);
    if (r > 6) {
      EXPECT_GE(n.time, tree.node(r - 1).time);
    }
    EXPECT_EQ(n.locCell, (std::vector<int>{cellIndex(0, 0)}));
    EXPECT_EQ(n.locTime, (std::vector<int>{2 - n.time}));
  }
  EXPECT_EQ(c->stepCounter(), tree.node(last).time - 1);
  expectCleanWalk();
}

// A bottleneck to a smaller size than before the expansion: the integer quotient of the sizes
// is 0, so every event later than R generations before generation 0 falls exactly at R.
TEST_F(OneSourceTest, ABottleneckToASmallerSizeStopsTheClockAtItsStart) {
  auto c = sourceCell(10, 50, 1000, 10, 800);
  int stopped = 0;
  for (int g = 0; g < 20; ++g) {
    log.str("");
    ASSERT_EQ(c->buildTreeOneOriginOneLayerRecombination(1), 1) << log.str();
    EXPECT_CONTAINS(log.str(),
                    "\tAt generation 0 resizing of Source Origin to 1000\n\tAt "
                    "generation -10 resizing of Source Origin to 800\n");
    const std::vector<int> times = internalTimes(c->tree());
    ASSERT_EQ(times.size(), 9u);
    const int root = *std::max_element(times.begin(), times.end());
    EXPECT_LE(root, 2 + 10);
    stopped += root == 2 + 10;
    expectCleanWalk();
    c->resetDemes();
  }
  // With 10 lineages in 1000 individuals the root would be older than 10 generations.
  EXPECT_EQ(stopped, 20);
}

TEST_F(OneSourceTest, GenealogiesThatCannotEndInContinuousTime) {
  // Lineages in two cells at generation 0.
  buildWorld({"1 1"}, 3);
  setSize(0, 0, 50);
  setSize(0, 1, 50);
  addSource("Origin", 0, 0);
  auto twoDemes = prepare({sampleAt("a", 3, 0, 0, 0), sampleAt("b", 2, 0, 0, 1)});
  log.str("");
  EXPECT_EQ(twoDemes->buildTreeOneOriginOneLayerRecombination(1), 0);
  EXPECT_CONTAINS(log.str(), "lineages left to coalesce: ");
  EXPECT_CONTAINS(log.str(),
                  " in 2 demes; the continuous-time finish needs them all in the "
                  "source deme]\n");
  EXPECT_CONTAINS(log.str(), "num_lineages = ");
  expectCleanWalk();
  twoDemes->resetDemes();

  // The generation limit reached before generation 0: the walk ends there, unfinished.
  setting("MaxNumGenerations", "3");
  log.str("");
  EXPECT_EQ(twoDemes->buildTreeOneOriginOneLayerRecombination(1), 0);
  EXPECT_EQ(log.str().find("Entering continuous time"), std::string::npos);
  EXPECT_CONTAINS(log.str(), "num_lineages = ");
}

// Samples dated 1 join in the last step of the spatial walk, as in every other step.
TEST_F(OneSourceTest, AncientSamplesDatedOneJoinTheGenealogy) {
  buildWorld({"1"}, 3);
  setSize(0, 0, 100);
  addSource("Origin", 0, 0);
  auto c = prepare({sampleAt("now", 2, 0, 0, 0), sampleAt("old", 2, 0, 0, 0, "1")});
  for (int g = 0; g < 10; ++g) {
    ASSERT_EQ(c->buildTreeOneOriginOneLayerRecombination(1), 1) << log.str();
    EXPECT_EQ(c->tree().node(2).time, 3);  // the step of generation 1
    EXPECT_NE(c->tree().node(3).ancestor, kNoNode);
    expectCleanWalk();
    c->resetDemes();
  }
}

// Below generation 0 a recombining chromosome stays in the source deme: the arrivals stored at
// generation 0 (which the walk of buildTree follows) move nobody.
TEST_F(OneSourceTest, ARecombiningChromosomeGoesOnWithoutMigrationBelowZero) {
  parametersText = kTwoLinkedLoci;
  buildWorld({"1 1"}, 2);
  setSize(0, 0, 40);
  setSize(0, 1, 40);
  setArrivals(0, 0, FromSide::East, 40, 0, 0, 0);
  addSource("Origin", 0, 0);
  auto c = prepare({sampleAt("a", 4, 0, 0, 0)});
  checker->freeMovesFrom = -1000000;  // every move is held to the arrivals, those of 0 included
  for (int g = 0; g < 10; ++g) {
    ASSERT_EQ(c->buildTreeOneOriginOneLayerRecombination(1), 1) << log.str();
    EXPECT_EQ(c->migrationEvents(), 0);
    expectCleanWalk();
    c->resetDemes();
  }
  long moved = 0;
  for (int g = 0; g < 10; ++g) {
    (void)c->buildTree(1);
    moved += c->migrationEvents();
    c->resetDemes();
  }
  EXPECT_GT(moved, 0);
}

// A recombining genealogy stopped by the generation limit before every locus has its root is
// unfinished; a single sampled gene is its own root at every locus.
TEST_F(OneSourceTest, EndRulesOfRecombiningAndSingleGeneGenealogies) {
  parametersText = kTwoLinkedLoci;
  keys["MaxNumGenerations"] = "5";
  auto c = sourceCell(4, 1000);
  log.str("");
  EXPECT_EQ(c->buildTreeOneOriginOneLayerRecombination(1), 0);
  EXPECT_CONTAINS(log.str(),
                  "MaxNumGenerations (5) reached before every locus found its most "
                  "recent common ancestor: 2 of 2 loci without root");
  c->resetDemes();
  EXPECT_EQ(c->buildTree(1), 0);

  auto one = prepare({sampleAt("a", 1, 0, 0, 0)});
  ASSERT_EQ(one->buildTreeOneOriginOneLayerRecombination(1), 1);
  EXPECT_EQ(one->tree().roots, (std::vector<TNodeRef>{0, 0}));
}

// Ten lineages in a source of N = 1000 before the expansion: the interval during which k
// lineages are left lasts 1000 x 2 / (k (k - 1)) generations on average, whether the source is
// resized to 1000 or has 1000 individuals at generation 0, and whether the genealogy ends in
// continuous time or generation by generation.
class InterEventTimes : public OneSourceTest {
 protected:
  void expectCoalescentIntervals(int sizeBeforeExpansion, int atZero, bool recombining,
                                 int genealogies) {
    parametersText = recombining ? "1\n#chromosome 1\n1\nMICROSAT 2 2e-10 0.0005 0 0\n" : "";
    auto c = sourceCell(10, atZero, sizeBeforeExpansion);
    c->setWalkObserver(nullptr);
    c->setOptions(TGeneticOptions());
    std::vector<double> sums(11, 0.0);
    int used = 0;
    for (int g = 0; g < genealogies; ++g) {
      ASSERT_EQ(c->buildTreeOneOriginOneLayerRecombination(1), 1);
      std::vector<int> times = internalTimes(c->tree());
      c->resetDemes();
      if (times.size() != 9 || c->numRecombinations() > 0) continue;
      std::sort(times.begin(), times.end());
      double previous = 2 - 0.5;  // generation 0 is step 2
      for (int k = 10; k >= 2; --k) {
        const int t = times[static_cast<std::size_t>(10 - k)];
        sums[static_cast<std::size_t>(k)] += t - previous;
        previous = t;
      }
      ++used;
    }
    ASSERT_GE(used, genealogies * 99 / 100);
    for (int k = 10; k >= 2; --k) {
      const double expected = 1000.0 * 2.0 / (k * (k - 1));
      EXPECT_NEAR(sums[static_cast<std::size_t>(k)] / used, expected,
                  5 * expected / std::sqrt(static_cast<double>(used)))
          << "k = " << k;
    }
  }
};

TEST_F(InterEventTimes, ResizedOrNotInContinuousTimeOrGenerationByGeneration) {
  const struct {
    int sizeBeforeExpansion, atZero;
    bool recombining;
    int genealogies;
  } cases[] = {{1000, 30, false, 2000},
               {0, 1000, false, 2000},
               {0, 1000, true, 1000},
               {1000, 30, true, 1000}};
  for (const auto& k : cases) {
    SCOPED_TRACE(::testing::Message() << k.sizeBeforeExpansion << (k.recombining ? " gbg" : ""));
    expectCoalescentIntervals(k.sizeBeforeExpansion, k.atZero, k.recombining, k.genealogies);
  }
}

}  // namespace
}  // namespace orvantis
