#include "genetics/genetic_snapshot.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/recording_window.h"
#include "support/sampled_world.h"
#include "support/scratch_dir.h"
#include "world/output/bmp_reader.h"
#include "world/output/fake_map.h"

namespace orvantis {
namespace {

constexpr TRgbColour kBrown{139, 87, 66};
constexpr TRgbColour kDarkGreen{0, 128, 0};
constexpr TRgbColour kGray128{128, 128, 128};

TEST(SnapshotScheduleTest, FromEndTimeEveryStepAndAgainForEveryGenealogy) {
  TGeneticSnapshots snapshots;
  std::vector<int> drawn;
  for (int genealogy = 0; genealogy < 2; ++genealogy) {
    // The walk asks at EndTime before its loop and again in its first step.
    for (int g : {1000, 1000}) {
      if (snapshots.due(g, 1000, 300)) drawn.push_back(g);
    }
    for (int g = 999; g >= -50; --g) {
      if (snapshots.due(g, 1000, 300)) drawn.push_back(g);
    }
    if (snapshots.due(0, 1000, 300)) drawn.push_back(0);
  }
  EXPECT_EQ(drawn, (std::vector<int>{1000, 700, 400, 100, 1000, 700, 400, 100}));
  TGeneticSnapshots toZero;
  drawn.clear();
  for (int g = 100; g >= -100; --g) {
    if (toZero.due(g, 100, 50)) drawn.push_back(g);
  }
  EXPECT_EQ(drawn, (std::vector<int>{100, 50, 0}));
}

class LineageBackgroundTest : public ::testing::Test {
 protected:
  // One row of four positions (the last water); population sizes per column at generation 3.
  LineageBackgroundTest() : map(1, 4, 2, 5) {
    map.setWater(0, 3);
    map.sizeOf = [](int, int col, int p, int t) {
      if (t != 3) return 0;
      const int first[] = {0, 0, 7, 10};
      const int second[] = {0, 5, 7, 10};
      return p == 0 ? first[col] : second[col];
    };
  }

  std::vector<TRgbColour> row(TGeneticBitmapBackground background, TColourStyle style,
                              int population = 0, const TCellDrawing& drawing = {1, false}) {
    TRgbImage image = blankCellPicture(1, 4, drawing);
    paintLineageBackground(image, map, 3, population, background, style, 10, drawing);
    std::vector<TRgbColour> colours;
    for (int x = 0; x < 4; ++x) colours.push_back(image.pixel(x, 0));
    return colours;
  }

  testing::FakeDemography map;
};

TEST_F(LineageBackgroundTest, OccupationAndDensityInColourAndGray) {
  using B = TGeneticBitmapBackground;
  EXPECT_EQ(row(B::Occupation, TColourStyle::Colour),
            (std::vector<TRgbColour>{kWhite, kBlack, kDarkGreen, kWaterBlue}));
  EXPECT_EQ(row(B::Occupation, TColourStyle::Gray),
            (std::vector<TRgbColour>{kWhite, kGray128, kBlack, kWaterBlue}));
  // Density of the second population against the maximum 10.
  EXPECT_EQ(row(B::Density, TColourStyle::Colour, 1),
            (std::vector<TRgbColour>{kWhite, TRgbColour{0, 250, 0}, TRgbColour{100, 250, 0},
                                     kWaterBlue}));
  EXPECT_EQ(row(B::Density, TColourStyle::Gray, 1),
            (std::vector<TRgbColour>{kGrayZero, TRgbColour{125, 125, 125}, TRgbColour{75, 75, 75},
                                     kWaterBlue}));
  // Only the density shows the cells under water.
  map.waterOf = [](int, int col, int) { return col == 2; };
  EXPECT_EQ(row(B::Density, TColourStyle::Colour, 0)[2], kWaterBlue);
  // The first population alone is brown.
  map.sizeOf = [](int, int, int p, int) { return p == 0 ? 3 : 0; };
  EXPECT_EQ(row(B::Occupation, TColourStyle::Colour)[0], kBrown);
  // The occupation in the one-pixel mode: one pixel per cell in a picture of the block size.
  EXPECT_EQ(row(B::Occupation, TColourStyle::Colour, 0, {3, true}),
            (std::vector<TRgbColour>{kBrown, kBrown, kBrown, kWaterBlue}));
  // A generation outside the stored run is refused.
  TRgbImage image(4, 1);
  EXPECT_THROW(
      paintLineageBackground(image, map, 6, 0, B::Occupation, TColourStyle::Colour, 10, {1, false}),
      std::out_of_range);
}

class SnapshotFilesTest : public ::testing::Test {
 protected:
  SnapshotFilesTest() : map(2, 2, 1, 10) {
    map.sizeOf = [](int row, int, int, int t) { return t == 10 && row == 0 ? 4 : 0; };
    request.root = dir.path("");
    request.options.coalescenceZoom = 3;
    request.options.geneticBitmapStep = 5;
    request.densityMaximum = 5;
  }

