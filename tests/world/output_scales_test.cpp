// Generation lists, file names and colour scales of the demographic maps.

#include <gtest/gtest.h>

#include "world/output_bmp_reader.h"
#include "world/output_colour_scale.h"
#include "world/output_map_names.h"
#include "world/output_timeframe.h"

namespace orvantis {
namespace {

TEST(OutputTimeframe, StepsBelowEndTimeThenEndTime) {
  EXPECT_EQ(outputGenerations(300, 1000).generations, (std::vector<int>{0, 300, 600, 900, 1000}));
  EXPECT_EQ(outputGenerations(500, 1000).generations, (std::vector<int>{0, 500, 1000}));
  EXPECT_EQ(outputGenerations(1000, 1000).status, TTimeframeStatus::ExceedsEndTime);
  EXPECT_TRUE(outputGenerations(1000, 1000).generations.empty());
  EXPECT_EQ(outputGenerations(0, 1000).status, TTimeframeStatus::NoStep);
  // No overflow near the top of the int range.
  EXPECT_EQ(outputGenerations(2000000000, 2147483647).generations,
            (std::vector<int>{0, 2000000000, 2147483647}));
}

TEST(OutputNames, OneAndTwoPopulations) {
  EXPECT_EQ(asciiMapName(TMapKind::Density, 1, 0, 50), "ascii/density_g50.asc");
  EXPECT_EQ(asciiMapName(TMapKind::Migration, 2, 1, 50), "ascii/migration_P2_g50.asc");
  EXPECT_EQ(bitmapMapName(TMapKind::Migration, 2, 0, 7), "bmp/migration_P1_g7.bmp");
  EXPECT_EQ(occupationBitmapName(2, 50), "bmp/occupation_P050.bmp");
  EXPECT_EQ(occupationBitmapName(1, 1200), "bmp/occupation_g1200.bmp");
}

TEST(CountColour, ColourAndGrayStyles) {
  const auto colour = TColourStyle::Colour;
  const auto gray = TColourStyle::Gray;
  EXPECT_EQ(countColour(0, 100, colour), kWhite);
  EXPECT_EQ(countColour(50, 100, colour), (TRgbColour{0, 250, 0}));
  EXPECT_EQ(countColour(51, 100, colour), (TRgbColour{5, 250, 0}));  // v = 255
  EXPECT_EQ(countColour(100, 100, colour), (TRgbColour{250, 250, 0}));
  EXPECT_EQ(countColour(1, 1000, colour), kBlack);  // non-zero rounds down to black, not white
  EXPECT_EQ(countColour(0, 100, gray), kGrayZero);
  EXPECT_EQ(countColour(100, 100, gray), kBlack);
  EXPECT_EQ(countColour(40, 100, gray), (TRgbColour{150, 150, 150}));
  EXPECT_EQ(countColour(200, 100, gray), (TRgbColour{6, 6, 6}));  // (250 - 500) mod 256
  // A maximum of 0 (nothing at EndTime) counts as 1 instead of dividing by zero.
  EXPECT_EQ(countColour(1, 0, colour), (TRgbColour{250, 250, 0}));
  EXPECT_EQ(countColour(1, 0, gray), kBlack);
}

TEST(OccupationColour, TwoPopulationTable) {
  const auto colour = TColourStyle::Colour;
  const auto gray = TColourStyle::Gray;
  EXPECT_EQ(occupationColour(1, true, false, gray), kBlack);
  EXPECT_EQ(occupationColour(2, true, true, colour), (TRgbColour{0, 128, 0}));
  EXPECT_EQ(occupationColour(2, true, true, gray), kBlack);
  EXPECT_EQ(occupationColour(2, true, false, colour), (TRgbColour{139, 87, 66}));
  EXPECT_EQ(occupationColour(2, true, false, gray), (TRgbColour{192, 192, 192}));
  EXPECT_EQ(occupationColour(2, false, true, colour), kBlack);
  EXPECT_EQ(occupationColour(2, false, true, gray), (TRgbColour{128, 128, 128}));
}

}  // namespace
}  // namespace orvantis
