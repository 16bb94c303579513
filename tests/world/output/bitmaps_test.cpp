// Density and occupation bitmaps, their lists and the immigration arrows, read back
// from the saved files.

#include "world/output/bitmaps.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "support/recording_window.h"
#include "support/scratch_dir.h"
#include "world/output/bmp_reader.h"
#include "world/output/fake_map.h"

namespace orvantis {
namespace {

using testing::FakeDemography;
using testing::ReadBitmap;

class BitmapListTest : public ::testing::Test {
 protected:
  BitmapListTest() : context_(log_, window_), map_(2, 3, 1, 10) {
    map_.setWater(0, 1);
    // (1, 2) grows to the maximum 40 at EndTime; (1, 0) holds 20; the rest is empty.
    map_.sizeOf = [](int r, int c, int, int t) {
      return r == 1 ? (c == 2 ? 4 * t : c == 0 ? 20 : 0) : 0;
    };
    drawing_.zoom = 2;
  }
  int list(TMapKind kind, int population = 0, int step = 4) {
    return kind == TMapKind::Occupation
               ? writeOccupationList(context_, map_, step, drawing_, dir_.path(""))
               : writeBitmapList(context_, map_, kind, population, step, drawing_, dir_.path(""));
  }
  // Colour of the cell's 2 x 2 square in a saved map, checked on two corners.
  TRgbColour cell(const std::string& name, int row, int col) {
    const ReadBitmap bmp = testing::readBmp(dir_.path(name));
    EXPECT_TRUE(bmp.ok) << name;
    if (!bmp.ok) return {};
    EXPECT_EQ(bmp.at(col * 2 + 1, row * 2 + 1), bmp.at(col * 2, row * 2));
    return bmp.at(col * 2, row * 2);
  }

  testing::ScratchDir dir_;
  std::ostringstream log_;
  testing::RecordingWindow window_;
  TRunContext context_;
  FakeDemography map_;
  TMapDrawing drawing_;
};

TEST_F(BitmapListTest, DensityListUsesTheEndTimeMaximum) {
  ASSERT_EQ(list(TMapKind::Density), 1);
  const ReadBitmap bmp = testing::readBmp(dir_.path("bmp/density_g10.bmp"));
  EXPECT_EQ(std::pair(bmp.width, bmp.height), std::pair(6, 4));
  EXPECT_EQ(cell("bmp/density_g10.bmp", 1, 2), (TRgbColour{250, 250, 0}));  // the maximum
  EXPECT_EQ(cell("bmp/density_g10.bmp", 1, 0), (TRgbColour{0, 250, 0}));    // half of it
  EXPECT_EQ(cell("bmp/density_g10.bmp", 0, 1), kWaterBlue);
  EXPECT_EQ(cell("bmp/density_g4.bmp", 1, 2), (TRgbColour{0, 200, 0}));  // 500 * 16 / 40
  drawing_.style = TColourStyle::Gray;
  ASSERT_EQ(list(TMapKind::Density), 1);
  EXPECT_EQ(cell("bmp/density_g10.bmp", 1, 2), kBlack);
  EXPECT_EQ(cell("bmp/density_g10.bmp", 0, 0), kGrayZero);
}

TEST_F(BitmapListTest, StepReachingEndTimeIsLoggedAndDrawsNothing) {
  EXPECT_EQ(list(TMapKind::Density, 0, 10), 1);
  EXPECT_EQ(list(TMapKind::Occupation, 0, 10), 1);
  EXPECT_EQ(list(TMapKind::Migration, 0, 0), 1);  // a step below 1, silently
  const std::string line = "Cannot draw the list of BMP, because BMP timeframe exeeds EndTime...\n";
  EXPECT_EQ(log_.str(), line + line);
  EXPECT_TRUE(std::filesystem::is_empty(dir_.path("bmp")));
}

TEST_F(BitmapListTest, FailuresAreReportedAndTheListGoesOn) {
  std::ofstream(dir_.path("blocker")) << "x";
  EXPECT_EQ(
      writeBitmapList(context_, map_, TMapKind::Density, 0, 4, drawing_, dir_.path("blocker")), 0);
  ASSERT_EQ(window_.boxes.size(), 1u);
  EXPECT_EQ(window_.boxes[0].text, "Cannot create bmp directory");
  EXPECT_EQ(window_.boxes[0].caption, "ERROR: folder");
  std::string expected;  // one line per generation of the list
  for (int i = 0; i < 4; ++i) expected += "Could not load or save the bitmap to file\n";
  EXPECT_EQ(log_.str(), expected);

  log_.str("");
  drawing_.zoom = TRgbImage::kMaxSide;  // too wide to be made
  EXPECT_EQ(list(TMapKind::Occupation), 0);
  EXPECT_NE(log_.str().find("Could not load or alter bitmap\n"), std::string::npos);
}

TEST(ImmigrationArrows, OneArrowPerFullBlock) {
  FakeDemography map(4, 4, 1, 1);
  map.setWater(3, 3);
  map.arrivalsOf = [](int, int, int, TDirection d, int) { return d == TDirection::East ? 5 : 0; };
  TMapDrawing drawing{4, TColourStyle::Colour, true, 2};
  const TRgbImage image = drawDensityBitmap(map, TMapKind::Density, 0, 1, 0, drawing);
  // Each cell points east with length 2; the block's sum 8 divided by 2 gives 4 cells. The block
  // at (0, 0) is centred on cell (1, 1): a line from (4, 4) to (20, 4), a silver dot at (4, 4).
  EXPECT_EQ(image.pixel(15, 4), kRed);
  EXPECT_EQ(image.pixel(5, 5), kSilver);
  EXPECT_EQ(image.pixel(11, 11), kWhite);  // block (2, 2) holds water: no dot
  // A factor larger than the grid, or below 1, draws no arrow at all.
  for (int factor : {5, 0}) {
    drawing.aggregation = factor;
    const TRgbImage none = drawDensityBitmap(map, TMapKind::Density, 0, 1, 0, drawing);
    EXPECT_EQ(none.pixel(15, 4), kWhite) << factor;
    EXPECT_EQ(none.pixel(5, 5), kWhite) << factor;
  }
}

}  // namespace
}  // namespace orvantis

namespace orvantis {
namespace {

// The result viewer's occupation map draws the first population alone in red, as its legend;
// the files keep brown, and every other case and the gray style are the same for both.
TEST(ViewerOccupationColours, FirstPopulationAloneIsRedOnScreenOnly) {
  testing::FakeDemography map(1, 4, 2, 0);
  // Columns: first only, second only, both, none.
  map.sizeOf = [](int, int c, int p, int) {
    return (c == 0 && p == 0) || (c == 1 && p == 1) || c == 2;
  };
  TMapDrawing files;
  files.zoom = 1;
  TMapDrawing viewer = files;
  viewer.viewerOccupationColours = true;
  const TRgbImage fileMap = drawOccupationBitmap(map, 0, files);
  const TRgbImage screen = drawOccupationBitmap(map, 0, viewer);
  EXPECT_EQ(fileMap.pixel(0, 0), (TRgbColour{139, 87, 66}));
  EXPECT_EQ(screen.pixel(0, 0), kRed);
  for (int x = 1; x < 4; ++x) EXPECT_EQ(screen.pixel(x, 0), fileMap.pixel(x, 0)) << x;
  files.style = viewer.style = TColourStyle::Gray;
  EXPECT_EQ(drawOccupationBitmap(map, 0, viewer).pixel(0, 0),
            drawOccupationBitmap(map, 0, files).pixel(0, 0));
}

}  // namespace
}  // namespace orvantis
