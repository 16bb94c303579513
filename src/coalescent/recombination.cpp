// Recombination between linked loci: going backwards, a lineage splits at a breakpoint into a
// lineage carrying the loci up to the breakpoint and one carrying the loci above it, which then
// move and coalesce on their own.

#include "coalescent/recombination.h"

#include <ostream>

#include "coalescent/deme.h"
#include "coalescent/deme_collection.h"
#include "genetics/tree.h"

namespace orvantis {

double lineageRecombinationRate(const TNode& lineage, const TRecRateArray& rates) {
  double R = 0.0;
  for (int k = lineage.firstLocus; k < lineage.lastLocus; ++k) {
    R += rates[static_cast<std::size_t>(k)];
  }
  return R;
}

int recombinationBreakpoint(const TNode& lineage, const TRecRateArray& rates, double R, double u) {
  double running = 0.0;
  for (int k = lineage.firstLocus; k < lineage.lastLocus; ++k) {
    running += rates[static_cast<std::size_t>(k)] / R;
    if (u <= running) return k;
  }
  // The running sum ends a rounding error below 1: a lineage that recombines always splits.
  return lineage.lastLocus - 1;
}

int splitLineage(TTree& genealogy, TNodeRef x, int b, int E, TNodeRef& left, TNodeRef& right) {
  left = genealogy.createNode();
  if (left == kNoNode) return 0;
  right = genealogy.createNode();
  if (right == kNoNode) return 0;
  (void)genealogy.create_LocationVector(left);
  (void)genealogy.create_LocationVector(right);
  TNode& X = genealogy.node(x);
  TNode& L = genealogy.node(left);
  TNode& Q = genealogy.node(right);
  const int loci = genealogy.numLoci();
  L.firstLocus = X.firstLocus;
  for (int k = b; k >= X.firstLocus; --k) {
    if (X.carries(k)) {
      L.lastLocus = k;
      break;
    }
  }
  Q.lastLocus = X.lastLocus;
  for (int k = b + 1; k <= X.lastLocus; ++k) {
    if (X.carries(k)) {
      Q.firstLocus = k;
      break;
    }
  }
  for (int k = 0; k < loci; ++k) {
    const std::size_t locus = static_cast<std::size_t>(k);
    L.inTree[locus] = k <= b ? X.inTree[locus] : 0;
    Q.inTree[locus] = k <= b ? 0 : X.inTree[locus];
  }
  for (TNode* half : {&L, &Q}) {
    half->time = E;
    half->leftDesc = x;
    half->rightDesc = kNoNode;
    half->isInternal = kRecombinationNode;
  }
  X.ancestor = left;
  X.recAncestorLeft = left;
  X.recAncestorRight = right;
  return 1;
}

int TDeme::recombination_per_lineage(int E, TTree& genealogy) {
  TDemeCollection& c = *collection_;
  if (numLineages < 2) return 0;
  if (size == 0) {
    c.log() << "TDeme::recombination_per_lineage(CoalNode,time,GeneTree,pos) : deme size of "
               "population "
            << demeNumber << " is zero !\n";
    return 0;
  }
  const TRecRateArray& rates = c.parameters().recRates();
  int events = 0;
  // The products appended at the end are visited too and may split again in this step.
  for (int visited = 0; visited < numLineages; ++visited) {
    const TNodeRef x = activeList[visited];
    const double R = lineageRecombinationRate(genealogy.node(x), rates);
    if (c.ran3() >= R) continue;
    const int b = recombinationBreakpoint(genealogy.node(x), rates, R, c.ran3());
    TNodeRef left = kNoNode;
    TNodeRef right = kNoNode;
    if (!splitLineage(genealogy, x, b, E, left, right)) return kWalkFailed;
    activeList.set(visited, left);
    activeList.append(right);
    ++numLineages;
    ++events;
    ++c.totalLineages_;
    ++c.numRecombinations_;
  }
  return events;
}

}  // namespace orvantis
