#include "genetics/locus_data.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "coalescent/genetic_parameters.h"
#include "support/hand_genealogy.h"

namespace orvantis {
namespace {

TEST(DataStringTest, SeparatorsFollowTheTypesOfTheLoci) {
  struct Case {
    std::vector<int> types;
    std::vector<int> states;
    const char* text;
  };
  const std::vector<Case> cases = {
      {{DNA, DNA, DNA, DNA}, {0, 1, 2, 3}, "AGCT"},  // consecutive bases, no separator
      {{DNA, MICROSAT}, {3, -2}, "T 498 "},          // a base before another type
      {{MICROSAT, MICROSAT}, {0, 12}, "500 512 "},   // repeat numbers + 500
      {{RFLP, RFLP, RFLP}, {1, 0, 1}, "101"},        // no separator
      {{SNP, SNP, SNP}, {0, 1, 2}, "0 1 2 "},        // each followed by a space
      {{MICROSAT, RFLP, RFLP, SNP, DNA, SNP}, {5, 1, 0, 2, 0, 1}, "505 102 A 1 "},
  };
  for (const Case& c : cases) {
    std::string text;
    appendDataString(text, c.states.data(), static_cast<int>(c.states.size()), c.types.data());
    EXPECT_EQ(text, c.text);
  }
}

class DemeDataTest : public testing::HandGenealogyTest {};

TEST_F(DemeDataTest, OneStringPerGeneOfEachSampleDemeAndChromosome) {
  startRun({sampleAt("a", 2, 0, 0, 0), sampleAt("b", 1, 0, 0, 2), sampleAt("c", 1, 0, 0, 0)},
           "1\n#chromosome 1\n2\nDNA 2 0 0\nMICROSAT 1 0 0 0 0\n");
  // Genes 0 and 1 (sample a) and 2 (sample c) in the first deme, gene 3 in the second.
  coalesce(coalesce(0, 1, 1), coalesce(2, 3, 2), 3);
  for (TNodeRef g = 0; g < 4; ++g) {
    TNode& gene = tree().node(g);
    gene.data = {g % 4, 3 - g % 4, g - 2};
    gene.numSites = 3;
  }
  storeDemeData(*collection);
  const TDeme& first = *collection->demeAt(cellIndex(0, 0), 0);
  const TDeme& second = *collection->demeAt(cellIndex(0, 2), 0);
  ASSERT_EQ(first.loci.size(), 1u);
  EXPECT_EQ(first.loci[0].genes, (std::vector<std::string>{"AT 498 ", "GC 499 ", "CG 500 "}));
  EXPECT_EQ(second.loci[0].genes, (std::vector<std::string>{"TA 501 "}));
  // A gene without states gives an empty string; a second chromosome appends a second entry.
  tree().node(1).clearData();
  storeDemeData(*collection);
  ASSERT_EQ(first.loci.size(), 2u);
  EXPECT_EQ(first.loci[1].genes[1], "");
  collection->clearGeneticData();
  EXPECT_TRUE(first.loci.empty());
}

}  // namespace
}  // namespace orvantis
