#include "world/simulate_world.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "foundation/run_context.h"
#include "support/recording_window.h"
#include "support/scratch_dir.h"
#include "world/demographic_report.h"
#include "world/world.h"

namespace orvantis {
namespace {

// A study on disk: a vegetation map of class-1 cells (K = 100, F = 0.5) with '.' for water, one
// source, and the settings of a one-population run.
class SimulateWorldTest : public ::testing::Test {
 protected:
  SimulateWorldTest() {
    context.random.setFixedSeed(3);
    context.random.setOutput(randomOutput);
  }

  // `sourceRow`/`sourceCol` place a source of `size` individuals at generation 0.
  int build(const std::vector<std::string>& map, int sourceRow, int sourceCol, int size) {
    std::ostringstream grid;
    grid << "ncols " << map.front().size() << "\nnrows " << map.size()
         << "\nxllcorner 0\nyllcorner 0\ncellsize 1\nNODATA_value -9999\n";
    for (const std::string& row : map) {
      for (const char c : row) grid << (c == '.' ? "-9999 " : "1 ");
      grid << "\n";
    }
    const double x = sourceCol + 0.5;
    const double y = static_cast<double>(map.size()) - sourceRow - 0.5;
    std::ostringstream sources;
    sources << "1\nfounders " << size << " " << y << " " << x << " 0 0 0 0 0 0\n";
    keys["PresVegetationFile"] = dir.write("veg.asc", grid.str());
    keys["Veg2KFile"] = dir.write("veg2k.txt", "1\n0 " + dir.write("k.txt", "1 100 grass\n"));
    keys["PopDensityFile"] = dir.write("sources.txt", sources.str());
    std::ostringstream text;
    for (const auto& [key, value] : keys) text << key << "=" << value << "\n";
    world = std::make_unique<World>(context);
    TExtendedSettings& settings = world->settings();
    settings.reset();
    settings.load(dir.write("settings.txt", text.str()).c_str());
    settings.fillTables();
    const int built = world->BuildWorld();
    log.str("");
    return built;
  }

  int run() {
    float seconds = -1.0f;
    const int result = SimulateWorld(*world, seconds);
    EXPECT_GE(seconds, 0.0f);
    return result;
  }

  int dbN(int row, int col, int t) {
    return world->database().get_N(world->cellAt(row, col)->index, 0, t);
  }

  // Every size and arrival of the database.
  std::vector<int> snapshot() {
    const StateDB& db = world->database();
    std::vector<int> values;
    for (int t = 0; t <= db.endTime(); ++t) {
      for (int i = 0; i < db.numEntries(); ++i) {
        values.push_back(db.get_N(i, 0, t));
        for (FromSide s : {FromSide::North, FromSide::South, FromSide::East, FromSide::West}) {
          values.push_back(db.get_migrFromNeighbour(i, 0, s, t));
        }
      }
    }
    return values;
  }

