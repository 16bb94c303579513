// Generation lists, colour scales, the bitmap file of the in-memory picture and the
// legends, read back from disk.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "support/recording_window.h"
#include "support/scratch_dir.h"
#include "world/output/bmp_reader.h"
#include "world/output/colour_scale.h"
#include "world/output/legend.h"
#include "world/output/timeframe.h"

namespace orvantis {
namespace {

using testing::readBmp;

TEST(OutputTimeframe, StepsBelowEndTimeThenEndTime) {
  EXPECT_EQ(outputGenerations(300, 1000).generations, (std::vector<int>{0, 300, 600, 900, 1000}));
  EXPECT_EQ(outputGenerations(1000, 1000).status, TTimeframeStatus::ExceedsEndTime);
  EXPECT_TRUE(outputGenerations(1000, 1000).generations.empty());
  EXPECT_EQ(outputGenerations(0, 1000).status, TTimeframeStatus::NoStep);
  // No overflow near the top of the int range.
  EXPECT_EQ(outputGenerations(2000000000, 2147483647).generations,
            (std::vector<int>{0, 2000000000, 2147483647}));
}

TEST(CountColour, ColourAndGrayStyles) {
  const auto colour = TColourStyle::Colour;
  const auto gray = TColourStyle::Gray;
  EXPECT_EQ(countColour(0, 100, colour), kWhite);
  EXPECT_EQ(countColour(51, 100, colour), (TRgbColour{5, 250, 0}));  // v = 255
  EXPECT_EQ(countColour(1, 1000, colour), kBlack);  // non-zero rounds down to black, not white
  EXPECT_EQ(countColour(40, 100, gray), (TRgbColour{150, 150, 150}));
  EXPECT_EQ(countColour(200, 100, gray), (TRgbColour{6, 6, 6}));  // (250 - 500) mod 256
  // A maximum of 0 (nothing at EndTime) counts as 1 instead of dividing by zero.
  EXPECT_EQ(countColour(1, 0, colour), (TRgbColour{250, 250, 0}));
  EXPECT_EQ(countColour(1, 0, gray), kBlack);
}

TEST(Legend, CountScaleRowsAndLabels) {
  const TRgbImage legend = drawLegend(TMapKind::Density, 999, 1, TColourStyle::Colour);
  ASSERT_EQ(legend.width(), 50);
  ASSERT_EQ(legend.height(), 500);
  EXPECT_EQ(legend.pixel(49, 5), kWhite);
  EXPECT_EQ(legend.pixel(49, 6), (TRgbColour{0, 6, 0}));
  EXPECT_EQ(legend.pixel(49, 499), (TRgbColour{249, 250, 0}));
  EXPECT_EQ(countLegendLabel(999, 9), 900);  // (M + 1) * 10 j / 100
  bool inked = false;                        // label 9 is printed at (3, 450)
  for (int x = 3; x < 20; ++x) inked |= legend.pixel(x, 453) == kBlack;
  EXPECT_TRUE(inked);
}

TEST(Legend, OccupationBandsSavedUnderBmp) {
  testing::ScratchDir dir;
  std::ostringstream log;
  testing::RecordingWindow window;
  TRunContext context(log, window);
  const TRgbImage one = drawLegend(TMapKind::Occupation, 0, 1, TColourStyle::Colour);
  EXPECT_EQ(one.pixel(49, 149), kWhite);
  EXPECT_EQ(one.pixel(49, 150), kBlack);
  const TRgbImage two = drawLegend(TMapKind::Occupation, 0, 2, TColourStyle::Colour);
  ASSERT_EQ(saveLegend(context, two, dir.path("")), 1);
  const auto bmp = readBmp(dir.path("bmp/legend.bmp"));
  ASSERT_TRUE(bmp.ok);
  EXPECT_EQ(bmp.height, 300);
  EXPECT_EQ(bmp.at(49, 80), kRed);
  EXPECT_EQ(bmp.at(49, 230), (TRgbColour{0, 128, 0}));

  std::ofstream(dir.path("blocker")) << "a file, not a folder";
  EXPECT_EQ(saveLegend(context, two, dir.path("blocker")), 0);
  EXPECT_EQ(window.boxes.size(), 1u);
}

}  // namespace
}  // namespace orvantis
