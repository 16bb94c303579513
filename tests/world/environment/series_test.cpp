#include <gtest/gtest.h>

#include <string>

#include "support/text_assertions.h"
#include "world/landscape/build_fixture.h"

namespace orvantis {
namespace {

using testing::gridText;

class ClimateSeriesTest : public testing::WorldBuildTest {
 protected:
  ClimateSeriesTest() {
    map("PresVegetationFile", gridText({"1 1", "1 1"}, 2));
    map("LGMVegetationFile", gridText({"2 2", "2 2"}, 2));
    table("Veg2KFile", "1 100\n2 20\n");
  }
};

// Times are truncated toward zero, a value equal to the last stored one is not stored again, and
// a reload (as for a second population) replaces the series instead of appending to it.
TEST_F(ClimateSeriesTest, TemperatureSeriesStoresOnlyChanges) {
  climateSeries("-3000 -8\n-2000.9 -8\r\n  -1000 -4");
  ASSERT_EQ(build(), 1) << log.str();
  const TimeStoInt<float>& v = world->temperatureSeries();
  ASSERT_EQ(v.count(), 2);
  EXPECT_EQ(v.valueAt(-1000), -4.0f);
  EXPECT_EQ(world->vostokTimes(), (std::vector<int>{-3000, -2000, -1000}));

  ASSERT_EQ(world->load_VostokTimeData(), 1);
  EXPECT_EQ(world->temperatureSeries().count(), 2);
  EXPECT_EQ(world->vostokTimes().size(), 3u);
}

TEST_F(ClimateSeriesTest, DamagedSeriesFailTheConstructionWithAClearLine) {
  constexpr const char* kSea = "-66600 -120\n0 0\n";
  constexpr const char* kTemperature = "-66600 -8\n0 0\n";
  struct Case {
    const char* temperature;  // nullptr: no VostokFile key
    const char* seaLevel;     // nullptr: no SeaLevelFile key
    const char* expected;     // part of the log
    const char* faultyKey;    // the key of the file the log must name, or nullptr
  };
  const Case cases[] = {
      {nullptr, kSea,
       "ERROR: {World::load_VostokTimeData()} [cannot open Vostok File]\n"
       "\tthe settings name no VostokFile",
       nullptr},
      {"", kSea, "is damaged, the file holds no pair of time and value]", "VostokFile"},
      {"-3000 -8\n-2000 abc\n", kSea, "is damaged, line 2: 'abc' is not a number]", "VostokFile"},
      {"-1000 1\n\n-2000 2\n", kSea, "line 3: the time -2000 comes before the time -1000",
       "VostokFile"},
      {"-66600 0\n0 1\n", kSea, "the temperature at the reference time -66600 is 0", "VostokFile"},
      {kTemperature, "-66600 -120\n0 x0\n",
       "ERROR: {World::loadSeaLevelData()} [the sea level file", "SeaLevelFile"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    world.reset();  // a settings store keeps the keys of earlier loads
    log.str("");
    climateSeries(c.temperature ? c.temperature : "", c.seaLevel ? c.seaLevel : "");
    if (!c.temperature) keys.erase("VostokFile");
    if (!c.seaLevel) keys.erase("SeaLevelFile");
    EXPECT_EQ(build(), 0);
    EXPECT_CONTAINS(log.str(), c.expected);
    if (c.faultyKey) {
      EXPECT_CONTAINS(log.str(), "'" + keys[c.faultyKey] + "'");
    }
  }
}

}  // namespace
}  // namespace orvantis
