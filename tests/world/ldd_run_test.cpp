// A long-distance dispersal run from the study's files on.

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <sstream>
#include <string>

#include "foundation/run_context.h"
#include "support/recording_window.h"
#include "support/scratch_dir.h"
#include "world/simulate_world.h"
#include "world/world.h"

namespace orvantis {
namespace {

class LddRunTest : public ::testing::Test {
 protected:
  LddRunTest() {
    context.random.setFixedSeed(9);
    context.random.setOutput(randomOutput);
  }

  // A 20 x 20 land of class 1 (K = 100), one source of 50 at the centre.
  void build() {
    std::string grid =
        "ncols 20\nnrows 20\nxllcorner 0\nyllcorner 0\ncellsize 1\n"
        "NODATA_value -9999\n";
    for (int r = 0; r < 20; ++r) {
      for (int c = 0; c < 20; ++c) grid += "1 ";
      grid += "\n";
    }
    keys["PresVegetationFile"] = dir.write("veg.asc", grid);
    keys["Veg2KFile"] = dir.write("veg2k.txt", "1\n0 " + dir.write("k.txt", "1 100 grass\n"));
    keys["PopDensityFile"] = dir.write("sources.txt", "1\nfounders 50 10.5 10.5 0 0 0 0 0 0\n");
    std::ostringstream text;
    for (const auto& [key, value] : keys) text << key << "=" << value << "\n";
    world = std::make_unique<World>(context);
    world->settings().reset();
    world->settings().load(dir.write("settings.txt", text.str()).c_str());
    world->settings().fillTables();
    ASSERT_EQ(world->BuildWorld(), 1) << log.str();
  }

  testing::ScratchDir dir;
  std::ostringstream randomOutput;
  std::ostringstream log;
  testing::RecordingWindow window;
  TRunContext context{log, window};
  std::unique_ptr<World> world;
  std::map<std::string, std::string> keys = {
      {"DoublePopulationMode", "0"},
      {"ChosenDemographicModel", "14"},
      {"EndTime", "30"},
      {"GenerationTime", "25"},
      {"GrowthRate", "0.5"},
      {"MigrationRate", "0.2"},
      {"LDDProportion", "0.05"},
      {"GammaShapeParamAllCells", "2"},
      {"GammaScaleParamAllCells", "0.5"},
      {"LDD_max_treshold", "8"},
  };
};

// Every jump is in the database, from a cell that held the population in the generation before,
// over at least two and at most LDD_max_treshold cells; the database stays consistent.
TEST_F(LddRunTest, JumpsAreRecordedForTheCoalescent) {
  build();
  float seconds = 0.0f;
  ASSERT_EQ(SimulateWorld(*world, seconds), 1) << log.str();
  const StateDB& db = world->database();
  std::string problem;
  EXPECT_TRUE(db.verify(&problem)) << problem;
  long jumps = 0;
  for (int t = 1; t <= 30; ++t) {
    for (int i = 0; i < db.numEntries(); ++i) {
      for (const TLDDMigrant& m : db.get_LDDMigrants(i, 0, t)) {
        EXPECT_EQ(m.count, 1);
        EXPECT_GT(db.get_N(m.sourceCell, 0, t - 1), 0) << "t " << t;
        const cell& from = world->cells()[static_cast<std::size_t>(m.sourceCell)];
        const cell& to = world->cells()[static_cast<std::size_t>(i)];
        const int distance = std::abs(from.row - to.row) + std::abs(from.column - to.column);
        EXPECT_GE(distance, 2);
        EXPECT_LE(distance, 8);
        jumps += m.count;
      }
    }
  }
  EXPECT_GT(jumps, 20);
}

}  // namespace
}  // namespace orvantis
