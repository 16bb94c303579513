#pragma once
// A large zero-filled block for the demographic database. Pages are only backed when first
// written, and large blocks ask for transparent huge pages, which cuts the page faults of the
// forward loop's first pass over the block by a factor of several hundred.

#include <cstddef>

namespace orvantis {

class TZeroedBlock {
 public:
  TZeroedBlock() = default;
  ~TZeroedBlock() { release(); }
  TZeroedBlock(const TZeroedBlock&) = delete;
  TZeroedBlock& operator=(const TZeroedBlock&) = delete;

  // Replaces the block by `bytes` zero bytes; false (and no block) when memory is refused.
  bool allocate(std::size_t bytes);
  void release();
  void* data() const { return data_; }
  std::size_t size() const { return bytes_; }

 private:
  void* data_ = nullptr;
  std::size_t bytes_ = 0;
  void* mapping_ = nullptr;  // start and length of an mmap'd block, else null
  std::size_t mappingBytes_ = 0;
};

}  // namespace orvantis
