#include "genetics/project_file.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "genetics/locus_data.h"
#include "genetics/mutation.h"
#include "support/hand_genealogy.h"
#include "support/text_assertions.h"

namespace orvantis {
namespace {

using testing::textContains;

class ProjectFileTest : public testing::HandGenealogyTest {
 protected:
  // Runs one simulation as the driver does, over `chromosomes` chromosomes of the parameters
  // file; every genealogy is ((0, 1) at 3, ((2, 3) at 1, 4) at 4) at 9 for five genes, or the
  // one that `link` builds.
  std::string simulate(int chromosomes) {
    std::ostringstream file;
    writeProjectHeader(file, *collection, chromosomes);
    for (int c = 0; c < chromosomes; ++c) {
      if (c > 0) startChromosome(c);
      writeChromosomeHeader(file, c + 1, collection->parameters(), collection->mutation());
      link();
      (void)mutateChromosome(*collection, collection->parameters().numLoci(),
                             collection->parameters().totalRecRate() > 0);
      storeDemeData(*collection);
    }
    const int genotypic = collection->genotypicData();
    writeProfile(file, countProfileSamples(*collection), collection->mutation().fileDataType(),
                 genotypic);
    orvantis::writeSamples(file, *collection, genotypic);
    writeStructure(file, *collection);
    return file.str();
  }

  void link() {
    if (tree().sampleSize() == 5) {
      coalesce(coalesce(0, 1, 3), coalesce(coalesce(2, 3, 1), 4, 4), 9);
    } else {
      TNodeRef top = 0;
      for (TNodeRef t = 1; t < tree().sampleSize(); ++t) top = coalesce(top, t, 2 * t);
    }
  }

