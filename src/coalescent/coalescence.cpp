// Coalescence within a deme for one generation step, and the creation of parent nodes.
//
// A deme whose expected number of coalescences n(n - 1)/2 / size is below 1 lets at most one
// pair coalesce; above it every lineage draws its parent among the `size` individuals and
// lineages that drew the same parent merge. Both replace the coalescing lineages in the active
// list by their parent at the position of the first of them.

#include <algorithm>
#include <ostream>

#include "coalescent/deme.h"
#include "coalescent/deme_collection.h"

namespace orvantis {

namespace {

// Redraws of the second position of a coalescing pair before the step gives up.
constexpr int kMaxPairRedraws = 50;

}  // namespace

void TDeme::updateSize() {
  const TDemeCollection& c = *collection_;
  if (gatheredSize >= 0 && c.walkTime() <= 0) {
    setSize(gatheredSize);
    return;
  }
  setSize(c.currentView().get_N(cellIndex, popIndex));
}

int TDeme::coalesce(int E, int d) {
  const int n = numLineages;
  if (n < 2) return 0;
  const float expected = static_cast<float>(n) * static_cast<float>(n - 1) / 2.0f * inverseSize;
  TTree& genealogy = collection_->tree();
  return expected >= 1.0f ? coalesce_curNumLineages(E, d, genealogy)
                          : coalesce_lineages(E, d, genealogy);
}

bool TDeme::canCoalesce() {
  if (numLineages < 2) return false;
  if (size == 0) {
    collection_->log() << "TDeme::coalesce_curNumLineages() : deme size of population "
                       << demeNumber << " is zero !\n";
    return false;
  }
  return true;
}

int TDeme::coalesce_lineages(int E, int d, TTree& genealogy) {
  (void)genealogy;
  TDemeCollection& c = *collection_;
  if (!canCoalesce()) return 0;
  const int n = numLineages;
  const float P = inverseSize * 0.5f * static_cast<float>(n) * static_cast<float>(n - 1);
  if (P == 0.0f) return 0;
  if (c.ran3() > P) return 0;
  const int a = static_cast<int>(c.ran3() * n);
  int b = static_cast<int>(c.ran3() * n);
  for (int redraws = 0; b == a; ++redraws) {
    if (redraws == kMaxPairRedraws) return 0;
    b = static_cast<int>(c.ran3() * n);
  }
  return coalescePair(a, b, E, d);
}

int TDeme::coalescePair(int a, int b, int E, int d) {
  TDemeCollection& c = *collection_;
  const int first = a < b ? a : b;
  const int second = a < b ? b : a;
  const TNodeRef parent = c.createParent(*this, activeList[first], activeList[second], E, d, true);
  if (parent == kNoNode) return kWalkFailed;
  TNodeRef x = kNoNode;
  TNodeRef y = kNoNode;
  if (!activeList.replacePair(first, second, parent, x, y, c.log())) return kWalkFailed;
  --numLineages;
  return 1;
}

int TDeme::coalesce_curNumLineages(int E, int d, TTree& genealogy) {
  (void)genealogy;
  TDemeCollection& c = *collection_;
  if (!canCoalesce()) return 0;
  const int n = numLineages;
  DescNodeVect& pairs = c.descScratch_;
  pairs.clear();
  for (int j = 0; j < n; ++j) {
    pairs.push_back(TDescNode{static_cast<int>(c.ran3() * size), activeList[j], j});
  }
  // Equal parents in the order of the active list: the same merges on every platform.
  std::sort(pairs.begin(), pairs.end(), [](const TDescNode& l, const TDescNode& r) {
    return l.parent < r.parent || (l.parent == r.parent && l.position < r.position);
  });
  int merges = 0;
  for (int i = 1; i < n; ++i) {
    TDescNode& current = pairs[static_cast<std::size_t>(i)];
    const TDescNode& previous = pairs[static_cast<std::size_t>(i - 1)];
    if (current.parent != previous.parent) continue;
    const TNodeRef parent = c.createParent(*this, current.node, previous.node, E, d, true);
    if (parent == kNoNode) return kWalkFailed;
    // The group's first position in the active list keeps its latest parent; the merged
    // lineage's place is emptied and the list closed up once all merges are made.
    activeList.set(previous.position, parent);
    activeList.set(current.position, kNoNode);
    current.node = parent;
    current.position = previous.position;
    ++merges;
  }
  if (merges > 0) {
    activeList.removeNulls();
    numLineages -= merges;
  }
  return merges;
}

TNodeRef TDemeCollection::createParent(const TDeme& deme, TNodeRef x, TNodeRef y, int E, int d,
                                       bool bookkeeping) {
  const TNodeRef parent = tree_.createNode();
  if (parent == kNoNode) return kNoNode;
  (void)tree_.create_LocationVector(parent);
  TNode& p = tree_.node(parent);
  TNode& nx = tree_.node(x);
  TNode& ny = tree_.node(y);
  p.isInternal = kCoalescenceNode;
  p.leftDesc = x;
  p.rightDesc = y;
  p.time = E;
  if (numPopulations_ == 2) p.pop = deme.popIndex;
  nx.ancestor = parent;
  ny.ancestor = parent;
  nx.recAncestorLeft = parent;
  ny.recAncestorLeft = parent;
  nx.recAncestorRight = kNoNode;
  ny.recAncestorRight = kNoNode;
  (void)p.Store_Node_Migration(deme.cellIndex, d, deme.popIndex, log_);
  const int loci = tree_.numLoci();
  for (int j = 0; j < loci; ++j) {
    const std::size_t locus = static_cast<std::size_t>(j);
    const char inX = nx.inTree[locus];
    const char inY = ny.inTree[locus];
    p.inTree[locus] = (inX || inY) ? 1 : 0;
    if (bookkeeping && inX && inY) {
      --remainingLineageLoci_;
      if (--tree_.lineagesLeft[locus] == 1) {
        tree_.roots[locus] = parent;
        p.demeNumber = deme.demeNumber;
      }
    }
  }
  p.firstLocus = std::min(nx.firstLocus, ny.firstLocus);
  p.lastLocus = std::max(nx.lastLocus, ny.lastLocus);
  ++numCoalescences_;
  --totalLineages_;
  const std::size_t cellSlot = static_cast<std::size_t>(deme.cellIndex);
  if (cellSlot < coalescencesThisGenealogy_.size()) {
    ++coalescencesThisGenealogy_[cellSlot];
    ++coalescencesCumulated_[cellSlot];
  }
  return parent;
}

}  // namespace orvantis
