#include "world/database/ldd_lists.h"

#include <algorithm>
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

void TLDDStore::reset(int generations, int cells, int populations, Form form) {
  std::free(index_);
  index_ = nullptr;
  pool_.clear();
  pool_.shrink_to_fit();
  form_ = form;
  generations_ = generations;
  cells_ = cells;
  populations_ = populations;
  openGeneration_ = 0;
  std::vector<std::int32_t>().swap(openKeys_);
  std::vector<std::uint64_t>().swap(generationStart_);
  std::vector<std::int32_t>().swap(keys_);
  std::vector<std::uint64_t>().swap(listStart_);
  std::vector<TLDDMigrant>().swap(migrants_);
  external_ = false;
  sealed_ = TLDDSealedLists();
}

bool TLDDStore::indexBytes(std::uint64_t& bytes) const {
  std::uint64_t entries = 0;
  const std::uint64_t generations =
      form_ == Form::Indexed ? static_cast<std::uint64_t>(generations_) : 1;
  return multiplyBytes(static_cast<std::uint64_t>(cells_), static_cast<std::uint64_t>(populations_),
                       entries) &&
         multiplyBytes(entries, generations, entries) &&
         multiplyBytes(entries, sizeof(std::int32_t), bytes);
}

bool TLDDStore::allocateIndex() {
  if (index_ != nullptr) return true;
  if (external_) return false;
  std::uint64_t bytes = 0;
  if (!indexBytes(bytes) || bytes > std::numeric_limits<std::size_t>::max()) return false;
  // calloc hands out zero pages, which is exactly the empty index; untouched pages cost nothing.
  index_ =
      static_cast<std::int32_t*>(std::calloc(bytes == 0 ? 1 : static_cast<std::size_t>(bytes), 1));
  if (index_ == nullptr) return false;
  if (form_ == Form::Sealed) {
    clear();
    if (generationStart_.empty()) {  // clear could not allocate the first entries
      std::free(index_);
      index_ = nullptr;
      return false;
    }
  }
  return true;
}

void TLDDStore::clear() {
  if (external_) return;
  if (form_ == Form::Indexed) {
    if (index_ != nullptr && !pool_.empty()) {
      std::uint64_t bytes = 0;
      indexBytes(bytes);
      std::memset(index_, 0, static_cast<std::size_t>(bytes));
    }
    pool_.clear();
    return;
  }
  if (index_ != nullptr) {
    for (const std::int32_t k : openKeys_) index_[k] = 0;
  }
  openKeys_.clear();
  pool_.clear();
  openGeneration_ = 0;
  keys_.clear();
  migrants_.clear();
  generationStart_.clear();
  listStart_.clear();
  try {
    generationStart_.push_back(0);
    listStart_.push_back(0);
  } catch (const std::bad_alloc&) {
    generationStart_.clear();
    listStart_.clear();
  }
  refreshSealedView();
}

TLDDStore::AddResult TLDDStore::link(std::int32_t& slot, int sourceCell, int count) {
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
  if (slot == 0) {
    pool_[static_cast<std::size_t>(node)].next = node;  // a list of one links to itself
  } else {
    TLDDNode& last = pool_[static_cast<std::size_t>(slot - 1)];
    pool_[static_cast<std::size_t>(node)].next = last.next;
    last.next = node;
  }
  slot = node + 1;
  return AddResult::Added;
}

TLDDStore::AddResult TLDDStore::add(int t, int cell, int population, int sourceCell, int count) {
  if (index_ == nullptr) return AddResult::NoIndex;
  if (form_ == Form::Indexed) return link(index_[position(t, cell, population)], sourceCell, count);
  if (t < openGeneration_) return AddResult::OutOfOrder;
  if (t > openGeneration_ && !sealThrough(t - 1)) return AddResult::PoolFull;
  const std::int32_t k = key(cell, population);
  std::int32_t& slot = index_[k];
  const bool fresh = slot == 0;
  if (fresh) {
    try {
      openKeys_.push_back(k);
    } catch (const std::bad_alloc&) {
      return AddResult::PoolFull;
    }
  }
  const AddResult result = link(slot, sourceCell, count);
  if (result != AddResult::Added && fresh) openKeys_.pop_back();
  return result;
}

bool TLDDStore::sealOpenGeneration() {
  std::sort(openKeys_.begin(), openKeys_.end());
  try {
    for (const std::int32_t k : openKeys_) {
      const std::int32_t last = index_[k] - 1;
      std::int32_t node = pool_[static_cast<std::size_t>(last)].next;
      for (;;) {
        migrants_.push_back(pool_[static_cast<std::size_t>(node)].migrant);
        if (node == last) break;
        node = pool_[static_cast<std::size_t>(node)].next;
      }
      keys_.push_back(k);
      listStart_.push_back(migrants_.size());
    }
    generationStart_.push_back(keys_.size());
  } catch (const std::bad_alloc&) {
    return false;
  }
  for (const std::int32_t k : openKeys_) index_[k] = 0;
  openKeys_.clear();
  pool_.clear();
  return true;
}

bool TLDDStore::sealThrough(int t) {
  if (form_ != Form::Sealed || external_ || index_ == nullptr) return true;
  t = std::min(t, generations_ - 1);
  if (t < openGeneration_) return true;
  bool ok = sealOpenGeneration();
  if (!ok) {
    // The open generation's lists cannot be kept; its lists and the later ones stay empty.
    keys_.resize(generationStart_.back());
    migrants_.resize(listStart_[keys_.size()]);
    listStart_.resize(keys_.size() + 1);
    for (const std::int32_t k : openKeys_) index_[k] = 0;
    openKeys_.clear();
    pool_.clear();
  }
  try {
    while (static_cast<int>(generationStart_.size()) - 1 <= t) {
      generationStart_.push_back(keys_.size());
    }
  } catch (const std::bad_alloc&) {
    ok = false;
  }
  openGeneration_ = static_cast<int>(generationStart_.size()) - 1;
  refreshSealedView();
  return ok;
}

