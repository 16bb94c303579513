#include "genetics/tree.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "genetics/genealogy_builder.h"
#include "support/scratch_dir.h"
#include "support/text_assertions.h"

namespace orvantis {
namespace {

class TreeTest : public ::testing::Test {
 protected:
  TNodeRef coalesce(TNodeRef a, TNodeRef b, int time, int cell, int generation) {
    return testing::coalesce(tree, a, b, time, cell, generation);
  }

  // Three tips at cells 4, 5, 6; ((0, 1), 2).
  void threeTipGenealogy(int populations) {
    tree.setNumPopulations(populations);
    tree.setNumLoci(2);
    ASSERT_EQ(tree.createTips(3), 1);
    for (int t = 0; t < 3; ++t) tree.node(t).sampleCell = 4 + t;
    tree.resetToTips(10, 1);
    ASSERT_EQ(tree.Store_Node_Migration(1, 8, 9, 0), 1);
    const TNodeRef a = coalesce(0, 1, 2, 4, 9);
    const TNodeRef root = coalesce(a, 2, 5, 6, 6);
    tree.roots.assign(2, root);
  }

  std::ostringstream log;
  TTree tree{log};
};

TEST_F(TreeTest, NodesAreNumberedInRankOrderAndTheCounterNeverGoesNegative) {
  threeTipGenealogy(1);
  ASSERT_EQ(tree.numNodes(), 5);
  for (TNodeRef r = 0; r < 5; ++r) EXPECT_EQ(tree.node(r).nodeNo, r + 1);
  std::string problem;
  EXPECT_TRUE(tree.verify(&problem)) << problem;
  // More nodes dropped than numbered: the counter stops at 0.
  tree.setNodeCounter(1);
  tree.dropNodesFrom(0);
  EXPECT_EQ(tree.nodeCounter(), 0);
  EXPECT_EQ(tree.nodeAt(0), kNoNode);
}

TEST_F(TreeTest, GenealogyFileWithAndWithoutPopulationColumn) {
  testing::ScratchDir dir;
  const std::string base = dir.path("run");
  for (const int populations : {1, 2}) {
    threeTipGenealogy(populations);
    ASSERT_EQ(tree.writeGenealogyFile(2, 3, base), 1);
    const std::string expected = populations == 1 ? "5\n1\t-1 -1\t1\t4 10\t\t4\n"
                                                    "2\t-1 -1\t2\t5 10\t8 9\t\t4\n"
                                                    "3\t-1 -1\t1\t6 10\t\t5\n"
                                                    "4\t1 2\t1\t4 9\t\t5\n"
                                                    "5\t4 3\t1\t6 6\t\t-1\n"
                                                  : "5\n1\t-1 -1\t1\t4 2 10\t\t4\n"
                                                    "2\t-1 -1\t2\t5 2 10\t8 1 9\t\t4\n"
                                                    "3\t-1 -1\t1\t6 2 10\t\t5\n"
                                                    "4\t1 2\t1\t4 1 9\t\t5\n"
                                                    "5\t4 3\t1\t6 1 6\t\t-1\n";
    EXPECT_EQ(dir.read("run_tree_sim2_chrom3.tri"), expected);
    tree.setNodeCounter(0);
  }
  EXPECT_EQ(tree.writeGenealogyFile(1, 1, dir.path("missing/dir/run")), 0);
  EXPECT_CONTAINS(log.str(), "cannot create the genealogy file");
}

TEST_F(TreeTest, DescendantCountsFollowEachLocusFromItsRoot) {
  tree.setNumLoci(2);
  ASSERT_EQ(tree.createTips(3), 1);
  // Tip 2 recombines: the left half (locus 0) joins tip 0, the right half (locus 1) tip 1.
  const auto [left, right] = testing::recombine(tree, 2, 0, 1, 0, 5);
  const TNodeRef r0 = coalesce(0, left, 1, 0, 5);
  const TNodeRef r1 = coalesce(1, right, 1, 0, 5);
  tree.roots = {r0, r1};
  std::string problem;
  EXPECT_TRUE(tree.verify(&problem)) << problem;
  EXPECT_EQ(tree.countDescendants(true), 2);
  EXPECT_EQ(tree.node(r1).numDesc, (std::vector<int>{0, 2}));
  EXPECT_EQ(tree.node(right).numDesc[1], 1);
  EXPECT_EQ(tree.node(r1).leftTips, 1);
  // Only locus 0 without perLocus; a tip counts itself.
  tree.node(r1).numDesc.assign(2, 0);
  EXPECT_EQ(tree.countDescendants(false), 2);
  EXPECT_EQ(tree.node(r1).numDesc[1], 0);
  EXPECT_EQ(tree.node(0).numDesc[0], 1);

  // The two halves of tip 2 meet again: along each locus tip 2 is below the meeting node once,
  // so no count exceeds the sample (counting both halves would give tip 2 twice).
  tree.setNumLoci(2);
  ASSERT_EQ(tree.createTips(3), 1);
  const auto [half0, half1] = testing::recombine(tree, 2, 0, 1, 0, 9);
  const TNodeRef rejoined = coalesce(half0, half1, 2, 0, 8);
  const TNodeRef top = coalesce(rejoined, coalesce(0, 1, 3, 0, 7), 4, 0, 6);
  tree.roots = {top, top};
  EXPECT_EQ(tree.countDescendants(true), 3);
  EXPECT_EQ(tree.node(rejoined).numDesc, (std::vector<int>{1, 1}));
  EXPECT_EQ(tree.node(top).numDesc, (std::vector<int>{3, 3}));
}

TEST_F(TreeTest, VerifyFindsBrokenLinksAndMaterial) {
  threeTipGenealogy(1);
  std::string problem;
  tree.node(3).inTree[1] = 0;
  EXPECT_FALSE(tree.verify(&problem));
  EXPECT_CONTAINS(problem, "inTree of locus 1");
  tree.node(3).inTree[1] = 1;
  tree.node(2).ancestor = kNoNode;
  EXPECT_FALSE(tree.verify(&problem));
  EXPECT_CONTAINS(problem, "does not point back");
  tree.node(2).ancestor = 4;
  tree.roots.assign(2, kNoNode);
  tree.lineagesLeft.assign(2, 2);  // one lineage (the root) carries each locus
  EXPECT_FALSE(tree.verify(&problem));
  EXPECT_CONTAINS(problem, "lineagesLeft 2 but 1");
}

}  // namespace
}  // namespace orvantis
