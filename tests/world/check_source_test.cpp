#include "world/check_source.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "foundation/run_context.h"
#include "support/recording_window.h"
#include "support/scratch_dir.h"
#include "support/text_assertions.h"
#include "world/world.h"

namespace orvantis {
namespace {

// Vegetation classes of the test maps and their carrying capacities; class 5 is in no table.
constexpr const char* kKTable =
    "1 400 rich\n"
    "2 150 plain\n"
    "3 0 ice\n"
    "4 10 islet\n";

// 5 rows x 6 columns, cell size 1, lower-left corner (0, 0). Column 4 is water; the cell of
// row 0, column 5 is an island of one cell. The centre (row 2, column 2) is class 1.
constexpr const char* kMap =
    "2 2 2 2 -9999 4\n"
    "2 2 2 2 -9999 -9999\n"
    "2 2 1 2 -9999 -9999\n"
    "2 2 2 2 -9999 -9999\n"
    "2 2 2 2 -9999 -9999\n";

std::string source(const std::string& name, int size, double x, double y, int layer = 0,
                   int time = 0) {
  std::ostringstream s;
  s << name << " " << size << " " << y << " " << x << " 0 0 0 0 " << layer << " " << time << "\n";
  return s.str();
}

class CheckSourceTest : public ::testing::Test {
 protected:
  CheckSourceTest() : context_(log_, window_), world_(context_) {}

  // Builds the world from the map and reads the sources; `extra` holds more settings lines.
  void build(const std::string& sources, const std::string& extra = "", int populations = 1,
             const std::string& map = kMap) {
    const std::string index = dir_.write("veg2k.txt", "1\n0 " + dir_.write("k.txt", kKTable));
    std::string text = std::string("DoublePopulationMode=") + (populations == 2 ? "1" : "0") +
                       "\nChosenDemographicModel=" + (populations == 2 ? "21" : "1") +
                       "\nEndTime=400\nGenerationTime=25\nTauValue=100\n" + "PresVegetationFile=" +
                       dir_.write("veg.asc",
                                  "ncols 6\nnrows 5\nxllcorner 0\nyllcorner 0\ncellsize 1\n"
                                  "NODATA_value -9999\n" +
                                      map) +
                       "\nVeg2KFile=" + index +
                       "\nPopDensityFile=" + dir_.write("sources.txt", sources) + "\n" + extra;
    if (populations == 2) text += "Veg2K_P2_File=" + index + "\n";
    TExtendedSettings& settings = world_.settings();
    settings.reset();
    settings.load(dir_.write("settings.txt", text).c_str());
    settings.fillTables();
    ASSERT_EQ(world_.BuildWorld(), 1) << log_.str();
    log_.str("");
    ASSERT_GT(readSources(world_), 0) << log_.str();
    sortSources(world_);
    log_.str("");
  }
  cell& at(int row, int col) {
    cell* c = world_.cellAt(row, col);
    EXPECT_NE(c, nullptr);
    return *c;
  }
  int& N(int row, int col, int population = 0) {
    return world_.state(population, at(row, col).index)._N_POP;
  }
  long long totalIndividuals(int population = 0) {
    long long total = 0;
    for (const State& s : world_.states(population)) total += s._N_POP;
    return total;
  }

