#include "coalescent/genetic_parameters.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "support/scratch_dir.h"
#include "support/text_assertions.h"

namespace orvantis {
namespace {

class GeneticParametersTest : public ::testing::Test {
 protected:
  // Writes the file and reads chromosome c of a run of `chromosomes`.
  int read(const std::string& content, int c = 0, int chromosomes = 1) {
    file = dir.write("genetics.par", content);
    parameters.setNumChromosomes(chromosomes);
    log.str("");
    return parameters.readChromosome(file, c, log);
  }

  testing::ScratchDir dir;
  std::string file;
  std::ostringstream log;
  TGeneticParameters parameters;
};

TEST_F(GeneticParametersTest, BlocksFillThePerLocusAndPerBlockArrays) {
  ASSERT_EQ(read("1\n#chromosome 1\n4\n"
                 "MICROSAT 2 0.01 0.0005 0.3 12\n"
                 "SNP 1 0.02 0.05\n"
                 "RFLP 3 0 0.001\n"
                 "dna 1 0.5\n"),
            1)
      << log.str();
  EXPECT_EQ(log.str(),
            "\tNumber of linkage blocks to simulate : 4\n"
            "\tNumber of partially linked MICROSAT, recombination and mutation rates: 2 0.01 "
            "0.0005\n"
            "\tNumber of partially linked SNP, recombination and mutation rates: 1 0.02 0\n"
            "\tNumber of partially linked RFLP, recombination and mutation rates: 3 0 0.001\n" +
                std::string(" WARNING: {TDemeCollection::readChromosome()} [line 7 of '") + file +
                "', chromosome 1: no data type (MICROSAT, DNA, SNP or RFLP); the block keeps the "
                "type and parameters of the previous block]\n"
                "\tNumber of partially linked RFLP, recombination and mutation rates: 1 0.5 "
                "0.001\n");
  ASSERT_EQ(parameters.numLoci(), 7);
  ASSERT_EQ(parameters.numBlocks(), 4);
  EXPECT_EQ(parameters.dataType(0), MICROSAT);
  EXPECT_EQ(parameters.rangeConstraint(1), 12.0);
  EXPECT_EQ(parameters.microsatParameter(1), 0.3);
  EXPECT_EQ(parameters.dataType(2), SNP);
  EXPECT_EQ(parameters.mutationRate(2), 0.0f);
  EXPECT_EQ(parameters.rangeConstraint(2), 12.0);  // not given by SNP: the previous block's
  EXPECT_EQ(parameters.snpMinFrequency(2), 0.05);  // RFLP keeps the SNP minimum frequency
  EXPECT_EQ(parameters.dataType(6), RFLP);         // lower-case dna is not DNA
  EXPECT_EQ(parameters.recRate(6), 0.5);
  EXPECT_EQ(parameters.firstLocusOfBlock(2), 3);
  EXPECT_EQ(parameters.blockLociOfChromosome(0), (std::vector<int>{2, 1, 3, 1}));
  EXPECT_DOUBLE_EQ(parameters.blockRecRateSum(0), 0.53);
  // Reading again replaces the chromosome instead of appending to it.
  ASSERT_EQ(read("1\n#chromosome 1\n1\nRFLP 2 0 0.001\n"), 1);
  EXPECT_EQ(parameters.numLoci(), 2);
  EXPECT_EQ(parameters.blockLociOfChromosome(0), (std::vector<int>{2}));
}

TEST_F(GeneticParametersTest, ChromosomeFoundAfterExtraLinesWhichCountAllLociDoesNotExpect) {
  const std::string content =
      "2\n#chromosome 1\n1\nRFLP 4 0 0.01\nnotes\nmore notes\n#chromosome 2\n1\nRFLP 6 0 0.01\n";
  ASSERT_EQ(read(content, 1, 2), 1) << log.str();
  EXPECT_EQ(parameters.numLoci(), 6);
  EXPECT_EQ(parameters.numBlocksOfChromosome(1), 1);
  EXPECT_EQ(parameters.countAllLoci(file, log), 1);  // "more notes" is no count: damaged
  EXPECT_CONTAINS(log.str(), "line 6 of '" + file + "': the number of blocks is not a number");
  file =
      dir.write("tidy.par", "2\n#chromosome 1\n1\nRFLP 4 0 0.01\n#c2\n2\nDNA 3 0 0\nSNP 5 0 0\n");
  EXPECT_EQ(parameters.countAllLoci(file, log), 12);
  log.str("");
  EXPECT_EQ(parameters.countAllLoci(dir.path("absent.par"), log), 1);
  EXPECT_EQ(log.str(), "\nthe .par file has not been read\n");
}

TEST_F(GeneticParametersTest, OldDnaLayoutIsOnlyReported) {
  ASSERT_EQ(read("1\n#chromosome\n2\nDNA 1 0 0.0002 0.7\nDNA 1 0 0.0001 0\n"), 1);
  EXPECT_CONTAINS(log.str(),
                  "rates: 1 0 0.0002 WARNING: The .par file seems to be designed for the older "
                  "version of ORVANTIS ver2 (only transition rate), please update to ORVANTIS "
                  "ver3!\n");
  EXPECT_CONTAINS(log.str(),
                  "rates: 1 0 0.0001 Freq A= 0 Freq C= 0 Freq G= 0 Freq T= 0 Rate AC= 0 "
                  "Rate AG= 0 Rate AT= 0 Rate CG= 0 Rate CT= 0 Rate GT= 0\n");
  EXPECT_EQ(parameters.dna(0).freqA, 0.7f);  // kept as read
  ASSERT_EQ(read("1\n#chromosome\n1\nDNA 1 0 0.1 0.25 0.25 0.25 0.25 1 2 1 1 2 1\n"), 1);
  EXPECT_CONTAINS(log.str(),
                  "Freq A= 0.25 Freq C= 0.25 Freq G= 0.25 Freq T= 0.25 Rate AC= 1 Rate "
                  "AG= 2 Rate AT= 1 Rate CG= 1 Rate CT= 2 Rate GT= 1\n");
}

TEST_F(GeneticParametersTest, TotalRecombinationRateSkipsTheLastLocus) {
  ASSERT_EQ(read("1\n#chromosome\n1\nMICROSAT 10 0.001 0.0005\n"), 1);
  float expected = 0.0f;
  for (int k = 0; k < 9; ++k) expected = static_cast<float>(expected + 0.001);
  EXPECT_EQ(parameters.totalRecRate(), static_cast<double>(expected));
  EXPECT_NEAR(parameters.totalRecRate(), 0.009, 1e-6);
  ASSERT_EQ(read("1\n#chromosome\n1\nMICROSAT 1 0.5 0.0005\n"), 1);
  EXPECT_EQ(parameters.totalRecRate(), 0.0);
}

}  // namespace
}  // namespace orvantis
