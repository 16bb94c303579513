#pragma once
// Genealogies built by hand for the tests of the genetic outputs: tips with their demes and
// places, coalescences and recombinations linked as the backward walk links them (per-locus
// material, lineage counts and roots), location steps, mutation counts and allelic states.

#include <gtest/gtest.h>

#include <algorithm>
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

}  // namespace orvantis::testing