void TLDDStore::refreshSealedView() {
  sealed_.generations =
      generationStart_.empty() ? 0 : static_cast<int>(generationStart_.size()) - 1;
  sealed_.generationStart = generationStart_.data();
  sealed_.keys = keys_.data();
  sealed_.listStart = listStart_.data();
  sealed_.migrants = migrants_.data();
  sealed_.lists = keys_.size();
  sealed_.migrantCount = migrants_.size();
}

void TLDDStore::adoptSealed(const TLDDSealedLists& lists) {
  reset(lists.generations, cells_, populations_, Form::Sealed);
  sealed_ = lists;
  openGeneration_ = lists.generations;
  external_ = true;
}

TLDDList TLDDStore::sealedList(int t, int cell, int population) const {
  const std::int32_t k = key(cell, population);
  if (t == openGeneration_ && index_ != nullptr) return TLDDList(pool_.data(), index_[k] - 1);
  if (t < 0 || t >= sealed_.generations) return TLDDList();
  const std::int32_t* first = sealed_.keys + sealed_.generationStart[t];
  const std::int32_t* last = sealed_.keys + sealed_.generationStart[t + 1];
  const std::int32_t* found = std::lower_bound(first, last, k);
  if (found == last || *found != k) return TLDDList();
  const auto list = static_cast<std::size_t>(found - sealed_.keys);
  return TLDDList(sealed_.migrants + sealed_.listStart[list],
                  sealed_.migrants + sealed_.listStart[list + 1]);
}

std::size_t TLDDStore::pairs() const {
  return pool_.size() + static_cast<std::size_t>(form_ == Form::Sealed ? sealed_.migrantCount : 0);
}

std::uint64_t TLDDStore::bytesHeld() const {
  std::uint64_t bytes = 0;
  if (index_ != nullptr) indexBytes(bytes);
  bytes += pool_.capacity() * sizeof(TLDDNode) + openKeys_.capacity() * sizeof(std::int32_t);
  bytes += generationStart_.capacity() * sizeof(std::uint64_t) +
           keys_.capacity() * sizeof(std::int32_t) + listStart_.capacity() * sizeof(std::uint64_t) +
           migrants_.capacity() * sizeof(TLDDMigrant);
  return bytes;
}

bool TLDDStore::verify(int numCells, std::size_t& where) const {
  if (form_ == Form::Sealed) {
    if (!verifySealed(sealed_, numCells, populations_, where)) return false;
    // The open generation's lists: every node in range, one list per key.
    for (const std::int32_t k : openKeys_) {
      where = static_cast<std::size_t>(k);
      const std::int32_t last = index_[k] - 1;
      if (last < 0 || static_cast<std::size_t>(last) >= pool_.size()) return false;
    }
    where = 0;
    return true;
  }
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
    std::int32_t node = pool_[static_cast<std::size_t>(last)].next;
    // Each node belongs to one list, so a list longer than the pool is a cycle.
    for (std::size_t steps = 0;; ++steps) {
      if (node < 0 || static_cast<std::size_t>(node) >= pool_.size() || steps > pool_.size()) {
        return false;
      }
      const TLDDMigrant& m = pool_[static_cast<std::size_t>(node)].migrant;
      if (m.count <= 0 || m.sourceCell < 0 || m.sourceCell >= numCells) return false;
      ++visited;
      if (node == last) break;
      node = pool_[static_cast<std::size_t>(node)].next;
    }
  }
  where = entries;
  return visited == pool_.size();
}

bool TLDDStore::verifySealed(const TLDDSealedLists& lists, int numCells, int populations,
                             std::size_t& where) {
  where = 0;
  if (lists.generations <= 0) return lists.lists == 0 && lists.migrantCount == 0;
  const std::uint64_t* gs = lists.generationStart;
  if (gs == nullptr || lists.listStart == nullptr || gs[0] != 0 ||
      gs[lists.generations] != lists.lists || lists.listStart[0] != 0 ||
      lists.listStart[lists.lists] != lists.migrantCount) {
    return false;
  }
  const std::int64_t keyCount = static_cast<std::int64_t>(numCells) * populations;
  for (int t = 0; t < lists.generations; ++t) {
    where = static_cast<std::size_t>(t);
    if (gs[t + 1] < gs[t] || gs[t + 1] > lists.lists) return false;
    for (std::uint64_t k = gs[t]; k < gs[t + 1]; ++k) {
      const std::int32_t key = lists.keys[k];
      if (key < 0 || key >= keyCount || (k > gs[t] && key <= lists.keys[k - 1])) return false;
      // Every list holds at least one pair, and the lists follow one another.
      if (lists.listStart[k + 1] <= lists.listStart[k] ||
          lists.listStart[k + 1] > lists.migrantCount) {
        return false;
      }
    }
  }
  for (std::uint64_t m = 0; m < lists.migrantCount; ++m) {
    where = static_cast<std::size_t>(m);
    const TLDDMigrant& migrant = lists.migrants[m];
    if (migrant.count <= 0 || migrant.sourceCell < 0 || migrant.sourceCell >= numCells)
      return false;
  }
  where = 0;
  return true;
}

}  // namespace orvantis
