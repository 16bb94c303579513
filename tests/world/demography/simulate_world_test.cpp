// Runs of the demography from the study's files on, and their report.

#include "world/demography/simulate_world.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "support/text_assertions.h"
#include "world/demography/report.h"
#include "world/landscape/build_fixture.h"

namespace orvantis {
namespace {

// Class-1 cells (K = 100, F = 0.5) where `land` holds 'x', water where it holds '.', and one
// source of `size` at (row, col).
class SimulateWorldTest : public testing::WorldBuildTest {
 protected:
  void study(const std::vector<std::string>& land, int row, int col, int size) {
    std::vector<std::string> rows;
    for (const std::string& r : land) {
      std::string line;
      for (const char c : r) line += c == '.' ? "-9999 " : "1 ";
      rows.push_back(line);
    }
    map("PresVegetationFile", testing::gridText(rows, static_cast<int>(land.front().size())));
    table("Veg2KFile", "1 100 grass\n");
    source(static_cast<int>(land.size()), row, col, size);
    ASSERT_EQ(build(), 1) << log.str();
    log.str("");
  }
};

// By hand, r = 0.5, m = 0.2, K = 100: 10 grow to 14 (remainder 0.2857) and send 2.8 east, 2
// leave and 0.8 is carried; the 2 arrivals neither grow nor emit in generation 1. Generation 2:
// 14.29 grows to 19.3 and sends 3.86 + 0.8 carried = 4, the 2 grow to 2.98 and send nobody.
TEST_F(SimulateWorldTest, RunsARowOfThreeCellsAndReportsIt) {
  keys["EndTime"] = "3";
  study({"xxx"}, 0, 0, 10);
  ASSERT_EQ(run(), 1) << log.str();
  const int expected[4][3] = {{10, 0, 0}, {12, 2, 0}, {13, 6, 0}, {16, 11, 1}};
  for (int t = 0; t <= 3; ++t) {
    for (int c = 0; c < 3; ++c) EXPECT_EQ(dbN(0, c, t), expected[t][c]) << t << "," << c;
  }
  const StateDB& db = world->database();
  EXPECT_EQ(db.get_migrFromNeighbour(world->cellAt(0, 1)->index, 0, FromSide::West, 2), 4);
  EXPECT_EQ(db.get_migrFromNeighbour(world->cellAt(0, 0)->index, 0, FromSide::East, 3), 1);
  EXPECT_CONTAINS(log.str(), "... Done! (Duration of the SimulateWorld function: ");

  log.str("");
  printDemographicReport(*world);
  EXPECT_EQ(log.str(),
            "Printing demographic report... \n"
            "\tDate of entire colonization, layer 0 : 3\n"
            "\tDate of edge colonization, layer 0 : 1\n"
            "\tMean number of migrants, layer 0 : 1.66667\n"
            "... Done!\n");
  EXPECT_EQ(arrivalGeneration(db, world->cellAt(0, 2)->index, 0), 3);
}

// A second run on the same world restarts the counter, the date, the states and the database,
// so under the same seed it repeats the first (model 3 draws every size and migrant).
TEST_F(SimulateWorldTest, ARepeatedRunRepeatsTheFirst) {
  keys["ChosenDemographicModel"] = "3";
  keys["EndTime"] = "30";
  study({"xxxxx", "xx.xx", "xxxxx", "xxxxx"}, 2, 2, 20);
  context.random.initialize_ran3(-7);
  ASSERT_EQ(run(), 1);
  const std::vector<int> first = sizes();
  const double firstDate = context.date;
  context.random.initialize_ran3(-7);
  ASSERT_EQ(run(), 1);
  EXPECT_EQ(sizes(), first);
  EXPECT_EQ(context.date, firstDate);
}

// A row of six cells under model 21; P1 starts with 50 in the first cell, and a second source
// of 20 may be taken from the P1 individuals of the second cell at generation 2. The interdeme
// line leaves out the flows of the second source's cell, and with one source no cell.
TEST_F(SimulateWorldTest, InterdemeLinesOfATwoPopulationReport) {
  keys.insert({{"GrowthRate_P2", "0.5"},
               {"MigrationRate_P2", "0.2"},
               {"MigrRate_P1_to_P2", "0.2"},
               {"MigrRate_P2_to_P1", "0.1"},
               {"TauValue", "10"}});
  keys["DoublePopulationMode"] = "1";
  keys["ChosenDemographicModel"] = "21";
  map("PresVegetationFile", testing::gridText({"1 1 1 1 1 1"}, 6));
  table("Veg2KFile", "1 100 grass\n");
  table("Veg2K_P2_File", "1 100 grass\n");
  for (const bool secondSource : {true, false}) {
    SCOPED_TRACE(secondSource);
    sources(secondSource ? "2\nfirst 50 0.5 0.5 0 0 0 0 0 0\nsecond 20 0.5 1.5 0 0 0 0 1 2\n"
                         : "1\nfirst 50 0.5 0.5 0 0 0 0 0 0\n");
    ASSERT_EQ(build(), 1) << log.str();
    ASSERT_EQ(run(), 1) << log.str();
    log.str("");
    printDemographicReport(*world);
    const StateDB& db = world->database();
    const int excluded = secondSource ? world->cellAt(0, 1)->index : -1;
    double flows = 0.0;
    double excludedFlows = 0.0;
    long together = 0;
    for (int i = 0; i < db.numEntries(); ++i) {
      for (int t = 0; t < 10; ++t) {
        (i == excluded ? excludedFlows : flows) += db.get_migrBetweenDemes(i, 0, 1, t);
        together += db.get_N(i, 0, t) > 0 && db.get_N(i, 1, t) > 0;
      }
    }
    // The P1 individuals that became the second source are a flow of that cell.
    EXPECT_EQ(excludedFlows > 0, secondSource);
    std::ostringstream tail;
    tail << "\tMean number of migrants interdeme : " << static_cast<float>(flows) / 6.0f << "\n"
         << "\tMean cohabitation time : " << static_cast<float>(together) / 6.0f << "\n"
         << "... Done!\n";
    EXPECT_CONTAINS(log.str(), tail.str());
  }
}

}  // namespace
}  // namespace orvantis