  testing::ScratchDir dir_;
  std::ostringstream log_;
  testing::RecordingWindow window_;
  TRunContext context_;
  World world_;
};

TEST_F(CheckSourceTest, SourcesOnTheFourBorders) {
  build("4\n" + source("West", 10, 0.0, 2.5) + source("South", 20, 1.5, 0.0) +
        source("East", 30, 6.0, 2.5) + source("North", 40, 1.5, 5.0));
  EXPECT_EQ(CheckSource(world_, 0), 4);
  EXPECT_EQ(N(2, 0), 10);
  EXPECT_EQ(N(4, 1), 20);
  EXPECT_EQ(at(2, 0).sourceNumber[0], 1);
  EXPECT_EQ(at(4, 1).sourceNumber[0], 2);
  EXPECT_EQ(world_.sources()[0].cellIndex, at(2, 0).index);
  EXPECT_EQ(world_.sources()[2].cellIndex, -1);
  EXPECT_EQ(totalIndividuals(), 30);
  EXPECT_CONTAINS(log_.str(),
                  " ERROR: {ImportExportUtils::readGeoPopDensity(...)} [the "
                  "population 'East' is out of World coordinates!]\n");
  EXPECT_CONTAINS(log_.str(), "[the population 'North' is out of World coordinates!]\n");
}

TEST_F(CheckSourceTest, SortedSourcesEnterAtTheirGeneration) {
  build("3\n" + source("Late", 50, 1.5, 1.5, 1, 300) + source("Water", 5, 4.5, 1.5) +
            source("First", 30, 1.5, 1.5),
        "", 2);
  ASSERT_EQ(world_.sources()[0].expansionTime, 0);
  EXPECT_EQ(world_.sources()[2].name.str(), "Late");
  EXPECT_EQ(CheckSource(world_, 0), 2);
  EXPECT_CONTAINS(log_.str(),
                  "ERROR: {ImportExportUtils::readGeoPopDensity(...)} [the "
                  "population 'Water' is on water!]\n");
  EXPECT_EQ(N(3, 1, 0), 30);
  EXPECT_EQ(N(3, 1, 1), 0);
  EXPECT_EQ(CheckSource(world_, 299), 0);

  // The second population takes what the first holds in the cell, up to the source's size.
  log_.str("");
  EXPECT_EQ(CheckSource(world_, 300), 1);
  EXPECT_EQ(log_.str(),
            "\tNew source Late is generated from 30 individuals from layer 0 at time 300 "
            "(Ancestral density before: 30, after: 0 )\n");
  const int cellIndex = at(3, 1).index;
  EXPECT_EQ(N(3, 1, 1), 30);
  EXPECT_EQ(N(3, 1, 0), 0);
  EXPECT_EQ(at(3, 1).sourceNumber[1], 3);
  EXPECT_EQ(world_.database().get_N(cellIndex, 1, 300), 30);
  EXPECT_EQ(world_.database().get_N(cellIndex, 0, 300), 0);
  EXPECT_EQ(world_.database().get_migrBetweenDemes(cellIndex, 0, 1, 300), 30);
  EXPECT_EQ(world_.database().get_migrBetweenDemes(cellIndex, 1, 0, 300), 0);
}

TEST_F(CheckSourceTest, SecondPopulationSourceWithoutAncestors) {
  build("2\n" + source("First", 30, 0.5, 0.5) + source("Late", 50, 1.5, 1.5, 1, 200), "", 2);
  EXPECT_EQ(CheckSource(world_, 0), 1);
  log_.str("");
  EXPECT_EQ(CheckSource(world_, 200), 1);
  EXPECT_EQ(log_.str(),
            "\tNew source Late can't be generated because the number of individuals from layer "
            "0 is equal to 0 at time 200 (Ancestral density before: 0, after: 0 )\n");
  EXPECT_EQ(N(3, 1, 1), 0);
  EXPECT_EQ(world_.database().get_migrBetweenDemes(at(3, 1).index, 0, 1, 200), 0);
}

TEST_F(CheckSourceTest, NoSourceAtTimeZero) {
  build("1\n" + source("Late", 50, 1.5, 1.5, 1, 200), "", 2);
  EXPECT_EQ(CheckSource(world_, 0), 0);
  EXPECT_EQ(log_.str(), "ERROR{World::CheckSource}: No population source at time 0!\n");
}

TEST_F(CheckSourceTest, OverflowSpreadsOverTheNeighbours) {
  const std::string centre = "1\n" + source("Big", 1000, 2.5, 2.5);
  // Without the key, or with any value but 0.0, the source sets the cell's size. (Settings
  // values persist across loads, so the key's absence comes first.)
  for (const char* extra : {"", "AllowSourcePopulationOverflow=0.5\n"}) {
    SCOPED_TRACE(extra);
    build(centre, extra);
    EXPECT_EQ(CheckSource(world_, 0), 1);
    EXPECT_EQ(N(2, 2), 1000);
    EXPECT_EQ(totalIndividuals(), 1000);
  }

  build(centre, "AllowSourcePopulationOverflow=0.0\n");
  EXPECT_EQ(CheckSource(world_, 0), 1);
  EXPECT_EQ(N(2, 2), 400);
  EXPECT_EQ(N(1, 2), 150);
  EXPECT_EQ(N(2, 3), 150);
  EXPECT_EQ(N(3, 2), 150);
  EXPECT_EQ(N(2, 1), 150);
  EXPECT_EQ(totalIndividuals(), 1000);
  EXPECT_EQ(log_.str(), "");
}

TEST_F(CheckSourceTest, NegativeCarryingCapacityOffersNoRoom) {
  // North of the centre lies a class that no table lists (K = -1), south a class with K = 0.
  const std::string map =
      "2 2 2 2 -9999 4\n"
      "2 2 5 2 -9999 -9999\n"
      "2 2 1 2 -9999 -9999\n"
      "2 2 3 2 -9999 -9999\n"
      "2 2 2 2 -9999 -9999\n";
  build("1\n" + source("Big", 1000, 2.5, 2.5), "AllowSourcePopulationOverflow=0\n", 1, map);
  ASSERT_EQ(world_.state(0, at(1, 2).index).K, -1);
  EXPECT_EQ(CheckSource(world_, 0), 1);
  EXPECT_EQ(N(1, 2), 0);
  EXPECT_EQ(N(3, 2), 0);
  EXPECT_EQ(N(2, 2), 400);
  EXPECT_EQ(totalIndividuals(), 1000);
  for (const cell& c : world_.cells()) {
    const State& s = world_.state(0, c.index);
    EXPECT_GE(s._N_POP, 0);
    EXPECT_LE(s._N_POP, std::max(s.K, 0));
  }
  EXPECT_EQ(log_.str(), "");
}

TEST_F(CheckSourceTest, IndividualsWithoutRoomAreDropped) {
  // The island has no neighbour; the mainland has less room than the source.
  build("2\n" + source("Islet", 100, 5.5, 4.5) + source("Huge", 10000, 2.5, 2.5),
        "AllowSourcePopulationOverflow=0.0\n");
  long long mainlandRoom = 0;
  for (const cell& c : world_.cells()) {
    if (c.column < 4) mainlandRoom += world_.state(0, c.index).K;
  }
  EXPECT_EQ(CheckSource(world_, 0), 2);
  EXPECT_EQ(N(0, 5), 10);
  for (const cell& c : world_.cells()) {
    EXPECT_EQ(world_.state(0, c.index)._N_POP, world_.state(0, c.index).K);
  }
  EXPECT_EQ(log_.str(),
            "      WARNING: {World::CheckSource()} [no room for 90 individuals of the source "
            "'Islet': they are dropped]\n"
            "      WARNING: {World::CheckSource()} [no room for " +
                std::to_string(10000 - mainlandRoom) +
                " individuals of the source 'Huge': they are dropped]\n");

  // Once every reachable cell is full, nothing more finds room.
  TSpreadResult again = spreadWithOverflow(world_, at(2, 2), 0, 500);
  EXPECT_EQ(again.placed, 0);
  EXPECT_EQ(again.dropped, 500);
}

TEST_F(CheckSourceTest, SourceOnACellWithoutCarryingCapacityIsReported) {
  const std::string map =
      "3 3 2 2 -9999 4\n"
      "3 3 2 2 -9999 -9999\n"
      "2 2 2 2 -9999 -9999\n"
      "2 2 2 2 -9999 -9999\n"
      "2 2 2 2 -9999 -9999\n";
  build("1\n" + source("Cold", 20, 0.5, 4.5), "AllowSourcePopulationOverflow=0.0\n", 1, map);
  EXPECT_EQ(CheckSource(world_, 0), 1);
  EXPECT_EQ(N(0, 0), 0);
  EXPECT_EQ(totalIndividuals(), 20);
  EXPECT_CONTAINS(log_.str(), "[the source 'Cold' lies on a cell whose carrying capacity is 0]");
}

}  // namespace
}  // namespace orvantis
