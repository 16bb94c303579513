#include "replicate_statistics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <vector>

#include "genetics/tree.h"

namespace orvantis {
namespace {

// The genealogy (((2, 3) at 4, 1) at 10, 0) at 25 of four tips sampled at time 0, with the
// given states per tip at two loci.
class ReplicateStatisticsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(tree.createTips(4), 1);
    tree.setNumLoci(2);
    const TNodeRef a = join(2, 3, 4);
    const TNodeRef b = join(a, 1, 10);
    tree.roots[0] = tree.roots[1] = join(b, 0, 25);
  }

  TNodeRef join(TNodeRef left, TNodeRef right, int time) {
    const TNodeRef p = tree.createNode();
    EXPECT_NE(p, kNoNode);
    TNode& node = tree.node(p);
    node.leftDesc = left;
    node.rightDesc = right;
    node.time = time;
    tree.node(left).ancestor = p;
    tree.node(right).ancestor = p;
    return p;
  }

  void setStates(const std::vector<int>& first, const std::vector<int>& second) {
    for (TNodeRef tip = 0; tip < 4; ++tip) {
      TNode& node = tree.node(tip);
      node.numSites = 2;
      node.data = {first[static_cast<std::size_t>(tip)], second[static_cast<std::size_t>(tip)]};
    }
  }

  std::ostringstream log;
  TTree tree{log};
};

TEST_F(ReplicateStatisticsTest, LengthSumsEveryBranchBelowTheRoot) {
  // 4 + 4 for (2, 3), 10 for 1, 6 for their ancestor, 25 for 0 and 15 above (2, 3, 1)
  EXPECT_DOUBLE_EQ(totalLength(tree), 4 + 4 + 10 + 6 + 25 + 15);
  tree.roots[0] = kNoNode;
  EXPECT_TRUE(std::isnan(totalLength(tree)));
}

TEST_F(ReplicateStatisticsTest, PairTimeIsTheFirstSharedAncestorOfTipsZeroAndOne) {
  EXPECT_DOUBLE_EQ(pairTime(tree), 25);
  // with tips 0 and 1 joined first, their ancestor is the lower node
  ASSERT_EQ(tree.createTips(3), 1);
  tree.setNumLoci(1);
  const TNodeRef a = join(1, 0, 7);
  tree.roots[0] = join(2, a, 9);
  EXPECT_DOUBLE_EQ(pairTime(tree), 7);
  EXPECT_DOUBLE_EQ(totalLength(tree), 7 + 7 + 9 + 2);
}

TEST_F(ReplicateStatisticsTest, SitesCountStatesAndDifferingPairs) {
  struct Case {
    std::vector<int> states;
    bool segregating;
    double differingPairs;
  };
  const Case cases[] = {
      {{1, 1, 1, 1}, false, 0},  // monomorphic
      {{0, 1, 1, 1}, true, 3},   // a singleton differs from the three others
      {{0, 0, 2, 2}, true, 4},   // two classes of two: 2 x 2 pairs
      {{0, 1, 2, 3}, true, 6},   // all different: every pair
  };
  for (const Case& c : cases) {
    setStates(c.states, {0, 0, 0, 0});
    const TSiteDiversity site = siteDiversity(tree, 0);
    EXPECT_EQ(site.segregating, c.segregating);
    EXPECT_DOUBLE_EQ(site.differingPairs, c.differingPairs);
  }
}

TEST_F(ReplicateStatisticsTest, VarianceUsesTheUnbiasedDenominator) {
  setStates({0, 0, 0, 0}, {-1, 1, 3, 5});  // mean 2, squares 9 + 1 + 1 + 9
  EXPECT_DOUBLE_EQ(sampleVariance(tree, 1), 20.0 / 3.0);
  EXPECT_DOUBLE_EQ(sampleVariance(tree, 0), 0.0);
}

TEST(ReplicateRecordTest, UnfinishedRecordIsNanButForItsFlag) {
  const TReplicateRecord record = unfinishedRecord();
  EXPECT_EQ(record[0], 0.0);
  for (std::size_t i = 1; i < record.size(); ++i) EXPECT_TRUE(std::isnan(record[i]));
  std::ostringstream out;
  writeRecord(out, record);
  EXPECT_EQ(out.str().size(), sizeof(double) * kReplicateColumns);
}

}  // namespace
}  // namespace orvantis
