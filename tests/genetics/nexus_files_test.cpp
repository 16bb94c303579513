#include "genetics/nexus_files.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "coalescent/genetic_parameters.h"
#include "genetics/mutation_state.h"
#include "genetics/nexus_data_type.h"
#include "support/scratch_dir.h"

namespace orvantis {
namespace {

constexpr const char* kNote =
    " (standard deviation computed over simulations, not over chromosomes if more than one)\n";

TEST(TreeFilesTest, ClosingsGiveTheMeanAndFromTwoSimulationsTheDeviation) {
  // One simulation of two chromosomes, 4 loci in all: the means alone.
  TTreeLengthSums one;
  one.add(12.0, 30);
  one.add(8.0, 10);
  std::ostringstream trueTrees;
  std::ostringstream mutationTrees;
  writeTrueTreesClosing(trueTrees, one, 1, 4);
  writeMutationTreesClosing(mutationTrees, one, 1);
  EXPECT_EQ(trueTrees.str(), "end;\n\nMean length of the trees : 5");
  EXPECT_EQ(mutationTrees.str(), "end;\n\nMean length of the trees : 40");
  // Three simulations of one chromosome of 2 loci: the deviation in scientific form.
  TTreeLengthSums sums;
  const double lengths[] = {2.0, 4.0, 9.0};
  const long long mutations[] = {3, 5, 10};
  for (int s = 0; s < 3; ++s) sums.add(lengths[s], mutations[s]);
  std::ostringstream out;
  writeMutationTreesClosing(out, sums, 3);
  EXPECT_EQ(out.str(), std::string("end;\n\nMean length of the trees : 6 +- 3.60555E+00") + kNote);
  // The closing leaves the stream's format as it was.
  out.str("");
  out << 0.25;
  EXPECT_EQ(out.str(), "0.25");
  // Identical values: a deviation of 0, never the root of a rounding error below 0.
  TTreeLengthSums same;
  for (int s = 0; s < 3; ++s) same.add(0.1, 7);
  std::ostringstream zero;
  writeTrueTreesClosing(zero, same, 3, 3);
  EXPECT_EQ(zero.str(),
            std::string("end;\n\nMean length of the trees : 0.0333333 +- 0.00000E+00") + kNote);
}

TEST(RunDataTypeTest, TheWholeFileDecidesBeforeTheFirstSimulation) {
  testing::ScratchDir dir;
  const std::string mixed = dir.write("mixed.par",
                                      "2\n#chromosome 1\n1\nDNA 5 0 0.001\n"
                                      "#chromosome 2\n2\nDNA 3 0 0.001\nMICROSAT 2 0 0.0005 0 0\n");
  const std::string dna = dir.write("dna.par",
                                    "2\n#chromosome 1\n1\nDNA 5 0 0.001\n"
                                    "#chromosome 2\n1\nDNA 3 0 0.001\n");
  std::ostringstream log;
  EXPECT_EQ(readRunDataType(dna, 2, log), DNA);
  EXPECT_EQ(log.str(), "");  // the chromosomes are logged when they are simulated
  // Noted in the run's mutation state, the project files declare it from the first simulation.
  TMutationState state;
  state.startRun();
  EXPECT_EQ(noteRunDataType(state, mixed, 2, log), STANDARD);
  EXPECT_EQ(state.fileDataType(), STANDARD);
  EXPECT_EQ(state.runDataType(), DNA);
  state.startRun();
  EXPECT_EQ(noteRunDataType(state, dna, 2, log), DNA);
  EXPECT_EQ(state.fileDataType(), DNA);
  EXPECT_EQ(readRunDataType(dir.path("missing.par"), 2, log), -1);
  EXPECT_NE(log.str(), "");
}

}  // namespace
}  // namespace orvantis
