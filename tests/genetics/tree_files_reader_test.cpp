// The tree files are read by a real NEXUS reader (DendroPy, under Debian's interpreter): the
// number of trees, the taxa, and tree heights that agree with the temporal coalescence file
// written for the same genealogies.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "genetics/coalescence_statistics_report.h"
#include "genetics/genealogy_builder.h"
#include "genetics/newick.h"
#include "genetics/nexus_files.h"
#include "support/scratch_dir.h"

namespace orvantis {
namespace {

TEST(TreeFilesReaderTest, DendroPyReadsTheTreesAndTheirHeightsMatchTheCoalescenceTimes) {
  testing::ScratchDir dir;
  const std::string base = dir.path("run_pop");
  std::ofstream trueTrees(trueTreesFileName(base));
  std::ofstream mutationTrees(mutationTreesFileName(base));
  std::ofstream coalescences(temporalCoalescenceFileName(base));
  writeTreeFileHeading(trueTrees);
  writeTreeFileHeading(mutationTrees);
  writeTemporalCoalescenceHeading(coalescences);

  const int endTime = 500;
  const int simulations = 3;
  const int chromosomes = 2;
  const int loci = 2;
  std::vector<testing::TipSpec> tips;
  for (int i = 0; i < 9; ++i) tips.push_back({i / 3, 0, i / 3});
  std::ostringstream log;
  TTree tree{log};
  std::mt19937 rng(5);
  TTreeLengthSums sums;
  std::string mutationTotals;
  for (int s = 1; s <= simulations; ++s) {
    for (int c = 1; c <= chromosomes; ++c) {
      makeTips(tree, tips, loci, endTime);
      testing::randomGenealogy(tree, 15, 0.05, 3, endTime, rng);
      long long chromosomeMutations = 0;
      for (int l = 0; l < loci; ++l) {
        // The locus's own mutation counts, written while they are current.
        int total = 0;
        for (TNodeRef r = 0; r < tree.numNodes(); ++r) {
          tree.node(r).numMutations = static_cast<int>(rng() % 4);
          if (r != tree.roots[0]) total += tree.node(r).numMutations;
        }
        chromosomeMutations += total;
        mutationTotals += std::to_string(total) + " ";
        ASSERT_TRUE(writeTreeLine(mutationTrees, tree, s, c, l, TBranchLength::Mutations));
      }
      for (int l = 0; l < loci; ++l) {
        ASSERT_TRUE(writeTreeLine(trueTrees, tree, s, c, l, TBranchLength::Generations));
      }
      writeCoalescenceTimes(coalescences, tree, s, c);
      sums.add(0.5 * s, chromosomeMutations);
    }
  }
  writeTrueTreesClosing(trueTrees, sums, simulations, chromosomes * loci);
  writeMutationTreesClosing(mutationTrees, sums, simulations);
  trueTrees.close();
  mutationTrees.close();
  coalescences.close();
  std::string labels;
  for (int i = 0; i < 9; ++i)
    labels += std::to_string(i + 1) + "." + std::to_string(i / 3 + 1) + " ";
  dir.write("expected.txt", labels + "\n" + std::to_string(simulations * chromosomes * loci) +
                                "\n" + mutationTotals + "\n");

  const std::string command = std::string("/usr/bin/python3 ") + ORVANTIS_SOURCE_DIR +
                              "/tests/genetics/read_tree_files.py '" + trueTreesFileName(base) +
                              "' '" + mutationTreesFileName(base) + "' '" +
                              temporalCoalescenceFileName(base) + "' '" + dir.path("expected.txt") +
                              "' " + std::to_string(endTime) + " > '" + dir.path("reader.txt") +
                              "' 2>&1";
  const int status = std::system(command.c_str());
  EXPECT_EQ(status, 0) << dir.read("reader.txt");
  EXPECT_EQ(dir.read("reader.txt"), "read 12 trees per file\n");
}

}  // namespace
}  // namespace orvantis
