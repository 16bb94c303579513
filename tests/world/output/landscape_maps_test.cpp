// The carrying-capacity, friction and arrival-time maps of the map viewer: their colour rules,
// and the maps of a built world with water, class 30 and the stored arrivals.

#include "world/output/landscape_maps.h"

#include <gtest/gtest.h>

#include "world/landscape/build_fixture.h"

namespace orvantis {
namespace {

constexpr TColourStyle kColour = TColourStyle::Colour;
constexpr TColourStyle kGray = TColourStyle::Gray;

TEST(LandscapeColourTest, CarryingCapacityFrictionAndArrivalScales) {
  struct Case {
    TRgbColour actual;
    TRgbColour expected;
  };
  const Case cases[] = {
      {carryingCapacityColour(0, kColour), kWhite},
      {carryingCapacityColour(0, kGray), kGrayZero},
      {carryingCapacityColour(3, kColour), kBlack},  // q = 0 for a K above 0
      {carryingCapacityColour(400, kColour), TRgbColour{0, 100, 0}},
      {carryingCapacityColour(2000, kColour), TRgbColour{250, 250, 0}},  // q = 500
      {carryingCapacityColour(400, kGray), TRgbColour{200, 200, 200}},   // 250 - 50
      {frictionColour(0.0f, kColour), kWhite},
      {frictionColour(0.5f, kColour), TRgbColour{0, 125, 0}},  // 250000 / 2000
      {frictionColour(0.99f, kColour), TRgbColour{0, 247, 0}},
      {frictionColour(0.5f, kGray), TRgbColour{125, 125, 125}},
      {frictionColour(0.0f, kGray), kGrayZero},
      {arrivalTimeColour(-1, 100), kWhite},
      {arrivalTimeColour(0, 100), kWhite},
      {arrivalTimeColour(1, 100), TRgbColour{248, 248, 248}},  // q = 2
      {arrivalTimeColour(1, 1000), kWhite},                    // q = 0
      {arrivalTimeColour(40, 100), TRgbColour{150, 150, 150}},
      {arrivalTimeColour(100, 100), kBlack},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(cases[i].actual, cases[i].expected) << "case " << i;
  }
}

class LandscapeMapTest : public testing::WorldBuildTest {
 protected:
  // 2 x 3 cells: (0, 1) is water, (1, 0) is class 30; the others are class 1 (K 100, F 0.5) or
  // class 2 (K 400, F 0.2).
  void SetUp() override {
    map("PresVegetationFile", testing::gridText({"1 -9999 2", "30 1 1"}, 3));
    table("Veg2KFile", "1 100 a\n2 400 b\n30 100 c\n");
    table("Veg2FFile", "1 0.5 a\n2 0.2 b\n30 0.5 c\n");
    keys["FrictionChoice"] = "0";
    ASSERT_EQ(build(), 1) << log.str();
  }
};

TEST_F(LandscapeMapTest, KAndFOfEveryCellWithWaterAndClassThirtyInBlue) {
  const TRgbImage k = drawCarryingCapacityMap(*world, 0, kColour, 2, nullptr, 0);
  ASSERT_EQ(k.width(), 6);
  ASSERT_EQ(k.height(), 4);
  EXPECT_EQ(k.pixel(0, 0), carryingCapacityColour(stateAt(0, 0).K, kColour));
  EXPECT_EQ(k.pixel(5, 1), carryingCapacityColour(stateAt(0, 2).K, kColour));
  EXPECT_NE(k.pixel(0, 0), k.pixel(5, 1));
  EXPECT_EQ(k.pixel(2, 0), kWaterBlue);
  EXPECT_EQ(k.pixel(1, 3), kWaterBlue);  // class 30
  const TRgbImage f = drawFrictionMap(*world, 0, kGray, 1, nullptr, 0);
  EXPECT_EQ(f.pixel(2, 1), frictionColour(stateAt(1, 2).F, kGray));
  // A population the world was not built for draws only water.
  const TRgbImage none = drawCarryingCapacityMap(*world, 1, kColour, 1, nullptr, 0);
  EXPECT_EQ(none.pixel(0, 0), kWaterBlue);
}

TEST_F(LandscapeMapTest, CellsBelowTheSeaLevelOfTheDateAreBlue) {
  world->cellAt(0, 0)->altitude = -50.0f;
  world->cellAt(0, 2)->altitude = 10.0f;
  TimeStoInt<float> sea;
  ASSERT_TRUE(sea.addValue(-100.0f, -20000));
  ASSERT_TRUE(sea.addValue(-20.0f, -10000));
  ASSERT_TRUE(sea.addValue(0.0f, 0));
  const TRgbImage early = drawCarryingCapacityMap(*world, 0, kColour, 1, &sea, -15000);
  EXPECT_NE(early.pixel(0, 0), kWaterBlue);
  const TRgbImage late = drawFrictionMap(*world, 0, kColour, 1, &sea, -5000);
  EXPECT_EQ(late.pixel(0, 0), kWaterBlue);
  EXPECT_NE(late.pixel(2, 0), kWaterBlue);
}

TEST_F(LandscapeMapTest, ArrivalTimeIsTheFirstGenerationAtTheMinimumDensity) {
  StateDB& db = world->database();
  const int target = world->cellAt(1, 2)->index;
  for (int t = 2; t <= 10; ++t) db.set_N(target, 0, t, t);  // size t from generation 2
  const std::vector<int> arrival = arrivalGenerationsAtDensity(*world, 0, 5);
  EXPECT_EQ(arrival[static_cast<std::size_t>(target)], 5);
  EXPECT_EQ(arrival[static_cast<std::size_t>(world->cellAt(0, 0)->index)], -1);
  const TRgbImage map = drawArrivalTimeMap(*world, 0, 5, 1);
  EXPECT_EQ(map.pixel(2, 1), arrivalTimeColour(5, 10));
  EXPECT_EQ(map.pixel(2, 1), (TRgbColour{125, 125, 125}));
  EXPECT_EQ(map.pixel(0, 0), kWhite);  // never reached
  EXPECT_EQ(map.pixel(1, 0), kWaterBlue);
}

}  // namespace
}  // namespace orvantis
