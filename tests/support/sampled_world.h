#pragma once
// A small world for the tests of the backward simulation: built from an in-memory vegetation
// map in a scratch directory, with the sample and genetic parameters files named in its
// settings. Its database is filled either by a real demographic run or by setting sizes
// directly, so that a test knows exactly how many individuals a deme holds at a date.

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "coalescent/deme_collection.h"
#include "foundation/run_context.h"
#include "support/recording_window.h"
#include "support/scratch_dir.h"
#include "world/demography/simulate_world.h"
#include "world/landscape/world.h"

namespace orvantis::testing {

class SampledWorldTest : public ::testing::Test {
 protected:
  SampledWorldTest() {
    context.random.setFixedSeed(1);
    context.random.setOutput(randomOutput);
  }

  // Builds the world: one string of vegetation classes per row ('-9999' is water), every class
  // 1 with K 100, grid corner (0, 0) and cells of size 1, so that the cell of row r and column c
  // of a world of n rows holds the point (Y, X) = (n - r - 0.5, c + 0.5).
  void buildWorld(const std::vector<std::string>& rows, int endTime = 10, int populations = 1) {
    nrows = static_cast<int>(rows.size());
    std::istringstream first(rows.front());
    ncols = 0;
    for (std::string word; first >> word;) ++ncols;
    std::ostringstream grid;
    grid << "ncols " << ncols << "\nnrows " << nrows
         << "\nxllcorner 0\nyllcorner 0\ncellsize 1\nNODATA_value -9999\n";
    for (const std::string& row : rows) grid << row << "\n";
    keys["PresVegetationFile"] = dir.write("vegetation.asc", grid.str());
    const std::string table = dir.write("k_table.txt", "1 100\n");
    keys["Veg2KFile"] = dir.write("k_index.txt", "1\n0 " + table + "\n");
    if (populations == 2) {
      keys["DoublePopulationMode"] = "1";
      keys["ChosenDemographicModel"] = "21";
      keys["Veg2K_P2_File"] = keys["Veg2KFile"];
    }
    keys["EndTime"] = std::to_string(endTime);
    keys["SampleFile"] = dir.path("samples.sam");
    keys["GeneticFile"] = dir.path("genetics.par");
    std::ostringstream text;
    for (const auto& [key, value] : keys) text << key << " = " << value << "\n";
    const std::string path = dir.write("settings.txt", text.str());
    if (!world) world = std::make_unique<World>(context);
    world->settings().reset();
    world->settings().load(path.c_str());
    world->settings().fillTables();
    ASSERT_EQ(world->BuildWorld(), 1) << log.str();
  }

  // Sets a setting after construction (sample-file switches such as GenotypicData).
  void setting(const char* key, const std::string& value) {
    world->settings().setValue(key, value.c_str());
    world->settings().fillTables();
  }

  // Writes `n` individuals of `population` at (row, col) for generations from..to (to -1:
  // EndTime).
  void setSize(int row, int col, int n, int population = 0, int from = 0, int to = -1) {
    StateDB& db = world->database();
    const int last = to < 0 ? db.endTime() : to;
    for (int t = from; t <= last; ++t) db.set_N(cellIndex(row, col), population, t, n);
  }
  int cellIndex(int row, int col) const { return world->cellAt(row, col)->index; }

  // A sample line at the centre of cell (row, col).
  std::string sampleAt(const std::string& name, int size, int population, int row, int col,
                       const std::string& date = "") const {
    std::ostringstream line;
    line << name << " " << size << " " << population << " " << (nrows - row - 0.5) << " "
         << (col + 0.5);
    if (!date.empty()) line << " " << date;
    return line.str();
  }
  void writeSampleFile(const std::string& content) { dir.write("samples.sam", content); }
  // The sample file of these lines, with their count on line 1.
  void writeSamples(const std::vector<std::string>& lines) {
    std::string content = std::to_string(lines.size()) + "\n";
    for (const std::string& l : lines) content += l + "\n";
    writeSampleFile(content);
  }
  void writeParameters(const std::string& content) { dir.write("genetics.par", content); }

  // A fresh collection over the world, with the samples read (1 expected).
  std::unique_ptr<TDemeCollection> readCollection() {
    auto c = std::make_unique<TDemeCollection>(*world, log, window, context.random);
    EXPECT_EQ(c->createDemesFromWorld(), 1);
    EXPECT_EQ(c->readSampleFile(), 1) << log.str();
    return c;
  }

  ScratchDir dir;
  std::ostringstream randomOutput;
  std::ostringstream log;
  RecordingWindow window;
  TRunContext context{log, window};
  std::unique_ptr<World> world;
  int nrows = 0;
  int ncols = 0;
  std::map<std::string, std::string> keys = {
      {"DoublePopulationMode", "0"}, {"ChosenDemographicModel", "1"},
      {"GenerationTime", "25"},      {"GrowthRate", "0.5"},
      {"MigrationRate", "0.2"},      {"GrowthRate_P2", "0.5"},
      {"MigrationRate_P2", "0.2"},   {"MigrRate_P1_to_P2", "0"},
      {"MigrRate_P2_to_P1", "0"},    {"TauValue", "10"}};
};

}  // namespace orvantis::testing
