#pragma once
// The decoded blocks of one reader of a compressed database: the block of the row asked for
// last and the block before it, so that the backward walk, which asks for the rows of g and
// g − 1 together, decodes each block once. A cache belongs to one reader (one genetic run, one
// thread); it only reads the store.

#include <cstdint>
#include <memory>

#include "world/database/compressed_rows.h"
#include "world/database/row_codec.h"

namespace orvantis {

class TRowBlockCache {
 public:
  explicit TRowBlockCache(const TCompressedRows& rows) : rows_(&rows) {}
  TRowBlockCache(const TRowBlockCache&) = delete;
  TRowBlockCache& operator=(const TRowBlockCache&) = delete;

  // Row t (0 <= t < generations). The two rows asked for last stay valid together. Null when the
  // block cannot be decoded (a damaged saved file) or memory is refused.
  const void* row(int t);
  // Memory the cache may hold for a store of that shape.
  static std::uint64_t bytesFor(const TRowShape& shape, int rowsPerBlock);

 private:
  struct Slot {
    int block = -1;
    std::uint64_t version = 0;
    std::uint64_t lastUse = 0;
    std::unique_ptr<std::uint8_t[]> data;
  };

  const TCompressedRows* rows_;
  Slot slots_[2];
  std::uint64_t clock_ = 0;
  TRowBlockDecoder decoder_;
};

}  // namespace orvantis
