#include "world/database/zeroed_block.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>

namespace orvantis {

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

}  // namespace

bool TZeroedBlock::allocate(std::size_t bytes) {
  release();
  if (bytes < 4 * kHugePage) {
    data_ = std::calloc(bytes == 0 ? 1 : bytes, 1);
    if (data_ == nullptr) return false;
    bytes_ = bytes;
    return true;
  }
  // Over-map by one huge page so that the block can start on a huge-page boundary.
  if (bytes > SIZE_MAX - kHugePage) return false;
  const std::size_t length = bytes + kHugePage;
  void* map = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (map == MAP_FAILED) return false;
  const auto start = reinterpret_cast<std::uintptr_t>(map);
  const std::uintptr_t aligned = (start + kHugePage - 1) & ~(std::uintptr_t{kHugePage} - 1);
  mapping_ = map;
  mappingBytes_ = length;
  data_ = reinterpret_cast<void*>(aligned);
  bytes_ = bytes;
#ifdef MADV_HUGEPAGE
  madvise(data_, bytes_ & ~(kHugePage - 1), MADV_HUGEPAGE);  // a hint; failure is harmless
#endif
  return true;
}

void TZeroedBlock::release() {
  if (mapping_ != nullptr) {
    munmap(mapping_, mappingBytes_);
  } else {
    std::free(data_);
  }
  data_ = nullptr;
  bytes_ = 0;
  mapping_ = nullptr;
  mappingBytes_ = 0;
}

}  // namespace orvantis
