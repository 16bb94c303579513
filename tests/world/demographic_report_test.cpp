// The demographic report of a two-population run, from the study's files on.

#include "world/demographic_report.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <sstream>
#include <string>

#include "foundation/run_context.h"
#include "support/recording_window.h"
#include "support/scratch_dir.h"
#include "support/text_assertions.h"
#include "world/simulate_world.h"
#include "world/world.h"

namespace orvantis {
namespace {

// A row of six cells (K = 100 for both populations) under model 21; P1 starts with 50 in the
// first cell, and, when asked, a P2 source of 20 is taken from the P1 individuals of the second
// cell at generation 2.
class TwoPopulationReportTest : public ::testing::Test {
 protected:
  TwoPopulationReportTest() {
    context.random.setFixedSeed(5);
    context.random.setOutput(randomOutput);
  }

  void buildAndRun(bool secondSource) {
    const std::string grid =
        "ncols 6\nnrows 1\nxllcorner 0\nyllcorner 0\ncellsize 1\nNODATA_value -9999\n"
        "1 1 1 1 1 1\n";
    std::ostringstream sources;
    sources << (secondSource ? 2 : 1) << "\nfirst 50 0.5 0.5 0 0 0 0 0 0\n";
    if (secondSource) sources << "second 20 0.5 1.5 0 0 0 0 1 2\n";
    const std::string k = dir.write("k.txt", "1 100 grass\n");
    std::ostringstream text;
    text << "DoublePopulationMode=1\nChosenDemographicModel=21\nEndTime=10\nGenerationTime=25\n"
         << "GrowthRate=0.5\nGrowthRate_P2=0.5\nMigrationRate=0.2\nMigrationRate_P2=0.2\n"
         << "MigrRate_P1_to_P2=0.2\nMigrRate_P2_to_P1=0.1\nTauValue=10\n"
         << "PresVegetationFile=" << dir.write("veg.asc", grid) << "\n"
         << "Veg2KFile=" << dir.write("veg2k.txt", "1\n0 " + k) << "\n"
         << "Veg2K_P2_File=" << dir.write("veg2k2.txt", "1\n0 " + k) << "\n"
         << "PopDensityFile=" << dir.write("sources.txt", sources.str()) << "\n";
    world = std::make_unique<World>(context);
    world->settings().reset();
    world->settings().load(dir.write("settings.txt", text.str()).c_str());
    world->settings().fillTables();
    ASSERT_EQ(world->BuildWorld(), 1) << log.str();
    float seconds = 0.0f;
    ASSERT_EQ(SimulateWorld(*world, seconds), 1) << log.str();
    log.str("");
    printDemographicReport(*world);
  }

  // The two last lines' values worked out from the database, leaving out one cell's flows.
  std::string expectedInterdemeLines(int excludedCell) {
    const StateDB& db = world->database();
    double flows = 0.0;
    long together = 0;
    for (int i = 0; i < db.numEntries(); ++i) {
      for (int t = 0; t < 10; ++t) {
        if (i != excludedCell) flows += db.get_migrBetweenDemes(i, 0, 1, t);
        together += db.get_N(i, 0, t) > 0 && db.get_N(i, 1, t) > 0;
      }
    }
    std::ostringstream lines;
    lines << "\tMean number of migrants interdeme : " << static_cast<float>(flows) / 6.0f << "\n"
          << "\tMean cohabitation time : " << static_cast<float>(together) / 6.0f << "\n"
          << "... Done!\n";
    return lines.str();
  }

  testing::ScratchDir dir;
  std::ostringstream randomOutput;
  std::ostringstream log;
  testing::RecordingWindow window;
  TRunContext context{log, window};
  std::unique_ptr<World> world;
};

TEST_F(TwoPopulationReportTest, FlowsLeaveOutTheCellOfTheSecondSource) {
  buildAndRun(true);
  const StateDB& db = world->database();
  const int second = world->cellAt(0, 1)->index;
  ASSERT_EQ(world->sources()[1].cellIndex, second);
  // The P1 individuals that became the second source are a flow of that cell.
  long flowsThere = 0;
  for (int t = 0; t < 10; ++t) flowsThere += db.get_migrBetweenDemes(second, 0, 1, t);
  ASSERT_GT(flowsThere, 0);

  const std::string report = log.str();
  EXPECT_STARTS_WITH(report,
                     "Printing demographic report... \n"
                     "\tDate of entire colonization, layer 0 : ");
  EXPECT_CONTAINS(report, "\tDate of entire colonization, layer 1 : ");
  EXPECT_CONTAINS(report, "\tMean number of migrants, layer 1 : ");
  const std::string tail = expectedInterdemeLines(second);
  ASSERT_GE(report.size(), tail.size());
  EXPECT_EQ(report.substr(report.size() - tail.size()), tail);
  EXPECT_NE(tail, expectedInterdemeLines(-1));
}

// With a single source no cell is left out (there is no second source to read).
TEST_F(TwoPopulationReportTest, OneSourceLeavesOutNoCell) {
  buildAndRun(false);
  EXPECT_CONTAINS(log.str(), expectedInterdemeLines(-1));
  EXPECT_CONTAINS(log.str(),
                  "\tMean number of migrants interdeme : 0\n"
                  "\tMean cohabitation time : 0\n");
}

}  // namespace
}  // namespace orvantis
