// Each locus's mutation tree shows that locus's own mutations: the line is written from the
// mutation process's per-locus call, while the counts are current.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "genetics/mutation.h"
#include "genetics/newick.h"
#include "support/hand_genealogy.h"

namespace orvantis {
namespace {

// The mutations on the branches of one tree line: the numbers after the colons.
int lineTotal(const std::string& line) {
  int total = 0;
  for (std::size_t at = line.find(':'); at != std::string::npos; at = line.find(':', at + 1)) {
    total += std::stoi(line.substr(at + 1));
  }
  return total;
}

class MutationTreeLinesTest : public testing::HandGenealogyTest {
 protected:
  // Mutates the chromosome, writing each locus's mutation tree line as its mutations are placed.
  std::vector<std::string> mutateWritingLines(int numLoci, bool recombining) {
    std::vector<std::string> lines;
    (void)mutateChromosome(*collection, numLoci, recombining, [&](int locus) {
      std::ostringstream line;
      EXPECT_TRUE(writeTreeLine(line, tree(), 1, 1, locus, TBranchLength::Mutations));
      lines.push_back(line.str());
    });
    return lines;
  }
};

TEST_F(MutationTreeLinesTest, EveryLocusLineCarriesItsOwnMutations) {
  startRun({sampleAt("a", 2, 0, 0, 0), sampleAt("b", 1, 0, 0, 2)},
           "1\n#chromosome 1\n2\nDNA 4 0 0.05 0.25 0.25 0.25 0.25 1 1 1 1 1 1\nSNP 1 0 0.2\n");
  const TNodeRef a = coalesce(0, 1, 20);
  coalesce(a, 2, 50);
  seed(3);
  const std::vector<std::string> lines = mutateWritingLines(5, false);
  ASSERT_EQ(lines.size(), 5u);
  const std::vector<int>& hits = collection->mutation().siteHits();
  std::vector<int> totals;
  for (int l = 0; l < 4; ++l) {
    EXPECT_EQ(lines[l].find("_Loc_" + std::to_string(l) + " = [&U] ("), 35u) << lines[l];
    totals.push_back(lineTotal(lines[l]));
    EXPECT_EQ(totals.back(), hits[static_cast<std::size_t>(l)]) << lines[l];
  }
  // The loci differ, so a line of another locus would show.
  EXPECT_NE(std::vector<int>(totals.size(), totals[0]), totals);
  // The SNP locus: its one mutation.
  EXPECT_EQ(lineTotal(lines[4]), 1) << lines[4];
}

TEST_F(MutationTreeLinesTest, RecombiningLociCountTheNodesTheirBranchesSpan) {
  startRun({sampleAt("a", 2, 0, 0, 0), sampleAt("b", 1, 0, 0, 2)},
           "1\n#chromosome 1\n2\nDNA 2 0.5 0.05 0.25 0.25 0.25 0.25 1 1 1 1 1 1\nSNP 1 0 0.2\n");
  const auto halves = recombine(0, 0, 5);
  const TNodeRef a = coalesce(halves.first, 1, 20);
  const TNodeRef b = coalesce(halves.second, 2, 30);
  coalesce(a, b, 60);
  expectValidTree();
  seed(11);
  const std::vector<std::string> lines = mutateWritingLines(3, true);
  ASSERT_EQ(lines.size(), 3u);
  const std::vector<int>& hits = collection->mutation().siteHits();
  EXPECT_EQ(lineTotal(lines[0]), hits[0]) << lines[0];
  EXPECT_EQ(lineTotal(lines[1]), hits[1]) << lines[1];
  EXPECT_EQ(lineTotal(lines[2]), 1) << lines[2];
}

}  // namespace
}  // namespace orvantis
