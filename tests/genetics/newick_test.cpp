#include "genetics/newick.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>

#include "genetics/genealogy_builder.h"

namespace orvantis {
namespace {

using testing::coalesce;
using testing::makeTips;
using testing::recombine;

std::string newick(const TTree& tree, int locus, TBranchLength length) {
  std::ostringstream out;
  EXPECT_TRUE(writeNewick(out, tree, locus, length));
  return out.str();
}

class NewickTest : public ::testing::Test {
 protected:
  std::ostringstream log;
  TTree tree{log};
};

TEST_F(NewickTest, TipsLabelledByDemeAndTreeLinesNumberedFromOneAndLociFromZero) {
  makeTips(tree, {{3, 0, 0}, {4, 0, 1}}, 1, 100);
  coalesce(tree, 0, 1, 20, 3, 81);
  tree.node(0).numMutations = 3;
  EXPECT_EQ(newick(tree, 0, TBranchLength::Generations), "(1.1:20, 2.2:20);\n");
  EXPECT_EQ(newick(tree, 0, TBranchLength::Mutations), "(1.1:3, 2.2:0);\n");

  makeTips(tree, {{3, 0, 0}, {4, 0, 1}, {4, 0, 1}}, 2, 100);
  const TNodeRef a = coalesce(tree, 1, 2, 2, 4, 99);
  coalesce(tree, a, 0, 7, 4, 94);
  tree.node(0).time = 3;  // ancient tips count their branch from their own time
  std::ostringstream out;
  EXPECT_TRUE(writeTreeLine(out, tree, 1, 2, 0, TBranchLength::Generations));
  EXPECT_TRUE(writeTreeLine(out, tree, 1, 2, 1, TBranchLength::Mutations));
  EXPECT_EQ(out.str(),
            "\ttree Num_generations_simul_1_chrom_2_Loc_0 = [&U] ((2.2:2, 3.2:2):5, 1.1:4);\n"
            "\ttree Num_mutations_simul_1_chrom_2_Loc_1 = [&U] ((2.2:0, 3.2:0):0, 1.1:0);\n");
}

// Tip 1 recombines between loci 0 and 1; each half then coalesces on its own:
//   locus 0: ((1, 2), 3) through the first half,  locus 1: (2, (1, 3)) through the second.
TEST_F(NewickTest, ARecombiningLocusTreeSpansTheNodesItPassesThrough) {
  makeTips(tree, {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}}, 2, 100);
  const auto [first, second] = recombine(tree, 0, 0, 2, 0, 99);
  const TNodeRef left = coalesce(tree, first, 1, 4, 0, 97);
  const TNodeRef right = coalesce(tree, second, 2, 5, 0, 96);
  const TNodeRef root = coalesce(tree, left, right, 9, 0, 92);
  std::string problem;
  ASSERT_TRUE(tree.verify(&problem)) << problem;
  ASSERT_EQ(tree.roots, (std::vector<TNodeRef>{root, root}));
  EXPECT_EQ(newick(tree, 0, TBranchLength::Generations), "((1.1:4, 2.1:4):5, 3.1:9);\n");
  EXPECT_EQ(newick(tree, 1, TBranchLength::Generations), "(2.1:9, (1.1:5, 3.1:5):4);\n");
  // A written branch carries the mutations of every node it spans.
  tree.node(0).numMutations = 1;
  tree.node(first).numMutations = 2;
  tree.node(second).numMutations = 7;
  tree.node(left).numMutations = 4;
  tree.node(right).numMutations = 3;
  EXPECT_EQ(newick(tree, 0, TBranchLength::Mutations), "((1.1:3, 2.1:0):4, 3.1:3);\n");
  EXPECT_EQ(newick(tree, 1, TBranchLength::Mutations), "(2.1:4, (1.1:8, 3.1:0):3);\n");
}

TEST_F(NewickTest, AGenealogyAsDeepAsItHasTipsIsWrittenWhole) {
  const int n = 20000;
  makeTips(tree, std::vector<testing::TipSpec>(n), 1, 100000);
  TNodeRef top = 0;
  for (int t = 1; t < n; ++t) top = coalesce(tree, top, t, t, 0, 100001 - t);
  const std::string text = newick(tree, 0, TBranchLength::Generations);
  EXPECT_EQ(std::count(text.begin(), text.end(), '('), n - 1);
  EXPECT_EQ(text.substr(0, 12), std::string(12, '('));
  const std::string end = ", 20000.1:19999);\n";
  EXPECT_EQ(text.substr(text.size() - end.size()), end);
}

}  // namespace
}  // namespace orvantis
