#include "world/time_sto.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace orvantis {
namespace {

TEST(TimeStoInt, StepFunctionWithTimes0_100_250) {
  TimeStoInt<float> series;
  ASSERT_TRUE(series.addValue(5.0f, 0));
  ASSERT_TRUE(series.addValue(7.0f, 100));
  ASSERT_TRUE(series.addValue(9.0f, 250));
  // Forward, backward and jumping queries, so the hint is reused, moved on and discarded.
  const int times[] = {50, 100, 260, -10, 0, 99, 101, 250, 175, 0, 251};
  const float expected[] = {5, 7, 9, 9, 5, 5, 7, 9, 7, 5, 9};
  for (int i = 0; i < 11; ++i) EXPECT_EQ(series.valueAt(times[i]), expected[i]) << times[i];
  for (int t = 0; t <= 300; ++t) {
    EXPECT_EQ(series.valueAt(t), t < 100 ? 5.0f : t < 250 ? 7.0f : 9.0f) << t;
  }
}

TEST(TimeStoInt, StoresOnlyChangesAndTracksExtremes) {
  TimeStoInt<float> series;
  EXPECT_EQ(series.valueAt(3), 0.0f) << "an empty series reads as 0";
  ASSERT_TRUE(series.addValue(-8.0f, -3000));
  EXPECT_EQ(series.valueAt(-5000), -8.0f) << "one pair: its value everywhere";
  ASSERT_TRUE(series.addValue(-8.0f, -2000));
  ASSERT_TRUE(series.addValue(-4.0f, -1000));
  ASSERT_TRUE(series.addValue(-12.0f, -500));
  ASSERT_TRUE(series.addValue(-12.0f, -400));
  EXPECT_EQ(series.count(), 3);
  EXPECT_EQ(series.valueAt(-2500), -8.0f);
  EXPECT_EQ(series.valueAt(-1000), -4.0f);
  EXPECT_EQ(series.valueAt(-450), -12.0f);
  EXPECT_EQ(series.minValue(), -12.0f);
  EXPECT_EQ(series.maxValue(), -4.0f);

  // A time earlier than the previous one would break the lookup: refused, nothing changes.
  EXPECT_FALSE(series.addValue(100.0f, -2000));
  EXPECT_EQ(series.count(), 3);
  EXPECT_EQ(series.maxValue(), -4.0f);

  series.clear();
  EXPECT_EQ(series.count(), 0);
  ASSERT_TRUE(series.addValue(1.0f, -9000)) << "a cleared series accepts any first time";
  EXPECT_EQ(series.valueAt(0), 1.0f);
}

TEST(TimeStoInt, GrowsBeyondItsInitialCapacity) {
  TimeStoInt<float> series;
  for (int k = 0; k < 1000; ++k) ASSERT_TRUE(series.addValue(static_cast<float>(k), 10 * k));
  EXPECT_EQ(series.count(), 1000);
  for (int k = 0; k < 999; ++k) EXPECT_EQ(series.valueAt(10 * k + 5), static_cast<float>(k));
  EXPECT_EQ(series.valueAt(777 * 10), 777.0f);
}

TEST(TimeStoFull, ReadsStridedShortAndWideStorage) {
  const std::int16_t shorts[] = {-2, 9, -32768, 9, 32767, 9};
  const TimeStoFull a(shorts, 2, 3, true);
  EXPECT_EQ(a.count(), 3);
  EXPECT_EQ(a[0], -2);
  EXPECT_EQ(a[1], -32768);
  EXPECT_EQ(a[2], 32767);
  const std::int32_t ints[] = {1, 40000, 3};
  const TimeStoFull b(ints + 1, 1, 2, false);
  EXPECT_EQ(b[0], 40000);
  EXPECT_EQ(b[1], 3);
}

}  // namespace
}  // namespace orvantis