  testing::ScratchDir dir;
  std::ostringstream randomOutput;
  std::ostringstream log;
  testing::RecordingWindow window;
  TRunContext context{log, window};
  std::unique_ptr<World> world;
  std::map<std::string, std::string> keys = {
      {"DoublePopulationMode", "0"}, {"ChosenDemographicModel", "1"}, {"EndTime", "3"},
      {"GenerationTime", "25"},      {"GrowthRate", "0.5"},           {"MigrationRate", "0.2"},
  };
};

// The row of three cells worked out by hand in the engine's tests, now from the files on, and
// the report of that run: arrivals at 0, 1 and 3; five migrants moving at the end.
TEST_F(SimulateWorldTest, RunsARowOfThreeCellsAndReportsIt) {
  ASSERT_EQ(build({"xxx"}, 0, 0, 10), 1);
  ASSERT_EQ(run(), 1) << log.str();
  const int expected[4][3] = {{10, 0, 0}, {12, 2, 0}, {13, 6, 0}, {16, 11, 1}};
  for (int t = 0; t <= 3; ++t) {
    for (int c = 0; c < 3; ++c) EXPECT_EQ(dbN(0, c, t), expected[t][c]) << t << "," << c;
  }
  EXPECT_NE(log.str().find("... Done! (Duration of the SimulateWorld function: "),
            std::string::npos);
  EXPECT_EQ(context.generation, 3);
  EXPECT_EQ(context.date, world->realBPTime() + 3 * 25);

  log.str("");
  printDemographicReport(*world);
  EXPECT_EQ(log.str(),
            "Printing demographic report... \n"
            "\tDate of entire colonization, layer 0 : 3\n"
            "\tDate of edge colonization, layer 0 : 1\n"
            "\tMean number of migrants, layer 0 : 1.66667\n"
            "... Done!\n");
  EXPECT_EQ(arrivalGeneration(world->database(), world->cellAt(0, 2)->index, 0), 3);
}

TEST_F(SimulateWorldTest, AColonyThatNeverReachesTheEdge) {
  keys["MigrationRate"] = "0";
  ASSERT_EQ(build({"xxx", "xxx", "xxx"}, 1, 1, 10), 1);
  ASSERT_EQ(run(), 1);
  log.str("");
  printDemographicReport(*world);
  EXPECT_NE(log.str().find("\tDate of edge colonization, layer 0 : 32766\n"), std::string::npos);
  EXPECT_NE(log.str().find("\tDate of entire colonization, layer 0 : 0\n"), std::string::npos);
}

// A second run on the same world restarts the counter, the date, the states and the database,
// so under the same seed it repeats the first (model 3 draws every size and migrant).
TEST_F(SimulateWorldTest, ARepeatedRunRepeatsTheFirst) {
  keys["ChosenDemographicModel"] = "3";
  keys["EndTime"] = "30";
  ASSERT_EQ(build({"xxxxx", "xx.xx", "xxxxx", "xxxxx"}, 2, 2, 20), 1);
  context.random.initialize_ran3(-7);
  ASSERT_EQ(run(), 1);
  const std::vector<int> first = snapshot();
  const double firstDate = context.date;
  EXPECT_GT(dbN(0, 0, 30), 0);

  context.random.initialize_ran3(-7);
  ASSERT_EQ(run(), 1);
  EXPECT_EQ(snapshot(), first);
  EXPECT_EQ(context.generation, 30);
  EXPECT_EQ(context.date, firstDate);
}

TEST_F(SimulateWorldTest, ReportsProgressTenTimes) {
  keys["EndTime"] = "20";
  ASSERT_EQ(build({"xxx"}, 0, 1, 10), 1);
  ASSERT_EQ(run(), 1);
  std::vector<long> steps;
  for (const TProgress& p : window.progressReports) {
    if (p.label == "Demographic simulation") steps.push_back(p.current);
  }
  EXPECT_EQ(steps, (std::vector<long>{2, 4, 6, 8, 10, 12, 14, 16, 18, 20}));
  ASSERT_FALSE(window.progressReports.empty());
  EXPECT_EQ(window.progressReports.back().current, 20);
  EXPECT_EQ(window.progressReports.back().total, 20);
  EXPECT_EQ(window.pendingEventCalls, 20);
}
TEST_F(SimulateWorldTest, CoastAdaptationKeepsInlandCellsClosed) {
  keys["CoastAdaptationDuration"] = "500";
  keys["EndTime"] = "22";
  keys["MigrationRate"] = "0.5";
  ASSERT_EQ(build({"xxxxx", "x.xxx", "xxxxx"}, 1, 2, 100), 1);
  for (int pass = 0; pass < 2; ++pass) {
    ASSERT_EQ(run(), 1) << pass;
    EXPECT_EQ(dbN(1, 3, 19), 0) << pass;
    EXPECT_GT(dbN(1, 3, 20), 0) << pass;
  }
}

}  // namespace
}  // namespace orvantis
