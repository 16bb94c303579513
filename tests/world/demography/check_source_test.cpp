#include "world/demography/check_source.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "support/text_assertions.h"
#include "world/demography/population_limit.h"
#include "world/landscape/build_fixture.h"

namespace orvantis {
namespace {

// Vegetation classes of the test maps and their carrying capacities; class 5 is in no table.
constexpr const char* kKTable = "1 400 rich\n2 150 plain\n3 0 ice\n4 10 islet\n";

// 5 rows x 6 columns, cell size 1, lower-left corner (0, 0). Column 4 is water; the cell of
// row 0, column 5 is an island of one cell. The centre (row 2, column 2) is class 1.
constexpr const char* kMap =
    "2 2 2 2 -9999 4\n"
    "2 2 2 2 -9999 -9999\n"
    "2 2 1 2 -9999 -9999\n"
    "2 2 2 2 -9999 -9999\n"
    "2 2 2 2 -9999 -9999\n";

std::string sourceLine(const std::string& name, int size, double x, double y, int layer = 0,
                       int time = 0) {
  std::ostringstream s;
  s << name << " " << size << " " << y << " " << x << " 0 0 0 0 " << layer << " " << time << "\n";
  return s.str();
}

class CheckSourceTest : public testing::WorldBuildTest {
 protected:
  // Builds the world from the map and reads and sorts the sources.
  void build(const std::string& sourceLines, int populations = 1, const std::string& land = kMap) {
    keys["EndTime"] = "400";
    keys["TauValue"] = "100";
    if (populations == 2) {
      keys["DoublePopulationMode"] = "1";
      keys["ChosenDemographicModel"] = "21";
      table("Veg2K_P2_File", kKTable);
    }
    map("PresVegetationFile",
        "ncols 6\nnrows 5\nxllcorner 0\nyllcorner 0\ncellsize 1\nNODATA_value -9999\n" + land);
    table("Veg2KFile", kKTable);
    sources(sourceLines);
    ASSERT_EQ(WorldBuildTest::build(), 1) << log.str();
    ASSERT_GT(readSources(*world), 0) << log.str();
    sortSources(*world);
    log.str("");
  }
  cell& at(int row, int col) { return *world->cellAt(row, col); }
  int& N(int row, int col, int population = 0) { return stateAt(row, col, population)._N_POP; }
  long long totalIndividuals() {
    long long total = 0;
    for (const State& s : world->states(0)) total += s._N_POP;
    return total;
  }
};

TEST_F(CheckSourceTest, SourcesOnTheFourBorders) {
  build("4\n" + sourceLine("West", 10, 0.0, 2.5) + sourceLine("South", 20, 1.5, 0.0) +
        sourceLine("East", 30, 6.0, 2.5) + sourceLine("North", 40, 1.5, 5.0));
  EXPECT_EQ(CheckSource(*world, 0), 4);
  EXPECT_EQ(N(2, 0), 10);
  EXPECT_EQ(N(4, 1), 20);
  EXPECT_EQ(world->sources()[2].cellIndex, -1);
  EXPECT_EQ(totalIndividuals(), 30);
  EXPECT_CONTAINS(log.str(),
                  " ERROR: {ImportExportUtils::readGeoPopDensity(...)} [the "
                  "population 'East' is out of World coordinates!]\n");
  EXPECT_CONTAINS(log.str(), "[the population 'North' is out of World coordinates!]\n");
}

TEST_F(CheckSourceTest, SortedSourcesEnterAtTheirGeneration) {
  build("3\n" + sourceLine("Late", 50, 1.5, 1.5, 1, 300) + sourceLine("Water", 5, 4.5, 1.5) +
            sourceLine("First", 30, 1.5, 1.5),
        2);
  EXPECT_EQ(world->sources()[2].name.str(), "Late");
  EXPECT_EQ(CheckSource(*world, 0), 2);
  EXPECT_CONTAINS(log.str(),
                  "ERROR: {ImportExportUtils::readGeoPopDensity(...)} [the "
                  "population 'Water' is on water!]\n");
  EXPECT_EQ(N(3, 1, 1), 0);
  EXPECT_EQ(CheckSource(*world, 299), 0);

  // The second population takes what the first holds in the cell, up to the source's size.
  log.str("");
  EXPECT_EQ(CheckSource(*world, 300), 1);
  EXPECT_EQ(log.str(),
            "\tNew source Late is generated from 30 individuals from layer 0 at time 300 "
            "(Ancestral density before: 30, after: 0 )\n");
  EXPECT_EQ(N(3, 1, 0), 0);
  EXPECT_EQ(world->database().get_migrBetweenDemes(at(3, 1).index, 0, 1, 300), 30);
}

TEST_F(CheckSourceTest, OverflowSpreadsOverTheNeighbours) {
  keys["AllowSourcePopulationOverflow"] = "0.0";
  build("1\n" + sourceLine("Big", 1000, 2.5, 2.5));
  EXPECT_EQ(CheckSource(*world, 0), 1);
  EXPECT_EQ(N(2, 2), 400);
  for (const auto& [row, col] : {std::pair{1, 2}, {2, 3}, {3, 2}, {2, 1}})
    EXPECT_EQ(N(row, col), 150);
  EXPECT_EQ(totalIndividuals(), 1000);
  EXPECT_EQ(log.str(), "");
}

TEST_F(CheckSourceTest, NegativeCarryingCapacityOffersNoRoom) {
  // North of the centre lies a class that no table lists (K = -1), south a class with K = 0.
  const std::string map =
      "2 2 2 2 -9999 4\n"
      "2 2 5 2 -9999 -9999\n"
      "2 2 1 2 -9999 -9999\n"
      "2 2 3 2 -9999 -9999\n"
      "2 2 2 2 -9999 -9999\n";
  keys["AllowSourcePopulationOverflow"] = "0";
  build("1\n" + sourceLine("Big", 1000, 2.5, 2.5), 1, map);
  ASSERT_EQ(world->state(0, at(1, 2).index).K, -1);
  EXPECT_EQ(CheckSource(*world, 0), 1);
  EXPECT_EQ(N(1, 2), 0);
  EXPECT_EQ(N(3, 2), 0);
  EXPECT_EQ(N(2, 2), 400);
  EXPECT_EQ(totalIndividuals(), 1000);
  EXPECT_EQ(log.str(), "");
}

TEST_F(CheckSourceTest, IndividualsWithoutRoomAreDropped) {
  // The island has no neighbour.
  keys["AllowSourcePopulationOverflow"] = "0.0";
  build("1\n" + sourceLine("Islet", 100, 5.5, 4.5));
  EXPECT_EQ(CheckSource(*world, 0), 1);
  EXPECT_EQ(N(0, 5), 10);
  EXPECT_EQ(log.str(),
            "      WARNING: {World::CheckSource()} [no room for 90 individuals of the source "
            "'Islet': they are dropped]\n");
}

// A source larger than a cell can hold is placed at the limit of a cell, with a warning.
TEST_F(CheckSourceTest, SourceBeyondTheLimitOfACellIsPlacedAtTheLimit) {
  build("1\n" + sourceLine("Huge", 2000000000, 2.5, 2.5));
  EXPECT_EQ(CheckSource(*world, 0), 1);
  EXPECT_EQ(N(2, 2), kMaxIndividuals);
  EXPECT_EQ(log.str(),
            "      WARNING: {World::CheckSource()} [the source 'Huge' of 2000000000 individuals "
            "exceeds the 268435456 that a cell can hold: 268435456 are placed]\n");
}

}  // namespace
}  // namespace orvantis
