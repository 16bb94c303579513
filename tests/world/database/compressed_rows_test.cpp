#include "world/database/compressed_rows.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "world/database/block_cache.h"

namespace orvantis {
namespace {

constexpr std::size_t kValues = 50;

// Value i of generation t as the tests write it.
std::int32_t valueOf(int t, std::size_t i) {
  return static_cast<std::int32_t>(t * 1000 + static_cast<int>(i % 13));
}

void writeRow(TCompressedRows& rows, int t) {
  TCompressedRows::Status status = TCompressedRows::Status::Ok;
  auto* row = static_cast<std::int32_t*>(rows.rowForWriting(t, status));
  ASSERT_EQ(status, TCompressedRows::Status::Ok) << t;
  for (std::size_t i = 0; i < kValues; ++i) row[i] = valueOf(t, i);
}

// The value read through a cache; -1 when the row cannot be read.
std::int32_t read(TRowBlockCache& cache, int t, std::size_t i) {
  const void* row = cache.row(t);
  return row == nullptr ? -1 : static_cast<const std::int32_t*>(row)[i];
}

class CompressedRowsTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override { ASSERT_TRUE(rows.allocate(TRowShape{kValues, 4}, 37, GetParam())); }
  TCompressedRows rows;
};

// Rows read back at every stage: being written, in the block being filled or packed, packed; a
// generation never written reads as zeros, as in a plain database.
TEST_P(CompressedRowsTest, ServesEveryRowAtEveryStage) {
  ASSERT_EQ(rows.rowsPerBlock(), 16);
  TRowBlockCache cache(rows);
  for (int t = 0; t < 37; ++t) {
    if (t == 20) continue;  // skipped: stored as zeros
    writeRow(rows, t);
    EXPECT_EQ(read(cache, t, 5), valueOf(t, 5)) << "while written, " << t;
    EXPECT_EQ(read(cache, t + 1 < 37 ? t + 1 : t, 5), t + 1 < 37 ? 0 : valueOf(t, 5))
        << "a later row reads as zeros";
    for (int s = 0; s < t; s += 7) {
      EXPECT_EQ(read(cache, s, 3), s == 20 ? 0 : valueOf(s, 3)) << s << " at " << t;
    }
  }
  ASSERT_EQ(rows.finish(), TCompressedRows::Status::Ok);
  EXPECT_TRUE(rows.complete());
  EXPECT_EQ(rows.packedBlocks(), 3);
  EXPECT_GT(rows.compressedBytes(), 0u);
  // Descending, as the backward walk reads: the rows of g and g - 1 are valid together.
  for (int t = 36; t > 0; --t) {
    const auto* later = static_cast<const std::int32_t*>(cache.row(t));
    const auto* earlier = static_cast<const std::int32_t*>(cache.row(t - 1));
    ASSERT_NE(later, nullptr);
    ASSERT_NE(earlier, nullptr);
    for (std::size_t i = 0; i < kValues; ++i) {
      ASSERT_EQ(later[i], t == 20 ? 0 : valueOf(t, i)) << t << "," << i;
      ASSERT_EQ(earlier[i], t - 1 == 20 ? 0 : valueOf(t - 1, i)) << t - 1 << "," << i;
    }
  }
}

TEST_P(CompressedRowsTest, RefusesRowsAlreadyStoredAndStartsAfreshWhenCleared) {
  for (int t = 0; t < 18; ++t) writeRow(rows, t);
  TCompressedRows::Status status = TCompressedRows::Status::Ok;
  rows.rowForWriting(3, status);
  EXPECT_EQ(status, TCompressedRows::Status::OutOfOrder);
  rows.rowForWriting(37, status);
  EXPECT_EQ(status, TCompressedRows::Status::OutOfOrder);
  rows.rowForWriting(17, status);
  EXPECT_EQ(status, TCompressedRows::Status::Ok) << "the row being written";

  const std::uint64_t version = rows.version();
  rows.clear();
  EXPECT_NE(rows.version(), version);
  EXPECT_EQ(rows.packedBlocks(), 0);
  TRowBlockCache cache(rows);
  EXPECT_EQ(read(cache, 3, 1), 0);
  writeRow(rows, 0);
  ASSERT_EQ(rows.finish(), TCompressedRows::Status::Ok);
  EXPECT_EQ(read(cache, 0, 1), valueOf(0, 1));
  EXPECT_EQ(read(cache, 36, 1), 0);
}

// Blocks served from elsewhere (a saved file): read-only, and a damaged block is reported.
TEST_P(CompressedRowsTest, ServesAdoptedBlocksReadOnly) {
  for (int t = 0; t < 37; ++t) writeRow(rows, t);
  ASSERT_EQ(rows.finish(), TCompressedRows::Status::Ok);
  std::vector<std::vector<std::uint8_t>> copies;
  std::vector<TBlockRef> refs;
  for (int b = 0; b < rows.packedBlocks(); ++b) {
    const TBlockRef block = rows.block(b);
    copies.emplace_back(block.data, block.data + block.bytes);
  }
  copies[1][copies[1].size() / 2] ^= 1;
  for (const auto& copy : copies) refs.push_back(TBlockRef{copy.data(), copy.size()});

  TCompressedRows adopted;
  adopted.adopt(rows.shape(), 37, rows.rowsPerBlock(), refs);
  EXPECT_TRUE(adopted.readOnly());
  EXPECT_TRUE(adopted.complete());
  TCompressedRows::Status status = TCompressedRows::Status::Ok;
  adopted.rowForWriting(36, status);
  EXPECT_EQ(status, TCompressedRows::Status::ReadOnly);
  TRowBlockCache cache(adopted);
  EXPECT_EQ(read(cache, 36, 4), valueOf(36, 4));
  EXPECT_EQ(read(cache, 0, 4), valueOf(0, 4));
  EXPECT_EQ(cache.row(20), nullptr) << "block 1 is damaged";
}

INSTANTIATE_TEST_SUITE_P(PackedInTheBackgroundOrNot, CompressedRowsTest, ::testing::Bool());

}  // namespace
}  // namespace orvantis
