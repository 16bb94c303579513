#include "genetics/vcf.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "coalescent/genetic_parameters.h"
#include "support/hand_genealogy.h"

namespace orvantis {
namespace {

class VcfTest : public testing::HandGenealogyTest {
 protected:
  // Genes 0..3 in one genealogy whose root (node 6) holds `rootStates`; gene g holds
  // geneStates[g] (an empty vector: no states).
  void setStates(const std::vector<int>& rootStates,
                 const std::vector<std::vector<int>>& geneStates) {
    const TNodeRef root = coalesce(coalesce(0, 1, 1), coalesce(2, 3, 2), 3);
    TNode& r = tree().node(root);
    r.data = rootStates;
    r.numSites = static_cast<int>(rootStates.size());
    for (TNodeRef g = 0; g < 4; ++g) {
      TNode& gene = tree().node(g);
      gene.data = geneStates[static_cast<std::size_t>(g)];
      gene.numSites = static_cast<int>(gene.data.size());
    }
  }

  // The records (lines after the heading) of chromosome 1.
  std::vector<std::string> records(TVcfWriter& writer, int& count) {
    std::ostringstream out;
    count = writer.writeChromosome(out, *collection, 1);
    std::vector<std::string> lines;
    std::istringstream in(out.str());
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
};

TEST_F(VcfTest, OneRecordPerPolymorphicDnaOrSnpLocus) {
  // Loci 1-4 DNA, 5 microsatellite, 6-7 SNP; genes 0 and 1 (sample a) in the first deme, gene 2
  // (sample b) in the third, gene 3 (sample c) in the first.
  startRun({sampleAt("a", 2, 0, 0, 0), sampleAt("b", 1, 0, 0, 2), sampleAt("c", 1, 0, 0, 0)},
           "1\n#chromosome 1\n3\nDNA 4 0 0\nMICROSAT 1 0 0 0 0\nSNP 2 0 0.1\n");
  // DNA states are A G C T for 0 1 2 3; SNP 1 is derived, 0 and 2 ancestral.
  setStates({1, 0, 3, 2, 0, 0, 2}, {{1, 0, 3, 0, 5, 0, 1},  // locus 1 carries G only: no record
                                    {1, 1, 0, 2, 6, 0, 1},
                                    {1, 0, 1, 3, 7, 1, 2},
                                    {1, 0, 3, 2, 8, 0, 1}});
  TVcfWriter writer(*collection, 0);
  ASSERT_EQ(writer.numColumns(), 4);
  int count = 0;
  const std::vector<std::string> lines = records(writer, count);
  // Columns in the project file's order: sample a (genes 1 and 2 of the first deme: tips 0, 1),
  // b (tip 3), c (gene 3 of the first deme: tip 2), named "1_1", "1_2", "2_1", "3_3".
  const std::vector<std::string> expected = {
      "1\t2\t.\tA\tG\t.\tPASS\t.\tGT\t0\t1\t0\t0",    // REF the ancestral base
      "1\t3\t.\tT\tA,G\t.\tPASS\t.\tGT\t0\t1\t0\t2",  // several ALT, in A C G T order
      "1\t4\t.\tC\tA,T\t.\tPASS\t.\tGT\t1\t0\t0\t2",
      "1\t6\t.\tA\tC\t.\tPASS\t.\tGT\t0\t0\t0\t1",  // SNP: derived state 1 -> ALT
      "1\t7\t.\tA\tC\t.\tPASS\t.\tGT\t1\t1\t1\t0",  // SNP whose ancestral state is 2
  };
  EXPECT_EQ(lines, expected);
  EXPECT_EQ(count, 5);

  std::ostringstream header;
  writer.writeHeader(header, 3, {7, 20});
  const std::string text = header.str();
  EXPECT_EQ(text.rfind("##fileformat=VCFv4.2\n", 0), 0u);
  EXPECT_NE(text.find("##orvantisSimulation=3\n"), std::string::npos);
  EXPECT_NE(text.find("microsatellite and RFLP loci are left out"), std::string::npos);
  EXPECT_NE(text.find("##contig=<ID=1,length=7>\n##contig=<ID=2,length=20>\n"), std::string::npos);
  EXPECT_NE(
      text.find("#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\tFORMAT\t1_1\t1_2\t2_1\t3_3\n"),
      std::string::npos);
}

TEST_F(VcfTest, GenotypicDataPairsConsecutiveGenesIntoUnphasedIndividuals) {
  startRun({sampleAt("a", 2, 0, 0, 0), sampleAt("b", 2, 0, 0, 1)},
           "1\n#chromosome 1\n1\nDNA 2 0 0\n", 1, 1);
  // A gene without states shows as a missing allele.
  setStates({0, 0}, {{0, 0}, {2, 0}, {2, 0}, {}});
  TVcfWriter writer(*collection, 1);
  ASSERT_EQ(writer.numColumns(), 2);
  int count = 0;
  EXPECT_EQ(records(writer, count),
            (std::vector<std::string>{"1\t1\t.\tA\tC\t.\tPASS\t.\tGT\t0/1\t1/."}));
  std::ostringstream header;
  writer.writeHeader(header, 1, {2});
  EXPECT_NE(header.str().find("FORMAT\t1_1\t2_1\n"), std::string::npos) << header.str();
}

TEST_F(VcfTest, ALocusWithoutRootOrWithOneStateGivesNoRecord) {
  startRun({sampleAt("a", 4, 0, 0, 0)}, "1\n#chromosome 1\n1\nDNA 2 0 0\n");
  setStates({0, 0}, {{0, 0}, {0, 1}, {0, 1}, {0, 0}});
  tree().roots[1] = kNoNode;  // no genealogy for locus 2: its states are not the simulation's
  TVcfWriter writer(*collection, 0);
  int count = 0;
  EXPECT_TRUE(records(writer, count).empty());
  EXPECT_EQ(count, 0);
}

}  // namespace
}  // namespace orvantis
