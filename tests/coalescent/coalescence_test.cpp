// Coalescence and recombination within one deme for one generation step.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "coalescent/recombination.h"
#include "walk_fixture.h"

namespace orvantis {
namespace {

using testing::WalkTest;

constexpr const char* kTenLoci = "1\n#chromosome 1\n1\nMICROSAT 10 0.01 0.0005 0 0\n";

class CoalescenceTest : public WalkTest {
 protected:
  // One cell of `size` individuals with `genes` sampled genes; the genealogy opened at
  // generation 10.
  TDeme& openDeme(int size, int genes, int loci = 1) {
    buildWorld({"1"});
    setSize(0, 0, size);
    collection = prepare({sampleAt("s", genes, 0, 0, 0)}, loci);
    EXPECT_EQ(collection->beginGenealogy(), 1) << log.str();
    TDeme& deme = *collection->demeAt(cellIndex(0, 0), 0);
    deme.updateSize();
    return deme;
  }

  std::unique_ptr<TDemeCollection> collection;
};

// n(n - 1)/2 / N = 45/40 >= 1: every lineage draws its parent, several pairs may merge in one
// step; 45/46 < 1: at most one pair.
TEST_F(CoalescenceTest, TenLineagesInDemesOfFortyAndFortySix) {
  for (const int size : {40, 46}) {
    SCOPED_TRACE(size);
    TDeme& deme = openDeme(size, 10);
    int most = 0;
    int steps = 0;
    for (int trial = 0; trial < 400; ++trial) {
      const int merged = deme.coalesce(1, 10);
      ASSERT_GE(merged, 0);
      EXPECT_EQ(deme.numLineages, 10 - merged);
      EXPECT_EQ(collection->numCoalescences(), merged);
      most = std::max(most, merged);
      steps += merged > 0;
      ASSERT_TRUE(collection->verify(&problem)) << problem;
      collection->resetDemes();
      ASSERT_EQ(collection->beginGenealogy(), 1);
      deme.updateSize();
    }
    if (size == 40) {
      EXPECT_GE(most, 2);
    } else {
      EXPECT_EQ(most, 1);
      EXPECT_GT(steps, 0);
    }
  }
}

TEST_F(CoalescenceTest, ADemeOfSizeZeroNeitherCoalescesNorRecombines) {
  parametersText = "1\n#chromosome 1\n1\nMICROSAT 2 0.5 0.0005 0 0\n";
  TDeme& deme = openDeme(10, 3, 2);
  deme.setSize(0);
  EXPECT_EQ(deme.coalesce(1, 10), 0);
  EXPECT_EQ(deme.recombination_per_lineage(1, collection->tree()), 0);
  EXPECT_CONTAINS(log.str(),
                  "TDeme::coalesce_curNumLineages() : deme size of population 0 is zero !\n");
  EXPECT_CONTAINS(log.str(),
                  "TDeme::recombination_per_lineage(CoalNode,time,GeneTree,pos) : deme size of "
                  "population 0 is zero !\n");
  EXPECT_EQ(deme.numLineages, 3);
}

// Ten loci at 0.01 per interval: R = 0.09 and the breakpoint of u = 0.5 is locus 4; a lineage
// with material at loci 2 and 7 only, split at 4, leaves one locus to each half.
TEST_F(CoalescenceTest, ARecombinationSplitsTheLociAtTheBreakpoint) {
  parametersText = kTenLoci;
  openDeme(100, 2, 10);
  TTree& tree = collection->tree();
  const TRecRateArray rates(10, 0.01);
  const double R = lineageRecombinationRate(tree.node(0), rates);
  EXPECT_NEAR(R, 0.09, 1e-12);
  EXPECT_EQ(recombinationBreakpoint(tree.node(0), rates, R, 0.5), 4);
  EXPECT_EQ(recombinationBreakpoint(tree.node(0), rates, R, 0.0), 0);
  // A u above the running sum's rounded end still splits, in the last interval.
  EXPECT_EQ(recombinationBreakpoint(tree.node(0), rates, R, 1.5), 8);

  TNodeRef left = kNoNode;
  TNodeRef right = kNoNode;
  ASSERT_EQ(splitLineage(tree, 0, 4, 3, left, right), 1);
  EXPECT_EQ(tree.node(left).inTree, (std::vector<char>{1, 1, 1, 1, 1, 0, 0, 0, 0, 0}));
  EXPECT_EQ(tree.node(right).inTree, (std::vector<char>{0, 0, 0, 0, 0, 1, 1, 1, 1, 1}));
  EXPECT_EQ(tree.node(right).firstLocus, 5);
  EXPECT_EQ(tree.node(left).time, 3);
  EXPECT_EQ(tree.node(0).recAncestorLeft, left);
  EXPECT_EQ(tree.node(0).recAncestorRight, right);

  TNode& x = tree.node(1);
  x.inTree.assign(10, 0);
  x.inTree[2] = x.inTree[7] = 1;
  x.firstLocus = 2;
  x.lastLocus = 7;
  EXPECT_NEAR(lineageRecombinationRate(x, rates), 0.05, 1e-12);
  ASSERT_EQ(splitLineage(tree, 1, 4, 1, left, right), 1);
  EXPECT_EQ(tree.node(left).firstLocus, 2);
  EXPECT_EQ(tree.node(right).lastLocus, 7);
  EXPECT_EQ(lineageRecombinationRate(tree.node(left), rates), 0.0);  // one locus: never again
}

// A high rate: the right-hand halves, appended to the list, are visited in the same step and
// split again while their rate makes it certain; the deme's list and counts follow.
TEST_F(CoalescenceTest, RightHandProductsMayRecombineAgainInTheSameStep) {
  parametersText = "1\n#chromosome 1\n1\nMICROSAT 6 0.6 0.0005 0 0\n";
  TDeme& deme = openDeme(1000, 3, 6);
  const TTree& tree = collection->tree();
  const int events = deme.recombination_per_lineage(2, collection->tree());
  EXPECT_GT(events, 3);  // R = 3 for every sampled lineage, and most right halves span more
  EXPECT_EQ(deme.numLineages, 3 + events);
  EXPECT_EQ(collection->totalLineages(), 3 + events);
  for (const TNodeRef ref : deme.activeList) {
    const TNode& n = tree.node(ref);
    const bool rightHalf = n.leftDesc != kNoNode && tree.node(n.leftDesc).recAncestorRight == ref;
    if (rightHalf) {
      EXPECT_LE(n.lastLocus - n.firstLocus, 1) << "a right half with R >= 1 stayed whole";
    }
  }
  EXPECT_TRUE(collection->verify(&problem)) << problem;
}

}  // namespace
}  // namespace orvantis