  testing::ScratchDir dir;
  testing::FakeDemography map;
  TGeneticSnapshotRequest request;
  TGeneticSnapshots snapshots;
  std::ostringstream log;
  testing::RecordingWindow window;
};

TEST_F(SnapshotFilesTest, DueGenerationsAreLoggedDrawnAndSavedUnderBmp) {
  request.options.population = 0;
  const std::vector<TSampleSquare> samples = {{1, 1, kMagenta}};
  EXPECT_EQ(snapshots.writeGeneticBitmap(10, map, samples, request, log, window), 1);
  EXPECT_EQ(snapshots.writeGeneticBitmap(9, map, samples, request, log, window), 1);
  EXPECT_EQ(log.str(), "TIME: 10 Pop 0\n");
  const testing::ReadBitmap bmp = testing::readBmp(dir.path("bmp/genetic_g10.bmp"));
  ASSERT_TRUE(bmp.ok);
  EXPECT_EQ(bmp.at(0, 0), kBlack);
  EXPECT_EQ(bmp.at(4, 4), kMagenta);
  EXPECT_FALSE(std::filesystem::exists(dir.path("bmp/genetic_g9.bmp")));

  request.options.background = TGeneticBitmapBackground::Density;
  request.options.population = 1;
  map.pops = 2;
  EXPECT_EQ(snapshots.writeGeneticBitmap(5, map, {}, request, log, window), 1);
  EXPECT_EQ(log.str(), "TIME: 10 Pop 0\nTIME: 5 Pop 1\n");
  EXPECT_TRUE(testing::readBmp(dir.path("bmp/genetic_g5_P2.bmp")).ok);
  EXPECT_EQ(geneticBitmapName(0, TGeneticBitmapBackground::Occupation, 1), "bmp/genetic_g0.bmp");
  EXPECT_TRUE(window.boxes.empty());
}

class SampleColoursTest : public testing::SampledWorldTest {};

TEST_F(SampleColoursTest, SecondPopulationMagentaFirstPopulationRedOrYellow) {
  buildWorld({"1 1 1"}, 10, 2);
  for (int c = 0; c < 3; ++c) {
    setSize(0, c, 30, 0);
    setSize(0, c, 30, 1);
  }
  writeSamples({sampleAt("a", 2, 0, 0, 0), sampleAt("b", 2, 1, 0, 1), sampleAt("c", 2, 0, 0, 0),
                sampleAt("d", 2, 0, 0, 2)});
  auto collection = readCollection();
  const auto colours = [&](TSampleColouring colouring) {
    std::vector<TRgbColour> result;
    for (const TSampleSquare& s : sampleSquares(*collection, colouring)) {
      EXPECT_EQ(s.row, 0);
      result.push_back(s.colour);
    }
    return result;
  };
  EXPECT_EQ(colours(TSampleColouring::Snapshot),
            (std::vector<TRgbColour>{kRed, kMagenta, kRed, kYellow}));
  EXPECT_EQ(colours(TSampleColouring::CoalescenceBackground),
            (std::vector<TRgbColour>{kYellow, kMagenta, kYellow, kRed}));
  EXPECT_EQ(sampleSquares(*collection, TSampleColouring::Snapshot)[3].col, 2);
}

}  // namespace
}  // namespace orvantis
