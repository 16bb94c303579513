#pragma once
// The chain list of node references: a deme's lineages, its sample nodes, its incoming and
// ancient lineages.
//
// References are kept in one contiguous array whose capacity survives clear(), so the lists of
// a genealogy reuse the memory of the previous one; at() is O(1) and remove() shifts the tail.
// The list never destroys nodes: nodes belong to the genealogy's store (tree.h). The owns flag
// only decides what remove() and replacePair() hand back: nothing (the null reference) for an
// owning list, the removed node otherwise.

#include <ostream>
#include <vector>

namespace orvantis {

template <class T>
class TISimpleChain {
 public:
  using Ref = typename T::Ref;
  static constexpr Ref kNull = T::kNull;

  explicit TISimpleChain(bool owns = false) : owns_(owns) {}

  bool ownsElements() const { return owns_; }
  void OwnsElements(bool owns) { owns_ = owns; }

  int count() const { return static_cast<int>(items_.size()); }
  bool empty() const { return items_.empty(); }
  void reserve(int n) { items_.reserve(static_cast<std::size_t>(n > 0 ? n : 0)); }

  void append(Ref node) { items_.push_back(node); }

  // The node at `rank`; a rank outside 0..count - 1 gives the first node, or the null reference
  // for an empty list.
  Ref at(int rank) const {
    if (items_.empty()) return kNull;
    if (rank < 0 || rank >= count()) return items_.front();
    return items_[static_cast<std::size_t>(rank)];
  }
  // Unchecked access for loops that stay within 0..count - 1.
  Ref operator[](int rank) const { return items_[static_cast<std::size_t>(rank)]; }
  // Puts `node` at `rank` in place of what was there (0..count - 1).
  void set(int rank, Ref node) { items_[static_cast<std::size_t>(rank)] = node; }

  // Iteration: rewind() puts the cursor on the first node; next() moves it one node on and
  // returns that node, or returns null without moving when the cursor is on the last node.
  void rewind() { cursor_ = 0; }
  Ref current() const {
    return cursor_ >= 0 && cursor_ < count() ? items_[static_cast<std::size_t>(cursor_)] : kNull;
  }
  Ref next() {
    if (cursor_ + 1 >= count()) return kNull;
    ++cursor_;
    return items_[static_cast<std::size_t>(cursor_)];
  }

  // Removes the entry at `rank`; the removed node, or null for an owning list or a rank outside
  // the list (nothing removed). A cursor on or after the removed entry steps back one, so that
  // next() gives the node that followed it.
  Ref remove(int rank) {
    if (rank < 0 || rank >= count()) return kNull;
    const Ref removed = items_[static_cast<std::size_t>(rank)];
    items_.erase(items_.begin() + rank);
    if (cursor_ >= rank) --cursor_;
    return owns_ ? kNull : removed;
  }

  // Replaces two coalescing lineages by their parent. With r1 = min(i, j) and r2 = max(i, j):
  // `first` receives the node at r1 and `node` takes its place; the entry at r2 is removed and
  // `second` receives its node (null for an owning list). False, with the list unchanged and an
  // error line in `log`, when a rank is outside the list or both ranks are equal.
  [[nodiscard]] bool replacePair(int i, int j, Ref node, Ref& first, Ref& second,
                                 std::ostream& log) {
    const int r1 = i < j ? i : j;
    const int r2 = i < j ? j : i;
    if (r1 < 0 || r2 >= count() || r1 == r2) {
      log << "ERROR: {TISimpleChain::replacePair()} [object with a rank higher than the size of "
             "the chain list: ranks "
          << i << " " << j << ", size " << count() << "]" << std::endl;
      first = kNull;
      second = kNull;
      return false;
    }
    first = items_[static_cast<std::size_t>(r1)];
    items_[static_cast<std::size_t>(r1)] = node;
    second = remove(r2);
    return true;
  }

  // Removes every null entry in one pass, keeping the order of the others (several lineages
  // replaced at once); the number removed. The cursor goes back to the first entry.
  int removeNulls() {
    std::size_t kept = 0;
    for (std::size_t i = 0; i < items_.size(); ++i) {
      if (items_[i] != kNull) items_[kept++] = items_[i];
    }
    const int removed = static_cast<int>(items_.size() - kept);
    items_.resize(kept);
    cursor_ = 0;
    return removed;
  }

  // Removes every entry, keeping the capacity.
  void clear() {
    items_.clear();
    cursor_ = 0;
  }

  const Ref* begin() const { return items_.data(); }
  const Ref* end() const { return items_.data() + items_.size(); }

 private:
  std::vector<Ref> items_;
  int cursor_ = 0;
  bool owns_;
};

}  // namespace orvantis
