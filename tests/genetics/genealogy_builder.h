#pragma once
// Genealogies built by hand for the tests of the genetic outputs: tips with their demes and
// places, coalescences and recombinations linked as the backward walk links them (per-locus
// material, lineage counts and roots), location steps, mutation counts and allelic states.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

#include "genetics/tree.h"

namespace orvantis::testing {

struct TipSpec {
  int cell = 0;
  int pop = 0;
  int deme = 0;  // demeNumber
  int time = 0;  // 0 for a contemporary gene
};

// A fresh genealogy of these tips for numLoci loci; each tip records one location step
// (its cell, `generation`, its population).
inline void makeTips(TTree& tree, const std::vector<TipSpec>& tips, int numLoci, int generation,
                     int populations = 1) {
  tree.setNumPopulations(populations);
  tree.setNodeCounter(0);
  tree.setNumLoci(numLoci);
  ASSERT_EQ(tree.createTips(static_cast<int>(tips.size())), 1);
  for (std::size_t i = 0; i < tips.size(); ++i) {
    TNode& t = tree.node(static_cast<TNodeRef>(i));
    t.sampleCell = tips[i].cell;
    t.samplePop = tips[i].pop;
    t.pop = tips[i].pop;
    t.demeNumber = tips[i].deme;
    t.time = tips[i].time;
  }
  tree.resetToTips(generation);
}

// The parent of a and b created at step `time`, recorded at (cell, generation, pop), as the walk
// creates it: material of either descendant, lineage counts and roots of the loci both carry.
inline TNodeRef coalesce(TTree& tree, TNodeRef a, TNodeRef b, int time, int cell, int generation,
                         int pop = 0, int deme = 0) {
  const TNodeRef p = tree.createNode();
  EXPECT_NE(p, kNoNode);
  EXPECT_EQ(tree.create_LocationVector(p), 1);
  TNode& n = tree.node(p);
  n.isInternal = kCoalescenceNode;
  n.leftDesc = a;
  n.rightDesc = b;
  n.time = time;
  if (tree.twoPopulations()) n.pop = pop;
  for (std::size_t j = 0; j < n.inTree.size(); ++j) {
    const bool x = tree.node(a).inTree[j] != 0;
    const bool y = tree.node(b).inTree[j] != 0;
    n.inTree[j] = x || y;
    if (x && y && --tree.lineagesLeft[j] == 1) {
      tree.roots[j] = p;
      n.demeNumber = deme;
    }
  }
  n.firstLocus = std::min(tree.node(a).firstLocus, tree.node(b).firstLocus);
  n.lastLocus = std::max(tree.node(a).lastLocus, tree.node(b).lastLocus);
  for (const TNodeRef d : {a, b}) {
    tree.node(d).ancestor = p;
    tree.node(d).recAncestorLeft = p;
    tree.node(d).recAncestorRight = kNoNode;
  }
  EXPECT_EQ(tree.Store_Node_Migration(p, cell, generation, pop), 1);
  return p;
}

// The two halves of lineage x recombining at step `time` after locus `breakpoint`: loci up to it
// go to the first half, the others to the second.
inline std::pair<TNodeRef, TNodeRef> recombine(TTree& tree, TNodeRef x, int breakpoint, int time,
                                               int cell, int generation) {
  const TNodeRef first = tree.createNode();
  const TNodeRef second = tree.createNode();
  EXPECT_EQ(tree.create_LocationVector(first), 1);
  EXPECT_EQ(tree.create_LocationVector(second), 1);
  const std::vector<char> material = tree.node(x).inTree;
  const int loci = static_cast<int>(material.size());
  for (const TNodeRef h : {first, second}) {
    TNode& n = tree.node(h);
    n.isInternal = kRecombinationNode;
    n.leftDesc = x;
    n.time = time;
    n.firstLocus = loci;
    n.lastLocus = -1;
    for (int j = 0; j < loci; ++j) {
      const bool mine = (h == first) == (j <= breakpoint);
      n.inTree[static_cast<std::size_t>(j)] = mine ? material[static_cast<std::size_t>(j)] : 0;
      if (n.inTree[static_cast<std::size_t>(j)]) {
        n.firstLocus = std::min(n.firstLocus, j);
        n.lastLocus = std::max(n.lastLocus, j);
      }
    }
    EXPECT_EQ(tree.Store_Node_Migration(h, cell, generation, 0), 1);
  }
  TNode& lineage = tree.node(x);
  lineage.ancestor = first;
  lineage.recAncestorLeft = first;
  lineage.recAncestorRight = second;
  return {first, second};
}

inline void setData(TTree& tree, TNodeRef ref, const std::vector<int>& states) {
  TNode& n = tree.node(ref);
  n.data = states;
  n.numSites = static_cast<int>(states.size());
}

// A Wright-Fisher genealogy of the tips already made (all contemporary, at `endTime`), demes of
// `size` individuals placed in cells 0, 1, ... by the tips' demeNumber: every step back each
// lineage moves to a neighbouring deme of the row with probability `migration`, then the lineages
// of a deme that pick the same parent among `size` merge. Node times are the step counter E
// (1 in the first step) and location generations endTime + 1 - E.
inline void randomGenealogy(TTree& tree, int size, double migration, int numDemes, int endTime,
                            std::mt19937& rng) {
  struct Lineage {
    TNodeRef node;
    int deme;
  };
  std::vector<Lineage> lineages;
  for (TNodeRef t = 0; t < tree.sampleSize(); ++t) lineages.push_back({t, tree.node(t).demeNumber});
  const auto uniform = [&rng]() { return static_cast<double>(rng()) / 4294967296.0; };
  std::vector<std::pair<int, std::size_t>> parents;
  for (int e = 1; lineages.size() > 1; ++e) {
    for (Lineage& l : lineages) {
      if (numDemes > 1 && uniform() < migration) {
        const int step = l.deme == 0 ? 1 : l.deme == numDemes - 1 ? -1 : (uniform() < 0.5 ? -1 : 1);
        l.deme += step;
      }
    }
    parents.clear();
    for (std::size_t i = 0; i < lineages.size(); ++i) {
      parents.push_back(
          {lineages[i].deme * size + static_cast<int>(rng() % static_cast<std::uint32_t>(size)),
           i});
    }
    std::sort(parents.begin(), parents.end());
    std::vector<char> gone(lineages.size(), 0);
    for (std::size_t k = 1; k < parents.size(); ++k) {
      if (parents[k].first != parents[k - 1].first) continue;
      // Merge into the lineage of pair k, which stands for the parent from now on.
      Lineage& survivor = lineages[parents[k].second];
      Lineage& other = lineages[parents[k - 1].second];
      survivor.node = coalesce(tree, survivor.node, other.node, e, survivor.deme, endTime + 1 - e,
                               0, survivor.deme);
      gone[parents[k - 1].second] = 1;
    }
    std::vector<Lineage> kept;
    for (std::size_t i = 0; i < lineages.size(); ++i) {
      if (!gone[i]) kept.push_back(lineages[i]);
    }
    lineages.swap(kept);
  }
}

}  // namespace orvantis::testing
