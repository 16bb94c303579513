// Worlds whose environment changes through a run.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/text_assertions.h"
#include "world/landscape/build_fixture.h"

namespace orvantis {
namespace {

using testing::gridText;

// What the cell (0, 1) held after the environmental changes of each generation, just before
// the cells are iterated.
struct TEnvironmentRecord {
  int generation = 0;
  double date = 0.0;
  int K = 0;
  bool changed = false;
};

class EnvironmentProbe : public TEnvironmentDynamics {
 public:
  explicit EnvironmentProbe(TEnvironmentDynamics& inner) : inner(inner) {}
  int atRunStart(World& world) override { return inner.atRunStart(world); }
  int atGeneration(World& world, bool& changed) override {
    const int result = inner.atGeneration(world, changed);
    const int K = world.state(0, world.cellAt(0, 1)->index).K;
    records.push_back({world.context().generation, world.context().date, K, changed});
    return result;
  }
  // The record of generation g (the first generation is 1).
  const TEnvironmentRecord& at(int g) const { return records.at(static_cast<std::size_t>(g - 1)); }

  TEnvironmentDynamics& inner;
  std::vector<TEnvironmentRecord> records;
};

class EnvironmentRun : public testing::WorldBuildTest {
 protected:
  // Present class 1 (K 100) and LGM class 2 (K 20) on a row of three cells.
  void lgmRow() {
    map("PresVegetationFile", gridText({"1 1 1"}, 3));
    map("LGMVegetationFile", gridText({"2 2 2"}, 3));
    table("Veg2KFile", "1 100\n2 20\n");
    source(1, 0, 0, 10);
  }
};

// RealBPTime is -(25 x 800) = -20000, so generation 4 is at -19900, the first date at which the
// temperature has risen half-way.
TEST_F(EnvironmentRun, TheClimateFollowsTheDateOfEachGeneration) {
  keys["EndTime"] = "800";
  lgmRow();
  climateSeries("-66600 -8\n-19900 -4\n0 0\n");
  ASSERT_EQ(build(), 1) << log.str();
  ASSERT_EQ(world->realBPTime(), -20000);
  log.str("");
  EnvironmentProbe probe(*world->environmentDynamics());
  ASSERT_EQ(run(&probe), 1) << log.str();
  EXPECT_CONTAINS(log.str(), "\n GenerateVostok (before) at time-20000\n GenerateVostok (after)\n");
  EXPECT_EQ(probe.at(3).K, 20);
  EXPECT_EQ(probe.at(4).date, -19900);
  EXPECT_EQ(probe.at(4).K, 60);
}

TEST_F(EnvironmentRun, DynamicVegetationChangeTimeSpacesTheClimateUpdates) {
  keys["EndTime"] = "60";
  keys["DynamicVegetationChangeTime"] = "500";
  lgmRow();
  climateSeries();
  ASSERT_EQ(build(), 1) << log.str();
  EnvironmentProbe probe(*world->environmentDynamics());
  ASSERT_EQ(run(&probe), 1) << log.str();
  std::vector<int> updates;
  for (const auto& r : probe.records) {
    if (r.changed) updates.push_back(r.generation);
  }
  EXPECT_EQ(updates, (std::vector<int>{20, 40, 60}));
}

// The table listed for generation 100 is in force from generation 101, before its cells are
// iterated; a second run starts again from the first table.
TEST_F(EnvironmentRun, ATableListedForGenerationHundredRulesFromGenerationHundredAndOne) {
  keys["EndTime"] = "102";
  map("PresVegetationFile", gridText({"1 1 1"}, 3));
  keys["Veg2KFile"] = dir.write("k_index.txt", "2\n0 " + dir.write("k0.txt", "1 100\n") + "\n100 " +
                                                   dir.write("k1.txt", "1 50\n") + "\n");
  source(1, 0, 0, 10);
  ASSERT_EQ(build(), 1) << log.str();
  for (int pass = 0; pass < 2; ++pass) {
    log.str("");
    EnvironmentProbe probe(*world->environmentDynamics());
    ASSERT_EQ(run(&probe), 1) << log.str();
    EXPECT_EQ(probe.at(100).K, 100) << pass;
    EXPECT_EQ(probe.at(101).K, 50) << pass;
    EXPECT_CONTAINS(log.str(), "\tRecomputing K in generation 100\n");
  }
}

// A lake at (1, 1) makes its eight neighbours coast; the cells (3, 0) and (3, 1) are land only
// at low sea level (no present class) and at altitude 0, under the sea from -750 on. The
// temperature warms at -1000 (generation 10) and reaches the present at -500 (generation 30);
// coast adaptation (1000 years) keeps the inland cells closed until generation 40.
TEST_F(EnvironmentRun, AGlacialWorldWithTemperatureSeaLevelAndCoastAdaptation) {
  keys["EndTime"] = "50";
  keys["CoastAdaptationDuration"] = "1000";
  map("PresVegetationFile",
      gridText({"1 1 1 1 1 1", "1 -9999 1 1 1 1", "1 1 1 1 1 1", "-9999 -9999 1 1 1 1"}, 6));
  map("LGMVegetationFile",
      gridText({"2 2 2 2 2 2", "2 -9999 2 2 2 2", "2 2 2 2 2 2", "2 2 2 2 2 2"}, 6));
  map("AltitudeTopoFile",
      gridText({"10 10 10 10 10 10", "10 10 10 10 10 10", "10 10 10 10 10 10", "0 0 10 10 10 10"},
               6));
  table("Veg2KFile", "1 100\n2 40\n");
  climateSeries("-66600 -8\n-1000 -4\n-500 0\n", "-66600 -50\n-750 5\n");
  source(4, 0, 1, 50);
  ASSERT_EQ(build(), 1) << log.str();
  ASSERT_EQ(world->realBPTime(), -1250);
  log.str("");
  ASSERT_EQ(run(), 1) << log.str();
  EXPECT_CONTAINS(log.str(), "\n GenerateVostok (before) at time-1250\n GenerateVostok (after)\n");

  EXPECT_EQ(dbN(0, 3, 39), 0);
  EXPECT_GT(dbN(0, 3, 40), 0);
  EXPECT_FALSE(world->cellAt(3, 0)->emerged);
  EXPECT_TRUE(world->cellAt(3, 2)->coast);

  // The sea, the coasts and the closed inland cells are back at the start of another run.
  const std::vector<int> first = sizes();
  ASSERT_EQ(run(), 1) << log.str();
  EXPECT_EQ(sizes(), first);
}

}  // namespace
}  // namespace orvantis
