#include "foundation/arrays.h"

#include <gtest/gtest.h>

namespace orvantis {
namespace {

TEST(ArraysTest, GrowthByDeltaAndReserve) {
  TIntVect a(0, 10);
  EXPECT_EQ(a.capacity(), 1);
  EXPECT_EQ(a.Add(5), 1);
  EXPECT_EQ(a.Add(6), 2);
  EXPECT_EQ(a.capacity(), 11);
  for (int i = 2; i < 11; ++i) a.Add(i * 10);
  EXPECT_EQ(a.Add(-1), 12);
  EXPECT_EQ(a.capacity(), 21);
  EXPECT_EQ(a[11], -1);

  // Reserve makes room once, keeps the items, never shrinks; growth by the delta follows.
  ASSERT_TRUE(a.Reserve(1000));
  EXPECT_TRUE(a.Reserve(5));
  EXPECT_EQ(a.capacity(), 1000);
  EXPECT_EQ(a[11], -1);
  for (int i = 12; i < 1000; ++i) a.Add(i);
  EXPECT_EQ(a.capacity(), 1000);
  EXPECT_EQ(a.Add(1000), 1001);
  EXPECT_EQ(a.capacity(), 1010);
}

TEST(ArraysTest, FixedSizeAndDeepCopies) {
  // A delta of 0 makes a fixed-size array: a full one refuses the item instead of writing past it.
  TFloatVect fixed(1, 0);
  EXPECT_EQ(fixed.Add(1.0f), 1);
  EXPECT_EQ(fixed.Add(2.0f), 2);
  EXPECT_EQ(fixed.Add(3.0f), 0);
  EXPECT_EQ(fixed.count(), 2);
}

}  // namespace
}  // namespace orvantis
