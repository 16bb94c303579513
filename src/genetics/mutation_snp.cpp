// SNP loci: exactly one mutation, on a branch chosen with probability proportional to its
// length among the branches whose subtree holds at least the block's minimum frequency of the
// sample. When no branch can (every such branch has length 0), the branch is chosen among all
// branches and the genes that do not carry it are marked 2 instead of 0.

#include "genetics/mutation_mutator.h"

namespace orvantis {

TNodeRef TChromosomeMutator::reachCoalescence(TNodeRef from, int locus) const {
  TNodeRef c = from;
  // Descendants have lower ranks, so the passage ends; the bound only guards a damaged store.
  for (int steps = tree_.numNodes(); c != kNoNode && steps > 0; --steps) {
    const TNode& n = tree_.node(c);
    const bool none = n.leftDesc == kNoNode && n.rightDesc == kNoNode;
    const bool both = n.leftDesc != kNoNode && n.rightDesc != kNoNode;
    if (none) return c;
    if (n.carries(locus) && both && carries(n.leftDesc, locus) && carries(n.rightDesc, locus)) {
      return c;
    }
    if (both) {
      c = carries(n.leftDesc, locus) ? n.leftDesc : n.rightDesc;
    } else {
      c = n.leftDesc != kNoNode ? n.leftDesc : n.rightDesc;
    }
  }
  return c;
}

void TChromosomeMutator::walkLocus(TNodeRef root, int locus) {
  auto& walk = state_.walk_;
  auto& stack = state_.walkStack_;
  walk.clear();
  stack.clear();
  stack.push_back({reachCoalescence(root, locus), -1});
  while (!stack.empty()) {
    const TLocusWalkEntry entry = stack.back();
    stack.pop_back();
    const int index = static_cast<int>(walk.size());
    walk.push_back(entry);
    const TNode& n = tree_.node(entry.node);
    if (n.leftDesc != kNoNode && n.rightDesc != kNoNode) {
      stack.push_back({reachCoalescence(n.rightDesc, locus), index});
      stack.push_back({reachCoalescence(n.leftDesc, locus), index});
    }
  }
  // Sampled genes below each reached node, counted on the genealogy of this locus only (a gene
  // whose lineage does not carry the locus there is not counted).
  auto& counts = state_.walkCounts_;
  counts.assign(walk.size(), 0);
  for (std::size_t e = walk.size(); e-- > 0;) {
    if (counts[e] == 0) counts[e] = 1;  // a gene: nothing below it
    const int parent = walk[e].parent;
    if (parent >= 0) counts[static_cast<std::size_t>(parent)] += counts[e];
  }
}

void TChromosomeMutator::buildCandidates(TSnpCandidates& cache, double threshold) {
  cache.nodes.clear();
  cache.probabilities.clear();
  const auto& walk = state_.walk_;
  const double n = tree_.sampleSize();
  double sum = 0.0;
  for (std::size_t e = 0; e < walk.size() && n > 0; ++e) {
    if (static_cast<double>(state_.walkCounts_[e]) / n < threshold) continue;
    const TNode& node = tree_.node(walk[e].node);
    const int parent = walk[e].parent;
    // Measured from the node the walk came from, so passed-through nodes do not cut branches.
    const double length =
        parent < 0 ? 0.0
                   : static_cast<double>(
                         tree_.node(walk[static_cast<std::size_t>(parent)].node).time - node.time);
    cache.nodes.push_back(walk[e].node);
    cache.probabilities.push_back(length);
    sum += length;
  }
  if (sum != 0.0) {
    for (double& p : cache.probabilities) p /= sum;
  }
  cache.built = true;
  cache.threshold = threshold;
}

TNodeRef TChromosomeMutator::chooseBranch(const TSnpCandidates& cache) {
  const double u = collection_.ran3();
  double running = 0.0;
  TNodeRef lastPossible = kNoNode;
  for (std::size_t k = 0; k < cache.nodes.size(); ++k) {
    const double p = cache.probabilities[k];
    // A branch of length 0 cannot carry the mutation, even for u = 0.
    if (!(p > 0.0)) continue;
    running += p;
    lastPossible = cache.nodes[k];
    if (running >= u) return cache.nodes[k];
  }
  // Rounding may leave the sum of the probabilities a hair below u.
  return lastPossible;
}

void TChromosomeMutator::assignSnpStates(int locus, int ancestral, TNodeRef chosen) {
  const auto& walk = state_.walk_;
  auto& states = state_.walkStates_;
  states.resize(walk.size());
  const std::size_t i = static_cast<std::size_t>(locus);
  for (std::size_t e = 0; e < walk.size(); ++e) {
    const int parent = walk[e].parent;
    int s = ancestral;
    if (parent >= 0) s = walk[e].node == chosen ? 1 : states[static_cast<std::size_t>(parent)];
    states[e] = s;
    TNode& node = tree_.node(walk[e].node);
    ensureData(node);
    node.data[i] = s;
  }
  // The locus's mutation counts: its one mutation on the chosen branch, none on any other (nor
  // on the nodes that its branches pass through), so its mutation tree shows this locus.
  for (TNodeRef r = 0; r < tree_.numNodes(); ++r) tree_.node(r).numMutations = 0;
  if (tree_.isLive(chosen)) tree_.node(chosen).numMutations = 1;
}

void TChromosomeMutator::mutateSnp(TNodeRef root, int locus) {
  const int block = state_.blockOfLocus_[static_cast<std::size_t>(locus)];
  const double f = parameters_.snpMinFrequency(block);
  walkLocus(root, locus);
  // Without recombination every locus shares the genealogy, so candidates built for the same
  // threshold serve every SNP locus of the chromosome; with it each locus has its own.
  TSnpCandidates& candidates = state_.snpCandidates_;
  if (recombining_ || !candidates.built || candidates.threshold != f) {
    buildCandidates(candidates, f);
  }
  int ancestral = 0;
  TNodeRef chosen = chooseBranch(candidates);
  if (chosen == kNoNode) {
    TSnpCandidates& all = state_.snpFallback_;
    if (recombining_ || !all.built) buildCandidates(all, 0.0);
    chosen = chooseBranch(all);
    ancestral = 2;
  }
  assignSnpStates(locus, ancestral, chosen);
}

}  // namespace orvantis
