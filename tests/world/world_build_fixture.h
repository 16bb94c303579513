#pragma once
// A study on disk for world-construction tests: grids, conversion tables and a settings file
// written into a scratch directory, and a World built from them.

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "foundation/run_context.h"
#include "support/recording_window.h"
#include "support/scratch_dir.h"
#include "world/world.h"

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
  WorldBuildTest() { context.random.setFixedSeed(1); }

  // Writes a map and names it in the settings under `key`.
  void map(const char* key, const std::string& content) {
    keys[key] = dir.write(std::string(key) + ".asc", content);
  }
  // Writes a table file and a one-entry index file naming it, under `key`.
  void table(const char* key, const std::string& content) {
    const std::string file = dir.write(std::string(key) + "_table.txt", content);
    keys[key] = dir.write(std::string(key) + "_index.txt", "1\n0 " + file + "\n");
  }
  // Writes the temperature and sea-level series that an LGM vegetation map needs and names them
  // in the settings; the defaults hold a cold reference and a warm present, and a sea that rises
  // from -120 to 0.
  void climateSeries(const std::string& temperature = "-66600 -8\n0 0\n",
                     const std::string& seaLevel = "-66600 -120\n0 0\n") {
    keys["VostokFile"] = dir.write("vostok.txt", temperature);
    keys["SeaLevelFile"] = dir.write("sea_level.txt", seaLevel);
  }
  // Loads the settings (every key of `keys`, the required ones by default) and builds the
  // world; later calls rebuild the same World, as pressing "Build World" again does.
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

  State& stateAt(int row, int col, int population = 0) {
    cell* c = world->cellAt(row, col);
    EXPECT_NE(c, nullptr) << row << "," << col;
    return world->state(population, c->index);
  }

  ScratchDir dir;
  std::ostringstream log;
  RecordingWindow window;
  TRunContext context{log, window};
  std::unique_ptr<World> world;
  std::map<std::string, std::string> keys = {
      {"DoublePopulationMode", "0"},
      {"ChosenDemographicModel", "1"},
      {"EndTime", "10"},
      {"GenerationTime", "25"},
  };
};

}  // namespace orvantis::testing
