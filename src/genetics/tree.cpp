#include "genetics/tree.h"

#include <new>
#include <sstream>

namespace orvantis {

void TTree::setNumLoci(int numLoci) {
  numLoci_ = numLoci > 0 ? numLoci : 0;
  dropNodesFrom(sampleSize_);
  for (TNodeRef tip = 0; tip < sampleSize_; ++tip) {
    resetLineage(tip);
    node(tip).ancestor = kNoNode;
  }
  roots.assign(static_cast<std::size_t>(numLoci_), kNoNode);
  lineagesLeft.assign(static_cast<std::size_t>(numLoci_), sampleSize_);
  open_ = true;
}

int TTree::createTips(int n) {
  dropNodesFrom(0);
  sampleSize_ = 0;
  try {
    nodes_.reserve(2 * static_cast<std::size_t>(n > 0 ? n : 0));
  } catch (const std::bad_alloc&) {
    log() << "TTree::createTips() : unable to allocate memory for " << n << " tips" << std::endl;
    return 0;
  }
  for (int i = 0; i < n; ++i) {
    const TNodeRef tip = createNode();
    if (tip == kNoNode || !create_LocationVector(tip)) {
      dropNodesFrom(0);
      return 0;
    }
  }
  sampleSize_ = n;
  roots.assign(static_cast<std::size_t>(numLoci_), kNoNode);
  lineagesLeft.assign(static_cast<std::size_t>(numLoci_), sampleSize_);
  open_ = true;
  return 1;
}

TNodeRef TTree::createNode() {
  try {
    if (static_cast<std::size_t>(liveNodes_) == nodes_.size()) nodes_.emplace_back();
    nodes_[static_cast<std::size_t>(liveNodes_)].reset(numLoci_);
  } catch (const std::bad_alloc&) {
    log() << "TTree::createNode() : unable to allocate memory" << std::endl;
    return kNoNode;
  }
  TNode& created = nodes_[static_cast<std::size_t>(liveNodes_)];
  created.nodeNo = ++nodeCounter_;
  created.listRank = liveNodes_;
  created.isInternal = kTipNode;
  return liveNodes_++;
}

void TTree::dropNodesFrom(int count) {
  if (count < 0) count = 0;
  for (; liveNodes_ > count; --liveNodes_) {
    if (nodeCounter_ > 0) --nodeCounter_;
  }
}

void TTree::resetToTips(int generation) {
  resetToTips(generation, -1);
}

void TTree::resetToTips(int generation, int population) {
  dropNodesFrom(sampleSize_);
  for (TNodeRef tip = 0; tip < sampleSize_; ++tip) {
    TNode& t = node(tip);
    t.ancestor = kNoNode;
    // A lineage that moved to the other population during the last genealogy starts again
    // from its sample's population.
    t.pop = t.samplePop;
    t.clearLocations();
    (void)t.Store_Node_Migration(t.sampleCell, generation,
                                 population < 0 ? t.samplePop : population, *log_);
  }
  roots.assign(static_cast<std::size_t>(numLoci_), kNoNode);
  lineagesLeft.assign(static_cast<std::size_t>(numLoci_), sampleSize_);
  open_ = true;
}

// Whether node d carries ancestral material of the locus. Counting follows only such children:
// a lineage that recombined has two parents, each carrying its own part of the loci, so along
// one locus every node has one parent and the count is the number of genes below it on that
// locus's genealogy (never more than the sample, however often lineages recombined).
bool TTree::carriesLocus(TNodeRef d, std::size_t locusIndex) const {
  const TNode& child = node(d);
  return locusIndex >= child.inTree.size() || child.inTree[locusIndex] != 0;
}

int TTree::countBelow(TNodeRef root, int locus) {
  const std::size_t locusIndex = static_cast<std::size_t>(locus);
  reached_.assign(static_cast<std::size_t>(root) + 1, 0);
  stack_.clear();
  stack_.push_back(root);
  reached_[static_cast<std::size_t>(root)] = 1;
  while (!stack_.empty()) {
    const TNode& n = node(stack_.back());
    stack_.pop_back();
    for (const TNodeRef d : {n.leftDesc, n.rightDesc}) {
      if (d >= 0 && d < root && carriesLocus(d, locusIndex) &&
          !reached_[static_cast<std::size_t>(d)]) {
        reached_[static_cast<std::size_t>(d)] = 1;
        stack_.push_back(d);
      }
    }
  }
  // Descendants have lower ranks than their parents: one pass in rank order counts them all.
  const auto countOf = [&](TNodeRef d) {
    if (d < 0 || d >= root || !carriesLocus(d, locusIndex)) return 0;
    const TNode& child = node(d);
    return locusIndex < child.numDesc.size() ? child.numDesc[locusIndex] : 0;
  };
  for (TNodeRef r = 0; r <= root; ++r) {
    if (!reached_[static_cast<std::size_t>(r)]) continue;
    TNode& n = node(r);
    if (!n.hasNumDesc() || n.numDesc.size() != static_cast<std::size_t>(numLoci_)) {
      if (!n.reset_numDesc(numLoci_, *log_)) continue;
    }
    n.leftTips = countOf(n.leftDesc);
    n.rightTips = countOf(n.rightDesc);
    const bool hasDescendant = n.leftDesc != kNoNode || n.rightDesc != kNoNode;
    n.numDesc[locusIndex] = n.leftTips + n.rightTips + (hasDescendant ? 0 : 1);
  }
  const TNode& top = node(root);
  return locusIndex < top.numDesc.size() ? top.numDesc[locusIndex] : 0;
}

int TTree::countDescendants(bool perLocus) {
  if (numLoci_ < 1 || roots.size() != static_cast<std::size_t>(numLoci_)) return 0;
  int below = 0;
  const int loci = perLocus ? numLoci_ : 1;
  for (int i = 0; i < loci; ++i) {
    const TNodeRef root = roots[static_cast<std::size_t>(i)];
    if (!isLive(root)) continue;
    const int count = countBelow(root, i);
    if (i == 0) below = count;
  }
  return below;
}

void TTree::setLastLocus(int value) {
  for (TNodeRef tip = 0; tip < sampleSize_; ++tip) node(tip).lastLocus = value;
}

bool TTree::verify(std::string* problem) const {
  std::ostringstream why;
  const auto fail = [&]() {
    if (problem != nullptr) *problem = why.str();
    return false;
  };
  if (sampleSize_ > liveNodes_) {
    why << "sample size " << sampleSize_ << " above the " << liveNodes_ << " live nodes";
    return fail();
  }
  const std::size_t loci = static_cast<std::size_t>(numLoci_);
  for (TNodeRef r = 0; r < liveNodes_; ++r) {
    const TNode& n = node(r);
    why << "node of rank " << r << ": ";
    if (n.listRank != r) {
      why << "listRank " << n.listRank;
      return fail();
    }
    if (n.nodeNo != node(0).nodeNo + r) {
      why << "nodeNo " << n.nodeNo << " out of sequence";
      return fail();
    }
    if (n.inTree.size() != loci) {
      why << n.inTree.size() << " inTree entries for " << numLoci_ << " loci";
      return fail();
    }
    if (n.numLocationSteps() != static_cast<int>(n.locTime.size()) ||
        (n.hasLocPop() && n.locPop.size() != n.locTime.size())) {
      why << "location arrays of different lengths";
      return fail();
    }
    if (n.ancestor != kNoNode && (n.ancestor <= r || n.ancestor >= liveNodes_)) {
      why << "ancestor " << n.ancestor << " is not a later live node";
      return fail();
    }
    for (std::size_t j = 0; j < loci; ++j) {
      if (n.inTree[j] &&
          (static_cast<int>(j) < n.firstLocus || static_cast<int>(j) > n.lastLocus)) {
        why << "carries locus " << j << " outside " << n.firstLocus << ".." << n.lastLocus;
        return fail();
      }
    }
    const bool tipRank = r < sampleSize_;
    if (tipRank != (n.isInternal == kTipNode)) {
      why << "isInternal " << n.isInternal << (tipRank ? " among the tips" : " after the tips");
      return fail();
    }
    const auto validDesc = [&](TNodeRef d) { return d >= 0 && d < r; };
    if (n.isInternal == kTipNode) {
      if (!n.isTip()) {
        why << "a tip with descendants";
        return fail();
      }
    } else if (n.isInternal == kCoalescenceNode) {
      if (!validDesc(n.leftDesc) || !validDesc(n.rightDesc) || n.leftDesc == n.rightDesc) {
        why << "coalescence of " << n.leftDesc << " and " << n.rightDesc;
        return fail();
      }
      const TNode& x = node(n.leftDesc);
      const TNode& y = node(n.rightDesc);
      if (x.ancestor != r || y.ancestor != r) {
        why << "a descendant does not point back to it";
        return fail();
      }
      for (std::size_t j = 0; j < loci; ++j) {
        if ((n.inTree[j] != 0) != (x.inTree[j] || y.inTree[j])) {
          why << "inTree of locus " << j << " is not the or of its descendants'";
          return fail();
        }
      }
      const int first = x.firstLocus < y.firstLocus ? x.firstLocus : y.firstLocus;
      const int last = x.lastLocus > y.lastLocus ? x.lastLocus : y.lastLocus;
      if (n.firstLocus != first || n.lastLocus != last) {
        why << "loci " << n.firstLocus << ".." << n.lastLocus << " instead of " << first << ".."
            << last;
        return fail();
      }
    } else if (n.isInternal == kRecombinationNode) {
      if (!validDesc(n.leftDesc) || n.rightDesc != kNoNode) {
        why << "recombination of " << n.leftDesc << " and " << n.rightDesc;
        return fail();
      }
      const TNode& x = node(n.leftDesc);
      if (x.recAncestorLeft != r && x.recAncestorRight != r) {
        why << "its descendant does not point back to it";
        return fail();
      }
      if (x.recAncestorLeft == r && x.ancestor != r) {
        why << "its descendant's ancestor is " << x.ancestor;
        return fail();
      }
      const bool bothHalves = isLive(x.recAncestorLeft) && isLive(x.recAncestorRight);
      for (std::size_t j = 0; j < loci; ++j) {
        const int split =
            bothHalves ? node(x.recAncestorLeft).inTree[j] + node(x.recAncestorRight).inTree[j]
                       : n.inTree[j];
        if (n.inTree[j] > x.inTree[j] || (bothHalves && split != x.inTree[j])) {
          why << "locus " << j << " is not split between the two halves";
          return fail();
        }
      }
    } else {
      why << "unknown kind " << n.isInternal;
      return fail();
    }
    why.str("");
  }
  if (roots.size() != loci || lineagesLeft.size() != loci) {
    why << roots.size() << " roots and " << lineagesLeft.size() << " lineage counts for "
        << numLoci_ << " loci";
    return fail();
  }
  for (std::size_t j = 0; j < loci; ++j) {
    if (roots[j] != kNoNode) {
      if (!isLive(roots[j])) {
        why << "root of locus " << j << " is not a live node";
        return fail();
      }
      continue;
    }
    int carrying = 0;
    for (TNodeRef r = 0; r < liveNodes_; ++r) {
      const TNode& n = node(r);
      carrying += n.ancestor == kNoNode && n.inTree[j];
    }
    if (carrying != lineagesLeft[j]) {
      why << "locus " << j << ": lineagesLeft " << lineagesLeft[j] << " but " << carrying
          << " lineages carry it";
      return fail();
    }
  }
  return true;
}

}  // namespace orvantis
