#pragma once
// Long-distance arrivals of the demographic database: for every generation, cell and population,
// the ordered list of (source cell, count) pairs of the migrants that reached the cell.
//
// Most (generation, cell) pairs receive nobody, so the pairs live in one shared pool and an
// index of one int32 per (generation, cell, population) names the last node of a circular list
// (0 = empty). Appending is O(1) (the last node links back to the first) and a lookup is one
// array index. The index is only created when long-distance dispersal is used.

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <vector>

namespace orvantis {

struct TLDDMigrant {
  int sourceCell = 0;
  int count = 0;
};

struct TLDDNode {
  TLDDMigrant migrant;
  std::int32_t next = 0;  // pool index of the following node; the last node names the first
};

// The list of one (generation, cell, population), in the order of arrival. A view: it is valid
// until the next write to the long-distance lists.
class TLDDList {
 public:
  class iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = TLDDMigrant;
    using difference_type = std::ptrdiff_t;
    using pointer = const TLDDMigrant*;
    using reference = const TLDDMigrant&;

    iterator() = default;
    iterator(const TLDDNode* pool, std::int32_t node, std::int32_t last)
        : pool_(pool), node_(node), last_(last) {}
    reference operator*() const { return pool_[node_].migrant; }
    pointer operator->() const { return &pool_[node_].migrant; }
    iterator& operator++() {
      node_ = node_ == last_ ? -1 : pool_[node_].next;
      return *this;
    }
    iterator operator++(int) {
      iterator old = *this;
      ++*this;
      return old;
    }
    bool operator==(const iterator& other) const { return node_ == other.node_; }
    bool operator!=(const iterator& other) const { return node_ != other.node_; }

   private:
    const TLDDNode* pool_ = nullptr;
    std::int32_t node_ = -1;
    std::int32_t last_ = -1;
  };

  TLDDList() = default;
  TLDDList(const TLDDNode* pool, std::int32_t last) : pool_(pool), last_(last) {}

  bool empty() const { return last_ < 0; }
  iterator begin() const { return empty() ? end() : iterator(pool_, pool_[last_].next, last_); }
  iterator end() const { return iterator(pool_, -1, last_); }
  // Number of pairs and sum of their counts; both walk the list.
  int size() const;
  long totalCount() const;

 private:
  const TLDDNode* pool_ = nullptr;
  std::int32_t last_ = -1;
};

class TLDDStore {
 public:
  TLDDStore() = default;
  ~TLDDStore();
  TLDDStore(const TLDDStore&) = delete;
  TLDDStore& operator=(const TLDDStore&) = delete;

  // Forgets everything and sets the shape of the index (nothing is allocated yet).
  void reset(int generations, int cells, int populations);
  // Bytes of the index for the current shape; false when they do not fit in 64 bits.
  bool indexBytes(std::uint64_t& bytes) const;
  // Allocates the (empty) index; false when memory is refused.
  bool allocateIndex();
  bool hasIndex() const { return index_ != nullptr; }

  // Empties every list, keeping the index.
  void clear();

  enum class AddResult { Added, NoIndex, PoolFull };
  AddResult add(int t, int cell, int population, int sourceCell, int count);

  TLDDList list(int t, int cell, int population) const {
    if (index_ == nullptr) return TLDDList();
    return TLDDList(pool_.data(), index_[position(t, cell, population)] - 1);
  }

  // Number of pairs stored, and bytes held by the index and the pool.
  std::size_t pairs() const { return pool_.size(); }
  std::uint64_t bytesHeld() const;
  // Walks every list; false (with the place in `where`) at the first malformed one.
  bool verify(int numCells, std::size_t& where) const;

 private:
  std::size_t position(int t, int cell, int population) const {
    return (static_cast<std::size_t>(t) * static_cast<std::size_t>(cells_) +
            static_cast<std::size_t>(cell)) *
               static_cast<std::size_t>(populations_) +
           static_cast<std::size_t>(population);
  }

  std::int32_t* index_ = nullptr;  // last node + 1 per (t, cell, population); 0 = empty
  std::vector<TLDDNode> pool_;
  int generations_ = 0;
  int cells_ = 0;
  int populations_ = 1;
};

}  // namespace orvantis