  // The five genes: two in cell 0 ("pop1"), three in cell 1 ("pop2").
  void fiveGenes(const std::string& parameters, int chromosomes = 1) {
    startRun({sampleAt("pop1", 2, 0, 0, 0), sampleAt("pop2", 3, 0, 0, 1)}, parameters, chromosomes);
  }
};

// The frame of a whole project file is compared with a hand-checked one in the driver's tests;
// here, with a fixed seed, what a run of one chromosome without recombination does not show:
// several chromosomes, a recombination rate, an SNP block and a tab between chromosomes.
TEST_F(ProjectFileTest, TwoChromosomesWithRecombinationAndAnSnpBlock) {
  fiveGenes(
      "2\n#chromosome 1\n2\nDNA 3 0.0001 0.05 0.25 0.25 0.25 0.25 1 4 1 1 4 1\n"
      "MICROSAT 2 0 0.04 0 10\n#chromosome 2\n1\nSNP 2 0 0.3\n",
      2);
  seed(20);
  const std::string text = simulate(2);
  for (const char* part : {
           "#Deme #1\t2\n#Deme #2\t3\n\n#Number of chromosome        : 2\n",
           "#DNA\n#Num linked loci      : 3\n#Recombination rate per generation      : 0.0001\n",
           "#Mutation rate per generation      : 0.04\n\n#Chromosome no 2\n#---------------\n"
           "#Num Linkage Blocks: 1\n\n#Blocks n 1\n#SNP Minimum Frequency = 0.3\n"
           "#Num linked loci      : 2\n#Recombination rate per generation      : 0\n"
           "#Mutation rate per generation      : 0\n\n[Profile]",
           "1_1\t1\tAAG 500 500 \t0 1 \t\n1_2\t1\tAAG 500 500 \t0 1 \t\n\n}",
           "2_1\t1\tAGT 500 499 \t1 0 \t\n2_2\t1\tAGT 500 499 \t1 0 \t\n"
           "2_3\t1\tAGT 499 501 \t1 0 \t\n\n}",
       }) {
    EXPECT_PRED_FORMAT2(textContains, text, part);
  }
}

TEST_F(ProjectFileTest, MixedRunDeclaresStandardForEverySimulationAndADnaRunDeclaresDna) {
  fiveGenes(
      "2\n#chromosome 1\n1\nDNA 2 0 0\n"
      "#chromosome 2\n1\nMICROSAT 1 0 0 0 0\n",
      2);
  collection->mutation().startRun();
  std::string text = simulate(2);
  EXPECT_PRED_FORMAT2(textContains, text, "\tDataType=STANDARD\n\tLocusSeparator=WHITESPACE\n");
  // Without mutations every gene has the root's bases; the microsatellite prints 500.
  const std::string bases = collection->demeAt(cellIndex(0, 0), 0)->loci[0].genes[0];
  EXPECT_PRED_FORMAT2(textContains, text, "1_1\t1\t" + bases + "\t500 \t\n");
  // The next simulation starts over from chromosome 1 (DNA) but stays mixed.
  collection->clearGeneticData();
  startChromosome(0);
  text = simulate(1);
  EXPECT_PRED_FORMAT2(textContains, text, "\tDataType=STANDARD\n");
  // A new run of DNA alone forgets it: DNA without separators.
  collection->mutation().startRun();
  collection->clearGeneticData();
  startChromosome(0);
  text = simulate(1);
  EXPECT_PRED_FORMAT2(textContains, text, "\tDataType=DNA\n\tLocusSeparator=NONE\n");
}

TEST_F(ProjectFileTest, DataTypesOfTheProfile) {
  struct Case {
    int type;
    const char* text;
  };
  for (const Case c :
       {Case{MICROSAT, "MICROSAT\n\tLocusSeparator=TAB\n"},
        Case{RFLP, "RFLP\n\tLocusSeparator=NONE\n"}, Case{DNA, "DNA\n\tLocusSeparator=NONE\n"},
        Case{STANDARD, "STANDARD\n\tLocusSeparator=WHITESPACE\n"},
        Case{SNP, "RFLP\n\tLocusSeparator=NONE\n"}}) {
    std::ostringstream file;
    writeProfile(file, 3, c.type, 0);
    EXPECT_EQ(file.str(),
              "\n[Profile]\n\tTitle=\"A series of simulated samples\"\n\tNbSamples=3\n"
              "\tGenotypicData=0\n\tGameticPhase=1\n\tRecessiveData=0\n\tDataType=" +
                  std::string(c.text) + "\tMissingData='?'\n\n[Data]\n\t[[Samples]]\n\n");
  }
  std::ostringstream genotypic;
  writeProfile(genotypic, 1, DNA, 1);
  EXPECT_PRED_FORMAT2(textContains, genotypic.str(), "\tGenotypicData=1\n\tGameticPhase=0\n");
}

TEST_F(ProjectFileTest, GenotypicSampleOfFourShowsTwoIndividuals) {
  startRun({sampleAt("one", 4, 0, 0, 0), sampleAt("two", 2, 0, 0, 0)},
           "1\n#chromosome 1\n1\nRFLP 3 0 0\n", 1, 1);
  const std::string text = simulate(1);
  const std::string states = collection->demeAt(cellIndex(0, 0), 0)->loci[0].genes[0];
  EXPECT_PRED_FORMAT2(textContains, text,
                      "\t\tSampleName=\"one\"\n\t\tSampleSize=2\n\t\tSampleData= {\n"
                      "1_1\t1\t" +
                          states + "\t\n\t\t" + states +
                          "\t\n"
                          "1_2\t1\t" +
                          states + "\t\n\t\t" + states + "\t\n\n}\n");
  // The second sample of the same deme starts its own count at gene 5 of the deme.
  EXPECT_PRED_FORMAT2(textContains, text,
                      "\t\tSampleName=\"two\"\n\t\tSampleSize=1\n\t\tSampleData= {\n"
                      "2_1\t1\t" +
                          states + "\t\n\t\t" + states + "\t\n\n}\n");
}

}  // namespace
}  // namespace orvantis
