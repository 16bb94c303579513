#pragma once
// Long-distance arrivals of the demographic database: for every generation, cell and population,
// the ordered list of (source cell, count) pairs of the migrants that reached the cell.
//
// Most (generation, cell) pairs receive nobody. Two forms keep the lists:
// - indexed (the uncompressed database): the pairs live in one shared pool and an index of one
//   int32 per (generation, cell, population) names the last node of a circular list (0 =
//   empty). Appending is O(1) (the last node links back to the first), in any generation, and a
//   lookup is one array index; the index costs as much as one series of the database.
// - sealed (the compressed database, a saved demography): generations are written in ascending
//   order. The generation being written keeps linked lists under a one-generation index; once a
//   later generation is written, its lists are sealed: sorted by cell and population and stored
//   one after the other, so a generation costs only its pairs and a lookup is a binary search
//   among that generation's lists. Sealed lists may also be served from memory held elsewhere
//   (a mapped file).
// Either index is only created when long-distance dispersal is used.

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <vector>

namespace orvantis {

struct TLDDMigrant {
  std::int32_t sourceCell = 0;
  std::int32_t count = 0;
};
static_assert(sizeof(TLDDMigrant) == 8);

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
    explicit iterator(const TLDDMigrant* at) : at_(at) {}
    reference operator*() const { return pool_ != nullptr ? pool_[node_].migrant : *at_; }
    pointer operator->() const { return &**this; }
    iterator& operator++() {
      if (pool_ == nullptr) {
        ++at_;
      } else {
        node_ = node_ == last_ ? -1 : pool_[node_].next;
      }
      return *this;
    }
    iterator operator++(int) {
      iterator old = *this;
      ++*this;
      return old;
    }
    bool operator==(const iterator& other) const {
      return node_ == other.node_ && at_ == other.at_;
    }
    bool operator!=(const iterator& other) const { return !(*this == other); }

   private:
    const TLDDNode* pool_ = nullptr;  // linked form; null for a contiguous list
    std::int32_t node_ = -1;
    std::int32_t last_ = -1;
    const TLDDMigrant* at_ = nullptr;  // contiguous form
  };

  TLDDList() = default;
  // A circular list of the pool ending at node `last` (−1: empty).
  TLDDList(const TLDDNode* pool, std::int32_t last) : pool_(pool), last_(last) {}
  // A contiguous list.
  TLDDList(const TLDDMigrant* first, const TLDDMigrant* end) : first_(first), end_(end) {}

  bool empty() const { return pool_ != nullptr ? last_ < 0 : first_ == end_; }
  iterator begin() const {
    if (pool_ == nullptr) return iterator(first_);
    return empty() ? end() : iterator(pool_, pool_[last_].next, last_);
  }
  iterator end() const { return pool_ == nullptr ? iterator(end_) : iterator(pool_, -1, last_); }
  // Number of pairs and sum of their counts; both walk the list.
  int size() const;
  long totalCount() const;

 private:
  const TLDDNode* pool_ = nullptr;
  std::int32_t last_ = -1;
  const TLDDMigrant* first_ = nullptr;
  const TLDDMigrant* end_ = nullptr;
};

// Sealed lists, generation after generation: the lists of generation t are lists
// generationStart[t] .. generationStart[t + 1] − 1, in ascending key order (key = cell ·
// populations + population); list k holds migrants listStart[k] .. listStart[k + 1] − 1.
struct TLDDSealedLists {
  int generations = 0;                             // generations sealed
  const std::uint64_t* generationStart = nullptr;  // generations + 1 entries
  const std::int32_t* keys = nullptr;
  const std::uint64_t* listStart = nullptr;  // lists + 1 entries
  const TLDDMigrant* migrants = nullptr;
  std::uint64_t lists = 0;
  std::uint64_t migrantCount = 0;
};

class TLDDStore {
 public:
  enum class Form { Indexed, Sealed };

  TLDDStore() = default;
  ~TLDDStore();
  TLDDStore(const TLDDStore&) = delete;
  TLDDStore& operator=(const TLDDStore&) = delete;

  // Forgets everything and sets the shape and form (nothing is allocated yet).
  void reset(int generations, int cells, int populations, Form form = Form::Indexed);
  Form form() const { return form_; }
  // Bytes of the index for the current shape and form; false when they do not fit in 64 bits.
  bool indexBytes(std::uint64_t& bytes) const;
  // Allocates the (empty) index; false when memory is refused.
  bool allocateIndex();
  // True when lists can be read (and, unless served from elsewhere, written).
  bool hasIndex() const { return index_ != nullptr || external_; }

  // Empties every list, keeping the index.
  void clear();

  enum class AddResult { Added, NoIndex, PoolFull, OutOfOrder };
  AddResult add(int t, int cell, int population, int sourceCell, int count);

  // Sealed form: seals every generation up to t (those not written are empty); false when
  // memory is refused (the lists of the open generation are then lost).
  bool sealThrough(int t);
  // Sealed form: serves lists stored elsewhere (which must outlive the store); read-only.
  void adoptSealed(const TLDDSealedLists& lists);
  // Sealed form: the sealed lists (valid until the next write).
  const TLDDSealedLists& sealed() const { return sealed_; }

  TLDDList list(int t, int cell, int population) const {
    if (form_ == Form::Indexed) {
      if (index_ == nullptr) return TLDDList();
      return TLDDList(pool_.data(), index_[position(t, cell, population)] - 1);
    }
    return sealedList(t, cell, population);
  }

  // Number of pairs stored, and bytes held by the index and the pool.
  std::size_t pairs() const;
  std::uint64_t bytesHeld() const;
  // Walks every list; false (with the place in `where`) at the first malformed one.
  bool verify(int numCells, std::size_t& where) const;
  // The same for sealed lists alone (a saved file's before it is served).
  static bool verifySealed(const TLDDSealedLists& lists, int numCells, int populations,
                           std::size_t& where);

 private:
  std::size_t position(int t, int cell, int population) const {
    return (static_cast<std::size_t>(t) * static_cast<std::size_t>(cells_) +
            static_cast<std::size_t>(cell)) *
               static_cast<std::size_t>(populations_) +
           static_cast<std::size_t>(population);
  }
  std::int32_t key(int cell, int population) const { return cell * populations_ + population; }
  TLDDList sealedList(int t, int cell, int population) const;
  // Appends a node to the circular list whose last node + 1 is `slot`.
  AddResult link(std::int32_t& slot, int sourceCell, int count);
  bool sealOpenGeneration();
  void refreshSealedView();

  Form form_ = Form::Indexed;
  int generations_ = 0;
  int cells_ = 0;
  int populations_ = 1;

  // Indexed form: last node + 1 per (t, cell, population), 0 = empty. Sealed form: the same
  // for the open generation only, per (cell, population).
  std::int32_t* index_ = nullptr;
  std::vector<TLDDNode> pool_;

  // Sealed form.
  int openGeneration_ = 0;
  std::vector<std::int32_t> openKeys_;  // keys with a list in the open generation
  std::vector<std::uint64_t> generationStart_;
  std::vector<std::int32_t> keys_;
  std::vector<std::uint64_t> listStart_;
  std::vector<TLDDMigrant> migrants_;
  TLDDSealedLists sealed_;
  bool external_ = false;  // sealed_ points at lists held elsewhere
};

}  // namespace orvantis
