#include "world/database/row_codec.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <random>
#include <type_traits>
#include <vector>

namespace orvantis {
namespace {

// Rows that change a little, a lot, or not at all from one to the next, with the extreme values
// whose differences wrap around.
template <class T>
std::vector<T> rowsOf(int count, std::size_t n, std::uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<T> rows(static_cast<std::size_t>(count) * n);
  for (std::size_t i = 0; i < n; ++i) rows[i] = static_cast<T>(rng());
  for (int k = 1; k < count; ++k) {
    for (std::size_t i = 0; i < n; ++i) {
      const T before = rows[(static_cast<std::size_t>(k) - 1) * n + i];
      const std::uint32_t r = rng() % 8;
      T value = before;
      // Wrapping, as the stored differences do.
      using U = std::make_unsigned_t<T>;
      if (r == 1) value = static_cast<T>(static_cast<U>(static_cast<U>(before) + rng() % 5 - 2));
      if (r == 2) value = static_cast<T>(rng());
      if (r == 3) value = std::numeric_limits<T>::min();
      if (r == 4) value = std::numeric_limits<T>::max();
      rows[static_cast<std::size_t>(k) * n + i] = value;
    }
  }
  return rows;
}

template <class T>
void expectRoundTrip(int count, std::size_t n) {
  const TRowShape shape{n, static_cast<int>(sizeof(T))};
  const std::vector<T> rows = rowsOf<T>(count, n, 7);
  TRowBlockEncoder encoder;
  ASSERT_TRUE(encoder.encode(rows.data(), count, shape));
  TRowBlockDecoder decoder;
  std::vector<T> back(rows.size(), T{1});
  ASSERT_TRUE(decoder.decode(encoder.frame(), encoder.frameBytes(), back.data(), count, shape));
  EXPECT_EQ(back, rows);
}

TEST(RowCodec, RoundTripsSixteenAndThirtyTwoBitRows) {
  expectRoundTrip<std::int32_t>(16, 1000);
  expectRoundTrip<std::int16_t>(16, 1000);
  expectRoundTrip<std::int32_t>(1, 3);
  expectRoundTrip<std::int16_t>(5, 1);
}

TEST(RowCodec, PacksSettledRowsTightly) {
  // A settled landscape: every row repeats the one before.
  const std::size_t n = 50000;
  std::vector<std::int32_t> rows(8 * n, 0);
  for (std::size_t i = 0; i < rows.size(); ++i) rows[i] = 100 + static_cast<int>(i % n % 7);
  TRowBlockEncoder encoder;
  ASSERT_TRUE(encoder.encode(rows.data(), 8, TRowShape{n, 4}));
  EXPECT_LT(encoder.frameBytes() * 100, rows.size() * sizeof(std::int32_t));
}

// A frame that is damaged, cut, or of another block shape is refused, never decoded.
TEST(RowCodec, RefusesDamagedOrMismatchedFrames) {
  const TRowShape shape{300, 4};
  const std::vector<std::int32_t> rows = rowsOf<std::int32_t>(4, 300, 3);
  TRowBlockEncoder encoder;
  ASSERT_TRUE(encoder.encode(rows.data(), 4, shape));
  const std::vector<std::uint8_t> frame(encoder.frame(), encoder.frame() + encoder.frameBytes());
  std::vector<std::int32_t> back(rows.size());
  TRowBlockDecoder decoder;

  EXPECT_FALSE(decoder.decode(frame.data(), frame.size() - 1, back.data(), 4, shape));
  EXPECT_FALSE(decoder.decode(frame.data(), frame.size(), back.data(), 3, shape));
  EXPECT_FALSE(decoder.decode(frame.data(), frame.size(), back.data(), 4, TRowShape{300, 2}));
  std::vector<std::uint8_t> longer = frame;
  longer.push_back(0);
  EXPECT_FALSE(decoder.decode(longer.data(), longer.size(), back.data(), 4, shape));
  int refused = 0;
  for (std::size_t at = 0; at < frame.size(); at += 7) {
    std::vector<std::uint8_t> damaged = frame;
    damaged[at] ^= 0x55;
    refused += decoder.decode(damaged.data(), damaged.size(), back.data(), 4, shape) ? 0 : 1;
  }
  EXPECT_EQ(refused, static_cast<int>((frame.size() + 6) / 7)) << "every flipped byte is caught";
  EXPECT_TRUE(decoder.decode(frame.data(), frame.size(), back.data(), 4, shape));
  EXPECT_EQ(back, rows);
}

}  // namespace
}  // namespace orvantis
