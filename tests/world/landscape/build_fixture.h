#pragma once
// A study on disk for the tests of the world, written into a scratch directory, and a World
// built from it and run.

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "foundation/run_context.h"
#include "support/recording_window.h"
#include "support/scratch_dir.h"
#include "world/demography/simulate_world.h"
#include "world/landscape/world.h"

namespace orvantis::testing {

// An ASCII grid with a header of the given geometry; rows are written as given.
inline std::string gridText(const std::vector<std::string>& rows, int ncols, int noData = -9999,
                            double xll = 0.0, double yll = 0.0, double cellsize = 1.0) {
  std::ostringstream text;
  text << "ncols " << ncols << "\nnrows " << rows.size() << "\nxllcorner " << xll << "\nyllcorner "
       << yll << "\ncellsize " << cellsize << "\nNODATA_value " << noData << "\n";
  for (const std::string& row : rows) text << row << "\n";
  return text.str();
}

class WorldBuildTest : public ::testing::Test {
 protected:
  WorldBuildTest() {
    context.random.setFixedSeed(1);
    context.random.setOutput(randomOutput);
  }

  // Writes a map and names it in the settings under `key`.
  void map(const char* key, const std::string& content) {
    keys[key] = dir.write(std::string(key) + ".asc", content);
  }
  // Writes a table file and a one-entry index file naming it, under `key`.
  void table(const char* key, const std::string& content) {
    const std::string file = dir.write(std::string(key) + "_table.txt", content);
    keys[key] = dir.write(std::string(key) + "_index.txt", "1\n0 " + file + "\n");
  }
  // The temperature and sea-level series an LGM map needs: by default from cold to present.
  void climateSeries(const std::string& temperature = "-66600 -8\n0 0\n",
                     const std::string& seaLevel = "-66600 -120\n0 0\n") {
    keys["VostokFile"] = dir.write("vostok.txt", temperature);
    keys["SeaLevelFile"] = dir.write("sea_level.txt", seaLevel);
  }
  void sources(const std::string& content) {
    keys["PopDensityFile"] = dir.write("sources.txt", content);
  }
  // One source of `size` at generation 0 on the cell (row, col) of a grid of `nrows` rows.
  void source(int nrows, int row, int col, int size) {
    std::ostringstream text;
    text << "1\nfounders " << size << " " << (nrows - row - 0.5) << " " << (col + 0.5)
         << " 0 0 0 0 0 0\n";
    sources(text.str());
  }
  // Loads the settings (every key of `keys`) and builds the world; later calls rebuild the same
  // World.
  int build() {
    std::ostringstream text;
    for (const auto& [key, value] : keys) text << key << " = " << value << "\n";
    const std::string path = dir.write("settings.txt", text.str());
    if (!world) world = std::make_unique<World>(context);
    world->settings().reset();
    world->settings().load(path.c_str());
    world->settings().fillTables();
    return world->BuildWorld();
  }
  int run(TEnvironmentDynamics* dynamics = nullptr) {
    float seconds = -1.0f;
    const int result = SimulateWorld(*world, seconds, dynamics);
    EXPECT_GE(seconds, 0.0f);
    return result;
  }

  State& stateAt(int row, int col, int population = 0) {
    return world->state(population, world->cellAt(row, col)->index);
  }
  int dbN(int row, int col, int t, int population = 0) {
    return world->database().get_N(world->cellAt(row, col)->index, population, t);
  }
  // Every size of the database, generation after generation.
  std::vector<int> sizes() {
    std::vector<int> values;
    const StateDB& db = world->database();
    for (int t = 0; t <= db.endTime(); ++t) {
      for (int i = 0; i < db.numEntries(); ++i) values.push_back(db.get_N(i, 0, t));
    }
    return values;
  }

  ScratchDir dir;
  std::ostringstream randomOutput;
  std::ostringstream log;
  RecordingWindow window;
  TRunContext context{log, window};
  std::unique_ptr<World> world;
  std::map<std::string, std::string> keys = {
      {"DoublePopulationMode", "0"}, {"ChosenDemographicModel", "1"}, {"EndTime", "10"},
      {"GenerationTime", "25"},      {"GrowthRate", "0.5"},           {"MigrationRate", "0.2"},
  };
};

}  // namespace orvantis::testing
