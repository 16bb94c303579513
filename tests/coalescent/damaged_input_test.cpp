// Damaged sample and genetic parameters files: a clear message naming the file and the line, no
// crash, no hang, no huge allocation.

#include <gtest/gtest.h>

#include <string>

#include "coalescent/deme_collection.h"
#include "support/sampled_world.h"
#include "support/text_assertions.h"

namespace orvantis {
namespace {

class DamagedInputTest : public testing::SampledWorldTest {
 protected:
  void SetUp() override {
    buildWorld({"1 1", "1 1"});
    setSize(0, 0, 50);
  }
};

TEST_F(DamagedInputTest, SampleFiles) {
  struct Case {
    const char* name;
    std::string content;
    int result;
    const char* message;  // part of the log
  };
  const Case cases[] = {
      {"empty", "", 0, "is empty]"},
      {"no count", "samples follow\npop 2 0 1.5 0.5\n", 0, "line 1 of '"},
      {"negative count", "-4\n", 0, "the first line must give the number of samples"},
      {"huge count", "99999999999999999999999\npop 2 0 1.5 0.5\n", 0, "number of samples"},
      {"count only", "1000000000\n", 1, "ends after 0 of the 1000000000 samples"},
      {"truncated line", "1\npop 2 0\n", 1, "line 2 of '"},
      {"blank line", "2\n\npop 2 0 1.5 0.5\n", 1, "a sample needs a name, a size"},
      {"garbage size", "1\npop many 0 1.5 0.5\n", 1, "the size of sample 'pop' must be"},
      {"huge size", "1\npop 99999999999999999999 0 1.5 0.5\n", 1, "the size of sample 'pop'"},
      {"negative size", "1\npop -2 0 1.5 0.5\n", 1, "the size of sample 'pop'"},
      {"garbage population", "1\npop 2 P1 1.5 0.5\n", 1, "population index of sample 'pop'"},
      {"huge population", "1\npop 2 99999999999 1.5 0.5\n", 1, "the no of deme # pop"},
      {"garbage coordinates", "1\npop 2 0 north 0.5\n", 1, "coordinates of sample 'pop'"},
      {"infinite coordinates", "1\npop 2 0 1e999 0.5\n", 1, "out of World coordinates"},
      {"not a number", "1\npop 2 0 nan 0.5\n", 1, "out of World coordinates"},
      {"huge date", "1\npop 2 0 1.5 0.5 99999999999999999999999\n", 1, ""},
      {"binary", std::string("2\n\x01\xff\x00 7\n\xfe\n", 10), 1, "a sample needs"},
      {"long name", "1\n" + std::string(50000, 'x') + " 2 0 1.5 0.5\n", 1, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    log.str("");
    writeSampleFile(c.content);
    TDemeCollection collection(*world, log, window, context.random);
    ASSERT_EQ(collection.createDemesFromWorld(), 1);
    EXPECT_EQ(collection.readSampleFile(), c.result);
    EXPECT_CONTAINS(log.str(), c.message);
    std::string problem;
    EXPECT_TRUE(collection.verify(&problem)) << problem;
  }
}

TEST_F(DamagedInputTest, GeneticParametersFiles) {
  struct Case {
    const char* name;
    std::string content;
    const char* message;  // part of the log of readChromosome(0)
  };
  const std::string head = "1\n#chromosome 1\n";
  const Case cases[] = {
      {"empty", "", "line 0 of '"},
      {"no section", "1\nRFLP 2 0 0\n", "no line \"#chromosome\""},
      {"no block count", head, "ends before the number of linkage blocks"},
      {"garbage block count", head + "blocks\n", "line 3 of '"},
      {"zero blocks", head + "0\n", "number of linkage blocks (0) must lie between 1"},
      {"huge block count", head + "99999999999999999999\nRFLP 1 0 0\n", "must lie between 1"},
      {"missing block lines", head + "3\nRFLP 1 0 0\n", "ends after 1 of the 3 block lines"},
      {"untyped first block", head + "1\nSTR 4 0 0.1\n", "chromosome 1: the first block line"},
      {"short block", head + "1\nRFLP 4\n", "needs a data type, a number of loci"},
      {"zero loci", head + "1\nRFLP 0 0 0.1\n", "the number of loci (0) must lie between 1"},
      {"huge loci", head + "1\nRFLP 2000000000 0 0.1\n", "the number of loci (2000000000)"},
      {"too many loci", head + "2\nRFLP 9000000 0 0\nRFLP 2000000 0 0\n", "more than 10000000"},
      {"negative rate", head + "1\nRFLP 4 -0.1 0.1\n", "recombination rate"},
      {"infinite rate", head + "1\nMICROSAT 4 1e999 0.1\n", "recombination rate"},
      {"garbage mutation", head + "1\nDNA 4 0 fast\n", "field 4 (fast)"},
      {"float overflow", head + "1\nRFLP 4 0 1e300\n", "beyond the range of a real"},
      {"binary", std::string("1\n#chromosome\n1\n\xffRFLP\x00 3", 24), "line 4 of '"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    log.str("");
    writeParameters(c.content);
    TDemeCollection collection(*world, log, window, context.random);
    collection.parameters().setNumChromosomes(1);
    EXPECT_EQ(collection.readChromosome(0), 0);
    EXPECT_CONTAINS(log.str(), c.message);
    EXPECT_CONTAINS(log.str(), dir.path("genetics.par"));
    EXPECT_EQ(collection.parameters().numLoci(), 0);
    EXPECT_EQ(collection.parameters().numBlocks(), 0);
    const int loci = collection.countAllLoci();
    EXPECT_GE(loci, 1);
  }
  writeParameters("99999999999\n");
  EXPECT_EQ(world->readNumChromosomes(), 0);
  EXPECT_CONTAINS(log.str(), "the number of chromosomes (99999999999) exceeds 100000");
  TDemeCollection collection(*world, log, window, context.random);
  collection.parameters().setNumChromosomes(1);
  EXPECT_EQ(collection.readChromosome(3), 0);  // not a chromosome of the run
}

}  // namespace
}  // namespace orvantis
