#include <gtest/gtest.h>

#include <string>

#include "settings/dynamic_tables.h"
#include "support/text_assertions.h"
#include "world/environment/tables.h"
#include "world/landscape/build_fixture.h"

namespace orvantis {
namespace {

using testing::gridText;

// Class 1 is the present vegetation (K 100, F 0.2), class 2 the LGM one (K 20, F 0.6); the cell
// (1, 0) is land only at low sea level. V(-66600) = -8, V(-10000) = -4, V(0) = 0.
class ClimateInterpolationTest : public testing::WorldBuildTest {
 protected:
  ClimateInterpolationTest() {
    map("PresVegetationFile", gridText({"1 1 1", "-9999 1 1"}, 3));
    map("LGMVegetationFile", gridText({"2 2 2", "2 2 2"}, 3));
    table("Veg2KFile", "1 100\n2 20\n");
    climateSeries("-66600 -8\n-10000 -4\n0 0\n");
  }

  void applyClimate(int time) {
    ASSERT_EQ(world->GenerateVostok(time, 0), 1) << log.str();
    ASSERT_EQ(world->ChangeGlobalK(0), 1);
    ASSERT_EQ(world->ChangeGlobalF(0), 1);
  }
};

TEST_F(ClimateInterpolationTest, KAndFFollowTheTemperatureBetweenPresentAndLgm) {
  table("Veg2FFile", "1 0.2 present\n2 0.6 lgm\n");
  keys["FrictionChoice"] = "0";
  ASSERT_EQ(build(), 1) << log.str();

  applyClimate(-66600);  // V(t) = V(-66600): the LGM values
  EXPECT_EQ(stateAt(0, 0).K, 20);
  EXPECT_FLOAT_EQ(stateAt(0, 0).F, 0.6f);
  applyClimate(-10000);  // r = 0.5
  EXPECT_EQ(stateAt(0, 0).K, 60);
  EXPECT_FLOAT_EQ(stateAt(0, 0).F, 0.4f);
  // Land of low sea level only keeps its LGM values whatever the climate.
  EXPECT_EQ(stateAt(1, 0).K, 20);
  EXPECT_FLOAT_EQ(stateAt(1, 0).F, 0.6f);
}

// K and F are interpolated alike in single precision: with r = V(t)/V(-66600) = (-6)/(-9)
// between K 150 (present) and 60 (LGM), K is 90, as any single-precision reading of the tables
// gives; F is the single-precision value it always was.
TEST_F(ClimateInterpolationTest, KIsInterpolatedInSinglePrecisionLikeF) {
  table("Veg2KFile", "1 150\n2 60\n");
  table("Veg2FFile", "1 0.2 present\n2 0.6 lgm\n");
  climateSeries("-66600 -9\n-10000 -6\n0 0\n");
  keys["FrictionChoice"] = "0";
  ASSERT_EQ(build(), 1) << log.str();
  applyClimate(-10000);
  const float r = -6.0f / -9.0f;
  EXPECT_EQ(stateAt(0, 0).K, 90);
  EXPECT_EQ(stateAt(0, 0).F, (0.6f - 0.2f) * r + 0.2f);
}

TEST_F(ClimateInterpolationTest, FrictionTwoAveragesTheVegetationAndTheRoughness) {
  table("Veg2FFile", "1 0.2 present\n2 0.6 lgm\n");
  map("RoughnessTopoFile", gridText({"0.4 0.4 0.4", "-0.4 0.4 0.4"}, 3));
  keys["FrictionChoice"] = "2";
  ASSERT_EQ(build(), 1) << log.str();
  applyClimate(-10000);
  EXPECT_FLOAT_EQ(stateAt(1, 0).F, 0.5f);  // (0.6 + |-0.4|) / 2
}

// Without any friction key construction gives every cell 0.5; the climate must not replace it
// by the empty F table's -1, which would stop all migration.
TEST_F(ClimateInterpolationTest, WithoutFrictionKeysTheFrictionStaysOneHalf) {
  ASSERT_EQ(build(), 1) << log.str();
  for (const State& s : world->states(0)) EXPECT_FLOAT_EQ(s.F, 0.5f);
  applyClimate(-10000);
  for (const State& s : world->states(0)) EXPECT_FLOAT_EQ(s.F, 0.5f);
}

// After a K switch with an LGM map, land without a present class takes the new table at its
// LGM class, not the no-data class outside the table.
TEST_F(ClimateInterpolationTest, KSwitchUsesTheLgmClassWhereThereIsNoPresentClass) {
  const std::string first = dir.write("k0.txt", "1 100\n2 20\n");
  const std::string second = dir.write("k1.txt", "1 90\n2 30\n");
  keys["Veg2KFile"] = dir.write("k_index.txt", "2\n0 " + first + "\n5 " + second + "\n");
  ASSERT_EQ(build(), 1) << log.str();
  log.str("");
  ASSERT_EQ(switchDynamicTable(*world, TableKind::K, 1), 1) << log.str();
  EXPECT_EQ(log.str(), "\tRecomputing K in generation 5\n");
  EXPECT_EQ(stateAt(0, 0).K, 90);
  EXPECT_EQ(stateAt(1, 0).K, 30);
}

class TableSwitchTest : public testing::WorldBuildTest {};

// Coast (around the lake at (1, 1)) and river ((1, 3), inland) factors of 0.5 on K and F. A
// switch of one table applies the factors of that quantity to its fresh values and leaves the
// other one alone, so no factor is ever applied twice.
TEST_F(TableSwitchTest, TableSwitchesDoNotCompoundTheFactors) {
  map("PresVegetationFile", gridText({"1 1 1 1 1", "1 -9999 1 1 1", "1 1 1 1 1"}, 5));
  map("HydroFile", gridText({"-9999 -9999 -9999 -9999 -9999", "-9999 -9999 -9999 1 -9999",
                             "-9999 -9999 -9999 -9999 -9999"},
                            5));
  const auto index = [&](const char* name, const std::string& t0, const std::string& t1) {
    return dir.write(name, "2\n0 " + dir.write(std::string(name) + "0", t0) + "\n10 " +
                               dir.write(std::string(name) + "1", t1) + "\n");
  };
  keys["Veg2KFile"] = index("k_index", "1 100\n", "1 80\n");
  keys["Veg2FFile"] = index("f_index", "1 0.4 a\n", "1 0.8 b\n");
  keys["FrictionChoice"] = "0";
  for (const char* key : {"CoastCarCapChangeFactor", "CoastFrictionChangeFactor",
                          "RiverCarCapChangeFactor", "RiverFrictionChangeFactor"}) {
    keys[key] = "0.5";
  }
  ASSERT_EQ(build(), 1) << log.str();
  ASSERT_TRUE(world->cellAt(0, 0)->coast);
  ASSERT_TRUE(world->cellAt(1, 3)->river && !world->cellAt(1, 3)->coast);
  const auto expect = [&](int k, float f, int plainK, float plainF) {
    for (const auto& [row, col] : {std::pair{0, 0}, std::pair{1, 3}}) {
      EXPECT_EQ(stateAt(row, col).K, k) << row << "," << col;
      EXPECT_FLOAT_EQ(stateAt(row, col).F, f) << row << "," << col;
    }
    EXPECT_EQ(stateAt(0, 4).K, plainK);
    EXPECT_FLOAT_EQ(stateAt(0, 4).F, plainF);
  };
  expect(50, 0.2f, 100, 0.4f);
  ASSERT_EQ(switchDynamicTable(*world, TableKind::K, 1), 1);
  expect(40, 0.2f, 80, 0.4f);
  ASSERT_EQ(switchDynamicTable(*world, TableKind::F, 1), 1);
  expect(40, 0.4f, 80, 0.8f);

  // The tables of construction come back for another run.
  ASSERT_EQ(restoreFirstTables(*world), 1);
  expect(50, 0.2f, 100, 0.4f);
}

}  // namespace
}  // namespace orvantis
