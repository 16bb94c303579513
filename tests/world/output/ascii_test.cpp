// ASCII rasters of density, arrivals and occupation.

#include "world/output/ascii.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "support/recording_window.h"
#include "support/scratch_dir.h"
#include "world/output/fake_map.h"

namespace orvantis {
namespace {

class AsciiMapsTest : public ::testing::Test {
 protected:
  AsciiMapsTest() : context_(log_, window_), map_(2, 3, 1, 1000) {
    map_.header.xllcorner = 10.5;
    map_.header.yllcorner = -3;
    map_.header.cellsize = 0.25;
    map_.setWater(0, 1);
    // Size 7 at (1, 2) from generation 300 on; nothing elsewhere.
    map_.sizeOf = [](int r, int c, int, int t) { return r == 1 && c == 2 && t >= 300 ? 7 : 0; };
  }
  int write(bool density, bool migration, bool occupation, int step, int population = 0) {
    return writeAsciiMaps(context_, map_, TAsciiMapChoice{density, migration, occupation}, step,
                          population, dir_.path(""));
  }

  testing::ScratchDir dir_;
  std::ostringstream log_;
  testing::RecordingWindow window_;
  TRunContext context_;
  testing::FakeDemography map_;
};

TEST_F(AsciiMapsTest, OccupationListHoldsZeroOneAndNoData) {
  ASSERT_EQ(write(false, false, true, 300), 1);
  EXPECT_EQ(dir_.read("ascii/occupation_g300.asc"),
            "ncols 3\nnrows 2\nxllcorner 10.5\nyllcorner -3\ncellsize 0.25\n"
            "nodata_value -9999\n0 -9999 0 \n0 0 1 \n");
  EXPECT_TRUE(std::filesystem::exists(dir_.path("ascii/occupation_g1000.asc")));
}

TEST_F(AsciiMapsTest, TwoPopulationNames) {
  map_.pops = 2;
  map_.sizeOf = [](int, int, int p, int) { return p == 0 ? 3 : 4; };
  ASSERT_EQ(write(true, true, false, 500, 1), 1);
  EXPECT_NE(dir_.read("ascii/density_P2_g500.asc").find("4 -9999 4 \n4 4 4 \n"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir_.path("ascii/density_P1_g500.asc")));
}

TEST_F(AsciiMapsTest, StepReachingEndTimeOrNothingTickedDrawsNothing) {
  EXPECT_EQ(write(false, false, false, 50), 1);
  EXPECT_FALSE(std::filesystem::exists(dir_.path("ascii")));
  EXPECT_EQ(write(true, false, false, 1000), 1);
  EXPECT_EQ(log_.str(), "Cannot draw the list of ascii, because timeframe exceeds EndTime...\n");
  EXPECT_TRUE(std::filesystem::is_empty(dir_.path("ascii")));
}

TEST_F(AsciiMapsTest, WriteFailuresAreReportedAndTheListGoesOn) {
  std::ofstream(dir_.path("blocker")) << "x";
  EXPECT_EQ(writeAsciiMaps(context_, map_, TAsciiMapChoice{true, false, false}, 300, 0,
                           dir_.path("blocker")),
            0);
  ASSERT_EQ(window_.boxes.size(), 1u);
  EXPECT_EQ(window_.boxes[0].text, "Cannot create ascii directory");
  EXPECT_EQ(window_.boxes[0].caption, "ERROR: folder");
}

}  // namespace
}  // namespace orvantis
