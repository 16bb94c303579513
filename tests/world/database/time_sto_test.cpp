#include "world/database/time_sto.h"

#include <gtest/gtest.h>

namespace orvantis {
namespace {

TEST(TimeStoInt, StepFunctionWithTimes0_100_250) {
  TimeStoInt<float> series;
  EXPECT_EQ(series.valueAt(3), 0.0f) << "an empty series reads as 0";
  ASSERT_TRUE(series.addValue(5.0f, 0));
  EXPECT_EQ(series.valueAt(-50), 5.0f) << "one pair: its value everywhere";
  ASSERT_TRUE(series.addValue(7.0f, 100));
  ASSERT_TRUE(series.addValue(9.0f, 250));
  // Forward, backward and jumping queries, so the hint is reused, moved on and discarded.
  const int times[] = {50, 100, 260, -10, 0, 99, 101, 250, 175, 0, 251};
  const float expected[] = {5, 7, 9, 9, 5, 5, 7, 9, 7, 5, 9};
  for (int i = 0; i < 11; ++i) EXPECT_EQ(series.valueAt(times[i]), expected[i]) << times[i];
}

// A time earlier than the previous one would break the lookup: refused, nothing changes.
TEST(TimeStoInt, RefusesEarlierTimesUntilCleared) {
  TimeStoInt<float> series;
  ASSERT_TRUE(series.addValue(-8.0f, -3000));
  ASSERT_TRUE(series.addValue(-4.0f, -1000));
  EXPECT_FALSE(series.addValue(100.0f, -2000));
  EXPECT_EQ(series.count(), 2);
  series.clear();
  ASSERT_TRUE(series.addValue(1.0f, -9000)) << "a cleared series accepts any first time";
  EXPECT_EQ(series.valueAt(0), 1.0f);
}

}  // namespace
}  // namespace orvantis
