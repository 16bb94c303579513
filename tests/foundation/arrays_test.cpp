#include "foundation/arrays.h"

#include <gtest/gtest.h>

namespace orvantis {
namespace {

TEST(ArraysTest, GrowthByDelta) {
  TIntVect a(0, 10);
  EXPECT_EQ(a.capacity(), 1);
  EXPECT_EQ(a.count(), 0);
  EXPECT_EQ(a.lowerBound(), 0);
  EXPECT_EQ(a.Add(5), 1);
  EXPECT_EQ(a.capacity(), 1);
  EXPECT_EQ(a.Add(6), 2);
  EXPECT_EQ(a.capacity(), 11);
  for (int i = 2; i < 11; ++i) a.Add(i * 10);
  EXPECT_EQ(a.capacity(), 11);
  EXPECT_EQ(a.Add(-1), 12);
  EXPECT_EQ(a.capacity(), 21);
  EXPECT_EQ(a[0], 5);
  EXPECT_EQ(a[1], 6);
  EXPECT_EQ(a[10], 100);
  EXPECT_EQ(a[11], -1);
}

TEST(ArraysTest, StringsSurviveGrowthAndCopies) {
  StringArray names(1, 1);
  names.Add("first");
  names.Add("second");
  names.Add("third");
  EXPECT_EQ(names.capacity(), 3);
  EXPECT_EQ(names[0].str(), "first");
  EXPECT_EQ(names[2].str(), "third");

  StringArray copy(names);
  copy[0] = "changed";
  copy.Add("fourth");
  EXPECT_EQ(names[0].str(), "first");
  EXPECT_EQ(names.count(), 3);
  EXPECT_EQ(copy.count(), 4);

  names = copy;
  EXPECT_EQ(names[0].str(), "changed");
  EXPECT_EQ(names.count(), 4);
}

TEST(ArraysTest, FixedSizeAndNegativeBounds) {
  // A delta of 0 makes a fixed-size array: a full one refuses the item instead of writing past it.
  TFloatVect fixed(1, 0);
  EXPECT_EQ(fixed.Add(1.0f), 1);
  EXPECT_EQ(fixed.Add(2.0f), 2);
  EXPECT_EQ(fixed.Add(3.0f), 0);
  EXPECT_EQ(fixed.count(), 2);

  // An upper bound below 0 gives an array without slots that still grows.
  TboolVect empty(-3, 4);
  EXPECT_EQ(empty.capacity(), 0);
  EXPECT_EQ(empty.Add(true), 1);
  EXPECT_EQ(empty.capacity(), 4);
  EXPECT_TRUE(empty[0]);
}

struct Counted {
  explicit Counted(int* destroyed) : destroyed_(destroyed) {}
  ~Counted() { ++*destroyed_; }
  int* destroyed_;
};

TEST(ArraysTest, PointerArrayOwnership) {
  int destroyed = 0;
  {
    MY_TIArrayAsVector<Counted> owned(0, 2);
    EXPECT_TRUE(owned.ownsElements());
    owned.Add(new Counted(&destroyed));
    owned.Add(nullptr);  // empty slots are skipped
    owned.Add(new Counted(&destroyed));
    EXPECT_EQ(owned.count(), 3);
  }
  EXPECT_EQ(destroyed, 2);

  destroyed = 0;
  Counted kept(&destroyed);
  {
    MY_TIArrayAsVector<Counted> borrowed;
    borrowed.OwnsElements(false);
    borrowed.Add(&kept);
  }
  EXPECT_EQ(destroyed, 0);

  MY_TIArrayAsVector<Counted> flushed;
  flushed.Add(new Counted(&destroyed));
  flushed.Add(new Counted(&destroyed));
  flushed.Flush();
  EXPECT_EQ(destroyed, 2);
  EXPECT_EQ(flushed.count(), 0);
}

TEST(ArraysTest, ReserveMakesRoomOnceAndKeepsItems) {
  TIntVect v(0, 10);
  v.Add(7);
  ASSERT_TRUE(v.Reserve(1000));
  EXPECT_EQ(v.capacity(), 1000);
  EXPECT_EQ(v.count(), 1);
  EXPECT_EQ(v[0], 7);
  EXPECT_TRUE(v.Reserve(5));  // never shrinks
  EXPECT_EQ(v.capacity(), 1000);
  for (int i = 1; i < 1000; ++i) v.Add(i);
  EXPECT_EQ(v.capacity(), 1000);
  EXPECT_EQ(v.Add(1000), 1001);  // then grows by its delta again
  EXPECT_EQ(v.capacity(), 1010);
}

}  // namespace
}  // namespace orvantis
