// Times of arrival at the places of a ".col" file.

#include "world/output/arrival_cells.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "support/recording_window.h"
#include "support/scratch_dir.h"
#include "world/output/fake_map.h"

namespace orvantis {
namespace {

const std::string kOutOfWorld = " ERROR: {TDemeCollection::ReadAndWriteArrivalCell()} [the cell '";

class ArrivalCellTest : public ::testing::Test {
 protected:
  // A 4 x 5 grid of cells of side 10 from (100, 200) to (150, 240); (0, 4) is water. The cell in
  // row r and column c is first reached at generation 10 r + c, except (3, 0), never reached.
  ArrivalCellTest() : context_(log_, window_), map_(4, 5, 1, 100) {
    map_.header.xllcorner = 100;
    map_.header.yllcorner = 200;
    map_.header.cellsize = 10;
    map_.header.updateUpperCorner();
    map_.setWater(0, 4);
    map_.sizeOf = [](int r, int c, int, int t) {
      return !(r == 3 && c == 0) && t >= 10 * r + c ? 1 : 0;
    };
  }
  int run(const std::string& text) {
    log_.str("");
    std::ofstream(dir_.path("places.col"), std::ios::binary) << text;
    return ReadAndWriteArrivalCell(context_, map_, dir_.path("places.col"));
  }
  std::string output() { return dir_.read("places_output.txt"); }
  bool logged(const std::string& text) { return log_.str().find(text) != std::string::npos; }

  testing::ScratchDir dir_;
  std::ostringstream log_;
  testing::RecordingWindow window_;
  TRunContext context_;
  testing::FakeDemography map_;
};

TEST_F(ArrivalCellTest, WritesTheArrivalOfEveryPlaceAndSkipsPlacesOutOfTheWorld) {
  // Y then X. The west and south borders belong to the grid; the east and north edges do not.
  EXPECT_EQ(run("6\n"
                "north 0 235 125 1\n"
                "corner 0 200 100 0\r\n"
                "\n"
                "mid\t0\t219.99\t111 3\n"
                "west 0 210 99.9 0\n"
                "east 0 210 150 0\n"
                "top 0 240 120 0\n"),
            1);
  EXPECT_EQ(output(), "TIMES OF ARRIVAL\nnorth : 2\ncorner : -1\nmid : 21\n");
  EXPECT_EQ(log_.str(), kOutOfWorld + "west' is out of World coordinates!]\n" + kOutOfWorld +
                            "east' is out of World coordinates!]\n" + kOutOfWorld +
                            "top' is out of World coordinates!]\n");
}

TEST_F(ArrivalCellTest, UnknownPopulationOrWaterStopsAfterTheEarlierLines) {
  EXPECT_EQ(run("3\nfirst 0 235 105 0\nsecond 2 235 115 0\nthird 0 235 125 0\n"), 0);
  EXPECT_EQ(output(), "TIMES OF ARRIVAL\nfirst : 0\n");
  EXPECT_EQ(log_.str(),
            "ERROR:{DemeCollection::ReadAndWriteArrivalCell()}:[the no of deme # second does not "
            "exist!]\n");
  EXPECT_EQ(run("2\nsea 0 235 145 0\nland 0 235 105 0\n"), 0);
  EXPECT_EQ(output(), "TIMES OF ARRIVAL\n");
  EXPECT_EQ(log_.str(),
            "ERROR:{DemeCollection::ReadAndWriteArrivalCell()}:[the cell named sea' falls on a "
            "uninstanciated cell!]\n");
}

TEST_F(ArrivalCellTest, MissingInputAndOutputNames) {
  EXPECT_EQ(ReadAndWriteArrivalCell(context_, map_, dir_.path("absent.col")), 1);
  EXPECT_EQ(log_.str(), "\nthe .col file has not been read\n");
  EXPECT_TRUE(std::filesystem::exists(dir_.path("absent_output.txt")));
  EXPECT_EQ(arrivalOutputName("study/a.colony.col"), "study/a_output.txt");
  EXPECT_EQ(arrivalOutputName("places.txt"), "_output.txt");
}

TEST_F(ArrivalCellTest, GarbageOrShortFilesStopWithAClearMessage) {
  EXPECT_EQ(run("2\nfirst 0 235 105 0\nsecond zero 235 115 0\n"), 0);
  EXPECT_EQ(output(), "TIMES OF ARRIVAL\nfirst : 0\n");
  EXPECT_TRUE(logged("[line 3 of the .col file cannot be read: 'second zero 235 115 0']"));
  EXPECT_EQ(run("3\nfirst 0 235 105 0\n"), 0);
  EXPECT_EQ(output(), "TIMES OF ARRIVAL\nfirst : 0\n");
  EXPECT_TRUE(logged("[the .col file announces 3 places but holds only 1]"));
  for (const char* text : {"", "three\n", "-2\n"}) {
    EXPECT_EQ(run(text), 0) << text;
    EXPECT_TRUE(logged("[the first line of the .col file must hold the number of places]"));
  }
  for (const char* text : {"1\nshort 0 235\n", "1\nnan 0 nan 120 0\n"}) {
    EXPECT_EQ(run(text), 0) << text;
    EXPECT_TRUE(logged("of the .col file cannot be read")) << text;
  }
  std::filesystem::remove(dir_.path("places_output.txt"));
  std::filesystem::create_directories(dir_.path("places_output.txt"));
  EXPECT_EQ(run("1\nfirst 0 235 105 0\n"), 0);
  EXPECT_TRUE(logged("cannot create the output file"));
}

}  // namespace
}  // namespace orvantis
