#include "genetics/mutation.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <new>

#include "genetics/mutation_mutator.h"

namespace orvantis {

int mutateChromosome(TDemeCollection& collection, int numLoci, bool recombining,
                     const TLocusMutated& afterLocus) {
  return TChromosomeMutator(collection, numLoci, recombining, afterLocus).run();
}

TChromosomeMutator::TChromosomeMutator(TDemeCollection& collection, int numLoci, bool recombining,
                                       const TLocusMutated& afterLocus)
    : collection_(collection),
      tree_(collection.tree()),
      parameters_(collection.parameters()),
      state_(collection.mutation()),
      numLoci_(numLoci > 0 ? numLoci : 0),
      recombining_(recombining),
      afterLocus_(afterLocus) {}

void TChromosomeMutator::ensureData(TNode& node) const {
  if (node.data.size() != static_cast<std::size_t>(numLoci_)) {
    node.data.assign(static_cast<std::size_t>(numLoci_), 0);
  }
  node.numSites = numLoci_;
}

bool TChromosomeMutator::prepare() {
  std::ostream& log = collection_.log();
  const int available = std::min(parameters_.numLoci(), tree_.numLoci());
  if (numLoci_ > available) {
    log << " ERROR: {mutateChromosome()} [" << numLoci_ << " loci asked, but the chromosome has "
        << parameters_.numLoci() << " and its genealogy " << tree_.numLoci() << "; only the first "
        << available << " receive mutations]" << std::endl;
    numLoci_ = available;
  }
  const std::size_t n = static_cast<std::size_t>(numLoci_);
  const int numBlocks = parameters_.numBlocks();
  try {
    if (state_.siteHits_.size() < n) state_.siteHits_.resize(n);
    state_.blockOfLocus_.resize(n);
    state_.mutationRates_.resize(n);
    state_.dnaTables_.resize(static_cast<std::size_t>(numBlocks));
  } catch (const std::bad_alloc&) {
    log << " ERROR: {mutateChromosome()} [not enough memory for " << numLoci_ << " loci]"
        << std::endl;
    return false;
  }
  std::fill(state_.siteHits_.begin(), state_.siteHits_.begin() + static_cast<long>(n), 0);
  state_.snpCandidates_.clear();
  state_.snpFallback_.clear();
  state_.treeLength_ = 0.0;
  state_.numLoci_ = numLoci_;

  int dnaLoci = 0;
  for (int b = 0; b < numBlocks; ++b) {
    const int first = parameters_.firstLocusOfBlock(b);
    const int last = std::min(first + parameters_.blockLoci(b), numLoci_);
    for (int i = first; i < last; ++i) state_.blockOfLocus_[static_cast<std::size_t>(i)] = b;
    if (parameters_.block(b).type == DNA) {
      state_.dnaTables_[static_cast<std::size_t>(b)] = dnaMutationTable(parameters_.dna(b));
    }
  }
  for (int i = 0; i < numLoci_; ++i) {
    state_.mutationRates_[static_cast<std::size_t>(i)] = parameters_.mutationRate(i);
    if (parameters_.dataType(i) == DNA) ++dnaLoci;
  }

  // Rate heterogeneity: the k-th DNA locus mutates at its block's rate times relative rate k.
  state_.gammaRates_.clear();
  if (state_.gammaShape_ > 0.0 && dnaLoci > 0) {
    if (!state_.gammaRates_.build(dnaLoci, state_.gammaShape_, state_.gammaCategories_,
                                  collection_.random(), log)) {
      return true;  // without the rates every locus keeps its block's rate
    }
    int k = 0;
    for (int i = 0; i < numLoci_; ++i) {
      if (parameters_.dataType(i) != DNA) continue;
      state_.mutationRates_[static_cast<std::size_t>(i)] *= state_.gammaRates_.rate(k++);
    }
  }
  return true;
}

int TChromosomeMutator::run() {
  if (!prepare()) return 0;
  tree_.countDescendants(recombining_);
  long long total = 0;
  int withoutRoot = 0;
  for (int i = 0; i < numLoci_; ++i) {
    const TNodeRef root = static_cast<std::size_t>(i) < tree_.roots.size()
                              ? tree_.roots[static_cast<std::size_t>(i)]
                              : kNoNode;
    if (!tree_.isLive(root)) {
      ++withoutRoot;
      continue;
    }
    if (parameters_.dataType(i) == SNP) {
      mutateSnp(root, i);
    } else {
      total += dropMutations(root, i);
    }
    if (afterLocus_) afterLocus_(i);
  }
  if (withoutRoot > 0) {
    collection_.log() << " ERROR: {mutateChromosome()} [" << withoutRoot << " of the " << numLoci_
                      << " loci have no root in the genealogy and received no mutation]"
                      << std::endl;
  }
  return total > INT_MAX ? INT_MAX : static_cast<int>(total);
}

long long TChromosomeMutator::dropMutations(TNodeRef root, int locus) {
  const std::size_t i = static_cast<std::size_t>(locus);
  const int type = parameters_.dataType(locus);
  const double mu = state_.mutationRates_[i];
  int& hits = state_.siteHits_[i];
  long long total = 0;
  auto& pending = state_.pending_;
  pending.clear();
  pending.push_back({root, kNoNode});
  // Depth first, node before its left subtree before its right subtree: each branch's Poisson
  // draw comes when its lower node is taken, after the whole subtree on its left.
  while (!pending.empty()) {
    const TMutationState::Pending next = pending.back();
    pending.pop_back();
    TNode& node = tree_.node(next.node);
    ensureData(node);
    int k = 0;
    if (next.parent == kNoNode) {
      if (type == RFLP) {
        node.data[i] = static_cast<int>(std::floor(2.0 * collection_.ran3()));
      } else if (type == DNA) {
        node.data[i] = static_cast<int>(std::floor(4.0 * collection_.ran3()));
      } else {
        node.data[i] = 0;
      }
    } else {
      const TNode& parent = tree_.node(next.parent);
      node.data[i] = parent.data[i];
      const double length = static_cast<double>(parent.time) - static_cast<double>(node.time);
      const double x = length > 0.0 ? length * mu : 0.0;
      state_.treeLength_ += x;
      const float count = collection_.poisson_dev(static_cast<float>(x));
      k = count < static_cast<float>(INT_MAX) ? static_cast<int>(count) : INT_MAX;
    }
    node.numMutations = k;
    for (int m = 0; m < k; ++m) {
      if (hits < INT_MAX) ++hits;
      mutateState(node, locus, type);
    }
    total += k;
    if (carries(node.rightDesc, locus)) pending.push_back({node.rightDesc, next.node});
    if (carries(node.leftDesc, locus)) pending.push_back({node.leftDesc, next.node});
  }
  return total;
}

void TChromosomeMutator::mutateState(TNode& node, int locus, int type) {
  int& state = node.data[static_cast<std::size_t>(locus)];
  switch (type) {
    case RFLP:
      state = mutateRflp(state);
      break;
    case DNA: {
      const int block = state_.blockOfLocus_[static_cast<std::size_t>(locus)];
      const TDnaMutationTable& table = state_.dnaTables_[static_cast<std::size_t>(block)];
      state = mutateDna(state, table, collection_.ran3());
      break;
    }
    case MICROSAT:
      state = mutateMicrosat(state, parameters_.microsatParameter(locus),
                             static_cast<int>(parameters_.rangeConstraint(locus)),
                             [this] { return collection_.ran3(); });
      break;
    default:
      break;
  }
}

}  // namespace orvantis
