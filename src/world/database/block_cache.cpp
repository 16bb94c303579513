#include "world/database/block_cache.h"

#include <new>

namespace orvantis {

std::uint64_t TRowBlockCache::bytesFor(const TRowShape& shape, int rowsPerBlock) {
  return 2 * shape.rowBytes() * static_cast<std::uint64_t>(rowsPerBlock) +
         TRowBlockDecoder::workingBytes(shape, rowsPerBlock);
}

const void* TRowBlockCache::row(int t) {
  if (const void* held = rows_->uncompressedRow(t)) return held;
  const int perBlock = rows_->rowsPerBlock();
  const int b = t / perBlock;
  const std::size_t offset = static_cast<std::size_t>(t % perBlock) * rows_->shape().rowBytes();
  const std::uint64_t version = rows_->version();
  for (Slot& slot : slots_) {
    if (slot.block == b && slot.version == version) {
      slot.lastUse = ++clock_;
      return slot.data.get() + offset;
    }
  }
  if (b >= rows_->packedBlocks()) return nullptr;
  Slot& slot = slots_[0].lastUse <= slots_[1].lastUse ? slots_[0] : slots_[1];
  slot.block = -1;
  if (!slot.data) {
    slot.data.reset(new (
        std::nothrow) std::uint8_t[rows_->shape().rowBytes() * static_cast<std::size_t>(perBlock)]);
    if (!slot.data) return nullptr;
  }
  const TBlockRef packed = rows_->block(b);
  if (!decoder_.decode(packed.data, packed.bytes, slot.data.get(), rows_->rowsInBlock(b),
                       rows_->shape())) {
    return nullptr;
  }
  slot.block = b;
  slot.version = version;
  slot.lastUse = ++clock_;
  return slot.data.get() + offset;
}

}  // namespace orvantis
