#include <gtest/gtest.h>

#include <string>

#include "support/text_assertions.h"
#include "world/landscape/build_fixture.h"
#include "world/landscape/world.h"

namespace orvantis {
namespace {

using testing::gridText;
using testing::WorldBuildTest;

TEST_F(WorldBuildTest, LandCellsInRowMajorOrderWithNeighboursKAndDatabase) {
  map("PresVegetationFile", gridText({"1 1 1 1", "1 -9999 2 1", "1 1 1 3"}, 4));
  table("Veg2KFile", "1 100\n2 50\n");  // class 3 is not listed
  ASSERT_EQ(build(), 1) << log.str();
  EXPECT_EQ(log.str().rfind("ORVANTIS 3.0 | Logfile\n**************************\n", 0), 0u);
  EXPECT_NE(log.str().find("... Done ! (duration of BuildWorld function: "), std::string::npos);
  ASSERT_EQ(world->numberOfCells(), 11);
  EXPECT_EQ(world->cellAt(1, 2)->index, 5);
  EXPECT_EQ(world->cellAt(1, 2)->west(), nullptr);
  EXPECT_EQ(world->database().neighbour(5, FromSide::South), 9);
  EXPECT_EQ(stateAt(1, 2).K, 50);
  EXPECT_EQ(stateAt(2, 3).K, -1);  // unlisted class: the table's initial value
  for (const State& s : world->states(0)) EXPECT_FLOAT_EQ(s.F, 0.5f);  // no friction key at all
  // The water position inside the grid makes coasts of its eight neighbours only.
  EXPECT_TRUE(world->cellAt(0, 0)->coast);
  EXPECT_TRUE(world->cellAt(2, 2)->coast);
  EXPECT_FALSE(world->cellAt(0, 3)->coast);
}

TEST_F(WorldBuildTest, NoDataValueOfTheLastMapReadDecidesWater) {
  map("PresVegetationFile", gridText({"1 0 1", "1 1 1"}, 3, -9999));
  table("Veg2KFile", "0 7\n1 10\n");
  ASSERT_EQ(build(), 1) << log.str();
  EXPECT_NE(world->cellAt(0, 1), nullptr);  // class 0 is land while -9999 is no-data
  EXPECT_EQ(world->numberOfCells(), 6);

  // The hydrography map is read after the vegetation and declares 0 as its no-data value.
  map("HydroFile", gridText({"0 0 0", "0 5 0"}, 3, 0));
  ASSERT_EQ(build(), 1) << log.str();
  EXPECT_EQ(context.noDataValue, 0);
  EXPECT_EQ(world->cellAt(0, 1), nullptr);
  EXPECT_EQ(world->numberOfCells(), 5);
  EXPECT_TRUE(world->cellAt(1, 1)->river);
  EXPECT_FALSE(world->cellAt(1, 0)->river);
}

TEST_F(WorldBuildTest, AltitudeOrRoughnessEqualToNoDataMakesWater) {
  map("PresVegetationFile", gridText({"1 1 1", "1 1 1"}, 3));
  map("AltitudeTopoFile", gridText({"-9999 3 4", "5 6 7"}, 3));
  map("RoughnessTopoFile", gridText({"0.1 0.2 0.3", "0.4 -9999 0.6"}, 3));
  table("Veg2KFile", "1 10\n");
  keys["FrictionChoice"] = "1";
  ASSERT_EQ(build(), 1) << log.str();
  EXPECT_EQ(world->cellAt(0, 0), nullptr);
  EXPECT_FLOAT_EQ(stateAt(0, 2).F, 0.3f);         // FrictionChoice 1: the roughness
  EXPECT_TRUE(world->roughnessMatrix().empty());  // kept only for an LGM map
}

TEST_F(WorldBuildTest, NoDataOnTheOuterRingMakesNoCoast) {
  table("Veg2KFile", "1 10\n");
  map("PresVegetationFile", gridText({"1 -9999 1", "1 1 1", "1 1 1", "1 1 1"}, 3));
  ASSERT_EQ(build(), 1) << log.str();
  for (const cell& c : world->cells()) EXPECT_FALSE(c.coast) << c.row << "," << c.column;

  // Rebuilding the same world with the no-data position moved to row 2.
  map("PresVegetationFile", gridText({"1 1 1", "1 1 1", "1 -9999 1", "1 1 1"}, 3));
  ASSERT_EQ(build(), 1) << log.str();
  EXPECT_TRUE(world->cellAt(1, 1)->coast);
  EXPECT_TRUE(world->cellAt(3, 0)->coast);
  EXPECT_FALSE(world->cellAt(0, 1)->coast);
}

TEST_F(WorldBuildTest, FrictionChoices) {
  map("PresVegetationFile", gridText({"1 1"}, 2));
  map("RoughnessTopoFile", gridText({"-0.4 0.2"}, 2));
  table("Veg2KFile", "1 10\n");
  table("Veg2FFile", "1 0.6 forest\n");
  const float expected[3][2] = {{0.6f, 0.6f}, {0.4f, 0.2f}, {0.5f, 0.4f}};
  for (int choice = 0; choice < 3; ++choice) {
    SCOPED_TRACE(choice);
    keys["FrictionChoice"] = std::to_string(choice);
    ASSERT_EQ(build(), 1) << log.str();
    EXPECT_FLOAT_EQ(stateAt(0, 0).F, expected[choice][0]);
    EXPECT_FLOAT_EQ(stateAt(0, 1).F, expected[choice][1]);
  }
}

TEST_F(WorldBuildTest, FrictionSettingsThatDoNotFitAreRefused) {
  map("PresVegetationFile", gridText({"1 1"}, 2));
  table("Veg2KFile", "1 10\n");
  table("Veg2FFile", "1 0.3 a\n");
  EXPECT_EQ(testing::thrownMessage([&] { build(); }),
            "FrictionChoice has not been defined in the settings file, but at least one of the "
            "friction files (RoughnessTopoFile and/or Veg2FFile) has been defined");
  keys["FrictionChoice"] = "2";
  world.reset();  // a settings store keeps the keys of earlier loads
  EXPECT_EQ(testing::thrownMessage([&] { build(); }),
            "FrictionChoice=2 has been defined in the settings file so that RoughnessTopoFile AND "
            "Veg2FFile needs to be defined, but at least one of the latter is not defined");
  keys["FrictionChoice"] = "3";
  world.reset();
  EXPECT_EQ(testing::thrownMessage([&] { build(); }),
            "The value for FrictionChoice is not allowed. It should be  0, 1 or 2");
}

TEST_F(WorldBuildTest, CoastAndRiverFactors) {
  // The water at (1, 1) makes coasts of its eight neighbours; rivers cross (1, 2), a coast
  // cell, and (2, 3), an inland cell.
  map("PresVegetationFile", gridText({"1 1 1 1 1", "1 -9999 1 1 1", "1 1 1 1 1", "1 1 1 1 1"}, 5));
  map("HydroFile", gridText({"-9999 -9999 -9999 -9999 -9999", "-9999 -9999 1 -9999 -9999",
                             "-9999 -9999 -9999 1 -9999", "-9999 -9999 -9999 -9999 -9999"},
                            5));
  table("Veg2KFile", "1 5\n");
  keys["CoastCarCapChangeFactor"] = "0.5";
  keys["CoastFrictionChangeFactor"] = "1.5";
  keys["RiverCarCapChangeFactor"] = "3";
  keys["RiverFrictionChangeFactor"] = "0.5";
  ASSERT_EQ(build(), 1) << log.str();

  ASSERT_TRUE(world->cellAt(1, 2)->coast);
  ASSERT_TRUE(world->cellAt(1, 2)->river);
  EXPECT_EQ(stateAt(1, 2).K, 2);  // trunc(5 x 0.5), and no river factor on a coast
  EXPECT_FLOAT_EQ(stateAt(1, 2).F, 0.75f);
  EXPECT_EQ(stateAt(2, 3).K, 15);
  EXPECT_FLOAT_EQ(stateAt(2, 3).F, 0.25f);
}

TEST_F(WorldBuildTest, MapProblemsStopTheConstructionWithTheirBoxes) {
  table("Veg2KFile", "1 10\n");
  keys["PresVegetationFile"] = dir.path("missing.asc");
  EXPECT_EQ(build(), 0);
  ASSERT_EQ(window.boxes.size(), 1u);
  EXPECT_EQ(window.boxes[0].text, "Cannot read the input vegetation map");
  EXPECT_EQ(window.boxes[0].caption, "ERROR: reading input maps");
  EXPECT_FALSE(world->isBuilt());
}

TEST_F(WorldBuildTest, NegativeEndTimeIsRefused) {
  map("PresVegetationFile", gridText({"1 1"}, 2));
  table("Veg2KFile", "1 10\n");
  keys["EndTime"] = "-5";
  EXPECT_EQ(build(), 0);
  EXPECT_NE(log.str().find("[EndTime is -5; the number of generations"), std::string::npos);
}

}  // namespace
}  // namespace orvantis
