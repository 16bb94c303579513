#include "world/database/ldd_lists.h"

#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

#include "world/database/memory_budget.h"

namespace orvantis {

int TLDDList::size() const {
  int n = 0;
  for (auto it = begin(); it != end(); ++it) ++n;
  return n;
}

long TLDDList::totalCount() const {
  long sum = 0;
  for (const TLDDMigrant& m : *this) sum += m.count;
  return sum;
}

TLDDStore::~TLDDStore() {
  std::free(index_);
}

void TLDDStore::reset(int generations, int cells, int populations) {
  std::free(index_);
  index_ = nullptr;
  pool_.clear();
  pool_.shrink_to_fit();
  generations_ = generations;
  cells_ = cells;
  populations_ = populations;
}

bool TLDDStore::indexBytes(std::uint64_t& bytes) const {
  std::uint64_t entries = 0;
  std::uint64_t perGeneration = 0;
  return multiplyBytes(static_cast<std::uint64_t>(cells_), static_cast<std::uint64_t>(populations_),
                       perGeneration) &&
         multiplyBytes(perGeneration, static_cast<std::uint64_t>(generations_), entries) &&
         multiplyBytes(entries, sizeof(std::int32_t), bytes);
}

bool TLDDStore::allocateIndex() {
  if (index_ != nullptr) return true;
  std::uint64_t bytes = 0;
  if (!indexBytes(bytes) || bytes > std::numeric_limits<std::size_t>::max()) return false;
  // calloc hands out zero pages, which is exactly the empty index; untouched pages cost nothing.
  index_ =
      static_cast<std::int32_t*>(std::calloc(bytes == 0 ? 1 : static_cast<std::size_t>(bytes), 1));
  return index_ != nullptr;
}

void TLDDStore::clear() {
  if (index_ != nullptr && !pool_.empty()) {
    std::uint64_t bytes = 0;
    indexBytes(bytes);
    std::memset(index_, 0, static_cast<std::size_t>(bytes));
  }
  pool_.clear();
}

TLDDStore::AddResult TLDDStore::add(int t, int cell, int population, int sourceCell, int count) {
  if (index_ == nullptr) return AddResult::NoIndex;
  // Node numbers are stored + 1 in an int32.
  if (pool_.size() >= static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max() - 1)) {
    return AddResult::PoolFull;
  }
  try {
    pool_.push_back(TLDDNode{TLDDMigrant{sourceCell, count}, 0});
  } catch (const std::bad_alloc&) {
    return AddResult::PoolFull;
  }
  const auto node = static_cast<std::int32_t>(pool_.size() - 1);
  std::int32_t& slot = index_[position(t, cell, population)];
  if (slot == 0) {
    pool_[node].next = node;  // a list of one links to itself
  } else {
    TLDDNode& last = pool_[slot - 1];
    pool_[node].next = last.next;
    last.next = node;
  }
  slot = node + 1;
  return AddResult::Added;
}

std::uint64_t TLDDStore::bytesHeld() const {
  std::uint64_t bytes = 0;
  if (index_ != nullptr) indexBytes(bytes);
  return bytes + pool_.capacity() * sizeof(TLDDNode);
}

bool TLDDStore::verify(int numCells, std::size_t& where) const {
  if (index_ == nullptr) return true;
  std::uint64_t bytes = 0;
  indexBytes(bytes);
  const std::size_t entries = static_cast<std::size_t>(bytes / sizeof(std::int32_t));
  std::size_t visited = 0;
  for (std::size_t i = 0; i < entries; ++i) {
    const std::int32_t last = index_[i] - 1;
    if (last < 0) continue;
    where = i;
    if (static_cast<std::size_t>(last) >= pool_.size()) return false;
    std::int32_t node = pool_[last].next;
    // Each node belongs to one list, so a list longer than the pool is a cycle.
    for (std::size_t steps = 0;; ++steps) {
      if (node < 0 || static_cast<std::size_t>(node) >= pool_.size() || steps > pool_.size()) {
        return false;
      }
      const TLDDMigrant& m = pool_[node].migrant;
      if (m.count <= 0 || m.sourceCell < 0 || m.sourceCell >= numCells) return false;
      ++visited;
      if (node == last) break;
      node = pool_[node].next;
    }
  }
  where = entries;
  return visited == pool_.size();
}

}  // namespace orvantis
