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

// Without recombination every locus has the tree (0, 1) at 20, joined by 2 at 50; with it, tip 0
// splits at 5 after locus 0 and each locus's tree spans the nodes of its own half.
TEST_F(MutationTreeLinesTest, EveryLocusLineCarriesItsOwnMutations) {
  for (const bool recombining : {false, true}) {
    SCOPED_TRACE(recombining);
    const int dnaLoci = recombining ? 2 : 4;
    startRun({sampleAt("a", 2, 0, 0, 0), sampleAt("b", 1, 0, 0, 2)},
             "1\n#chromosome 1\n2\nDNA " + std::to_string(dnaLoci) + (recombining ? " 0.5" : " 0") +
                 " 0.05 0.25 0.25 0.25 0.25 1 1 1 1 1 1\nSNP 1 0 0.2\n");
    if (recombining) {
      const auto halves = recombine(0, 0, 5);
      const TNodeRef a = coalesce(halves.first, 1, 20);
      coalesce(a, coalesce(halves.second, 2, 30), 60);
    } else {
      coalesce(coalesce(0, 1, 20), 2, 50);
    }
    expectValidTree();
    seed(recombining ? 11 : 3);
    const std::vector<std::string> lines = mutateWritingLines(dnaLoci + 1, recombining);
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(dnaLoci + 1));
    const std::vector<int>& hits = collection->mutation().siteHits();
    std::vector<int> totals;
    for (int l = 0; l < dnaLoci; ++l) {
      EXPECT_EQ(lines[l].find("_Loc_" + std::to_string(l) + " = [&U] ("), 35u) << lines[l];
      totals.push_back(lineTotal(lines[l]));
      EXPECT_EQ(totals.back(), hits[static_cast<std::size_t>(l)]) << lines[l];
    }
    // The loci differ, so a line of another locus would show.
    if (!recombining) {
      EXPECT_NE(std::vector<int>(totals.size(), totals[0]), totals);
    }
    // The SNP locus: its one mutation.
    EXPECT_EQ(lineTotal(lines[dnaLoci]), 1) << lines[dnaLoci];
  }
}

}  // namespace
}  // namespace orvantis
