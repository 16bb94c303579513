#include "genetics/coalescence_statistics.h"

#include <algorithm>
#include <new>
#include <utility>

#include "coalescent/deme_collection.h"

namespace orvantis {

void tipDemeIndexes(const TDemeCollection& collection, std::vector<int>& tipDeme) {
  const TTree& tree = collection.tree();
  tipDeme.assign(static_cast<std::size_t>(tree.sampleSize()), -1);
  const std::vector<TDemeSlot>& demes = collection.initialDemes();
  for (int i = 0; i < collection.numSampleDemes(); ++i) {
    const TDeme* deme = collection.demeAt(demes[static_cast<std::size_t>(i)]);
    if (deme == nullptr) continue;
    for (const TNodeRef tip : deme->sampleNodes) {
      if (tip >= 0 && tip < tree.sampleSize()) tipDeme[static_cast<std::size_t>(tip)] = i;
    }
  }
}

int TPairStatistics::create(int numDemes, std::ostream& log) {
  numDemes_ = numDemes > 0 ? numDemes : 0;
  genealogies_ = 0;
  meanTimes = TMeanMat(numDemes_, log);
  sdTimes = TMeanMat(numDemes_, log);
  meanDifferences = TMeanMat(numDemes_, log);
  sdDifferences = TMeanMat(numDemes_, log);
  try {
    sums_.assign(static_cast<std::size_t>(numDemes_) * static_cast<std::size_t>(numDemes_),
                 TPairSums());
  } catch (const std::bad_alloc&) {
    sums_.clear();
    log << "TMigrationMatrix::allocate_matrix(): memory error !" << std::endl;
    numDemes_ = 0;
    return 0;
  }
  if (meanTimes.size() != numDemes_ || sdTimes.size() != numDemes_ ||
      meanDifferences.size() != numDemes_ || sdDifferences.size() != numDemes_) {
    numDemes_ = 0;
    return 0;
  }
  return 1;
}

// Lays the tips out so that the tips below every node of the tree form one run of tipOrder_,
// the left side's run followed by the right side's. Descendants have lower ranks than their
// ancestors, so one pass upwards counts and one pass downwards places.
bool TPairStatistics::orderTips(const TTree& tree) {
  const int n = tree.sampleSize();
  if (tree.roots.empty()) return false;
  const TNodeRef root = tree.roots[0];
  if (n < 1 || !tree.isLive(root)) return false;
  const std::size_t count = static_cast<std::size_t>(root) + 1;
  below_.assign(count, 0);
  firstTip_.assign(count, 0);
  reached_.assign(count, 0);
  tipOrder_.assign(static_cast<std::size_t>(n), kNoNode);
  reached_[static_cast<std::size_t>(root)] = 1;
  for (TNodeRef r = root; r >= 0; --r) {
    if (!reached_[static_cast<std::size_t>(r)]) continue;
    const TNode& v = tree.node(r);
    if (v.isTip()) {
      if (r >= n) return false;
      continue;
    }
    if (r < n || v.leftDesc == kNoNode || v.rightDesc == kNoNode || v.leftDesc >= r ||
        v.rightDesc >= r || v.leftDesc < 0 || v.rightDesc < 0) {
      return false;  // a recombination half or a broken link: not a binary tree
    }
    reached_[static_cast<std::size_t>(v.leftDesc)] = 1;
    reached_[static_cast<std::size_t>(v.rightDesc)] = 1;
  }
  for (TNodeRef r = 0; r <= root; ++r) {
    if (!reached_[static_cast<std::size_t>(r)]) continue;
    const TNode& v = tree.node(r);
    below_[static_cast<std::size_t>(r)] = v.isTip()
                                              ? 1
                                              : below_[static_cast<std::size_t>(v.leftDesc)] +
                                                    below_[static_cast<std::size_t>(v.rightDesc)];
  }
  if (below_[static_cast<std::size_t>(root)] != n) return false;  // a tip outside the tree
  for (TNodeRef r = root; r >= 0; --r) {
    if (!reached_[static_cast<std::size_t>(r)]) continue;
    const TNode& v = tree.node(r);
    const int first = firstTip_[static_cast<std::size_t>(r)];
    if (v.isTip()) {
      tipOrder_[static_cast<std::size_t>(first)] = r;
      continue;
    }
    firstTip_[static_cast<std::size_t>(v.leftDesc)] = first;
    firstTip_[static_cast<std::size_t>(v.rightDesc)] =
        first + below_[static_cast<std::size_t>(v.leftDesc)];
  }
  return true;
}

int TPairStatistics::addGenealogy(const TTree& tree, const std::vector<int>& tipDeme) {
  if (numDemes_ < 1 || !orderTips(tree)) return 0;
  const int n = tree.sampleSize();
  if (tipDeme.size() < static_cast<std::size_t>(n)) return 0;
  for (int t = 0; t < n; ++t) {
    const int d = tipDeme[static_cast<std::size_t>(t)];
    if (d < 0 || d >= numDemes_) return 0;
  }
  std::fill(sums_.begin(), sums_.end(), TPairSums());
  const std::size_t demes = static_cast<std::size_t>(numDemes_);
  const TNodeRef root = tree.roots[0];
  for (TNodeRef r = n; r <= root; ++r) {
    if (!reached_[static_cast<std::size_t>(r)]) continue;
    const TNode& v = tree.node(r);
    const double time = v.time;
    const int leftFirst = firstTip_[static_cast<std::size_t>(v.leftDesc)];
    const int leftEnd = leftFirst + below_[static_cast<std::size_t>(v.leftDesc)];
    const int rightFirst = firstTip_[static_cast<std::size_t>(v.rightDesc)];
    const int rightEnd = rightFirst + below_[static_cast<std::size_t>(v.rightDesc)];
    // Every pair with one gene on each side has this node as its most recent common ancestor.
    for (int a = leftFirst; a < leftEnd; ++a) {
      const TNodeRef xr = tipOrder_[static_cast<std::size_t>(a)];
      const TNode& x = tree.node(xr);
      const std::size_t i = static_cast<std::size_t>(tipDeme[static_cast<std::size_t>(xr)]);
      for (int b = rightFirst; b < rightEnd; ++b) {
        const TNodeRef yr = tipOrder_[static_cast<std::size_t>(b)];
        const TNode& y = tree.node(yr);
        const std::size_t j = static_cast<std::size_t>(tipDeme[static_cast<std::size_t>(yr)]);
        const int loci = std::min({x.numSites, y.numSites, static_cast<int>(x.data.size()),
                                   static_cast<int>(y.data.size())});
        const int* px = x.data.data();
        const int* py = y.data.data();
        int differences = 0;
        for (int l = 0; l < loci; ++l) differences += px[l] != py[l];
        TPairSums& s = sums_[std::min(i, j) * demes + std::max(i, j)];
        s.time += time;
        s.timeSquares += time * time;
        s.differences += differences;
        s.differenceSquares += static_cast<double>(differences) * differences;
        ++s.pairs;
      }
    }
  }
  for (int i = 0; i < numDemes_; ++i) {
    for (int j = i; j < numDemes_; ++j) {
      const TPairSums& s = sums_[static_cast<std::size_t>(i) * demes + static_cast<std::size_t>(j)];
      if (s.pairs == 0) continue;
      const double pairs = static_cast<double>(s.pairs);
      const double values[4] = {s.time / pairs, s.timeSquares / pairs, s.differences / pairs,
                                s.differenceSquares / pairs};
      TMeanMat* matrices[4] = {&meanTimes, &sdTimes, &meanDifferences, &sdDifferences};
      for (int k = 0; k < 4; ++k) {
        matrices[k]->at(i, j) += values[k];
        if (i != j) matrices[k]->at(j, i) += values[k];
      }
    }
  }
  ++genealogies_;
  return 1;
}

int TPairStatistics::merge(const TPairStatistics& other) {
  if (other.numDemes_ != numDemes_) return 0;
  const std::pair<TMeanMat*, const TMeanMat*> matrices[4] = {
      {&meanTimes, &other.meanTimes},
      {&sdTimes, &other.sdTimes},
      {&meanDifferences, &other.meanDifferences},
      {&sdDifferences, &other.sdDifferences}};
  for (const auto& [into, from] : matrices) {
    for (int i = 0; i < numDemes_; ++i) {
      for (int j = 0; j < numDemes_; ++j) into->at(i, j) += from->at(i, j);
    }
  }
  genealogies_ += other.genealogies_;
  return 1;
}

}  // namespace orvantis
