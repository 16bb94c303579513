// The tree files of a whole run are read by a real NEXUS reader (DendroPy, under Debian's
// interpreter): the number of trees, the taxa, and tree heights that agree with the temporal
// coalescence file of the same run.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "driver_fixture.h"

namespace orvantis {
namespace {

using testing::DriverTest;

TEST_F(DriverTest, DendroPyReadsTheTreeFilesOfARun) {
  keys["NexusFile"] = "1";
  keys["TemporalCoalescenceFile"] = "1";
  keys["NumGeneticSimulations"] = "3";
  constexpr int kEndTime = 30;
  buildWorld({"1 1"}, kEndTime);
  setSize(0, 0, 12);
  setSize(0, 1, 12, 0, 1);
  setArrivals(0, 1, FromSide::West, 12, 0, 1, 1);  // colonised from the source at generation 1
  addSource("Origin", 0, 0);
  writeSamples({sampleAt("a", 3, 0, 0, 0), sampleAt("b", 3, 0, 0, 1)});
  writeParameters("1\n#chromosome 1\n1\nDNA 2 0 0.01 0.25 0.25 0.25 0.25 1 1 1 1 1 1\n");
  TGeneticOptions options;
  options.temporalCoalescence = true;
  const TGeneticRunReport report = simulate(options);
  ASSERT_EQ(report.status, TGeneticRunStatus::Completed) << report.problem << log.str();

  // Tips are labelled node number "." deme number + 1; three simulations of two loci.
  dir.write("expected.txt", "1.1 2.1 3.1 4.2 5.2 6.2\n6\n");
  const std::string base = report.names.baseName;
  const std::string command = std::string("/usr/bin/python3 ") + ORVANTIS_SOURCE_DIR +
                              "/tests/genetics/read_tree_files.py '" + base +
                              "_true_trees.trees' '" + base + "_mut_trees.trees' '" + base +
                              ".coal' '" + dir.path("expected.txt") + "' " +
                              std::to_string(kEndTime) + " > '" + dir.path("reader.txt") + "' 2>&1";
  EXPECT_EQ(std::system(command.c_str()), 0) << dir.read("reader.txt");
  EXPECT_EQ(dir.read("reader.txt"), "read 6 trees per file\n");
}

}  // namespace
}  // namespace orvantis
