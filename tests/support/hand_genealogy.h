#pragma once
// Genealogies built by hand over a real deme collection, for the tests of what is done on a
// finished genealogy (mutations, data strings, project files). A one-row world of three cells
// holds the samples; the test writes the genetic parameters, then links the tips with
// coalescences and recombinations at chosen times, as the backward walk would.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "support/sampled_world.h"

namespace orvantis::testing {

class HandGenealogyTest : public SampledWorldTest {
 protected:
  // The world has one row, so sample lines (sampleAt, row 0) can be made before it is built.
  HandGenealogyTest() { nrows = 1; }

  // The world, the samples (lines made with sampleAt, row 0) and the parameters file; reads the
  // samples and chromosome 0 and creates the tips. 100 individuals live in every cell.
  void startRun(const std::vector<std::string>& samples, const std::string& parameters,
                int numChromosomes = 1, int genotypic = 0) {
    buildWorld({"1 1 1"});
    for (int c = 0; c < 3; ++c) setSize(0, c, 100);
    if (genotypic != 0) setting("GenotypicData", std::to_string(genotypic));
    writeSamples(samples);
    writeParameters(parameters);
    collection = readCollection();
    collection->parameters().setNumChromosomes(numChromosomes);
    ASSERT_EQ(collection->readChromosome(0), 1) << log.str();
    collection->createInitialDemeList();
    collection->tree().setNumLoci(collection->parameters().numLoci());
    ASSERT_EQ(collection->createlineages(), 1) << log.str();
    collection->tree().resetToTips(10);
  }

  // Reads chromosome c (from 0) and resets the genealogy to its tips for it.
  void startChromosome(int c) {
    collection->parameters().clearChromosome();
    ASSERT_EQ(collection->readChromosome(c), 1) << log.str();
    collection->tree().setNumLoci(collection->parameters().numLoci());
    collection->tree().resetToTips(10);
  }

  TTree& tree() { return collection->tree(); }

  // The parent of a and b at step `time`; a locus whose last two lineages meet here gets it as
  // its root.
  TNodeRef coalesce(TNodeRef a, TNodeRef b, int time) {
    TTree& t = tree();
    const TNodeRef p = t.createNode();
    EXPECT_NE(p, kNoNode);
    EXPECT_EQ(t.create_LocationVector(p), 1);
    TNode& n = t.node(p);
    n.isInternal = kCoalescenceNode;
    n.leftDesc = a;
    n.rightDesc = b;
    n.time = time;
    const TNode& x = t.node(a);
    const TNode& y = t.node(b);
    for (std::size_t j = 0; j < n.inTree.size(); ++j) {
      n.inTree[j] = x.inTree[j] || y.inTree[j];
      if (x.inTree[j] && y.inTree[j] && --t.lineagesLeft[j] == 1) t.roots[j] = p;
    }
    n.firstLocus = std::min(x.firstLocus, y.firstLocus);
    n.lastLocus = std::max(x.lastLocus, y.lastLocus);
    for (const TNodeRef d : {a, b}) {
      t.node(d).ancestor = p;
      t.node(d).recAncestorLeft = p;
    }
    EXPECT_EQ(t.Store_Node_Migration(p, 0, 10 - time, 0), 1);
    return p;
  }

  // Splits lineage x at step `time` after locus `breakpoint`: the first node carries the loci up
  // to it, the second those above.
  std::pair<TNodeRef, TNodeRef> recombine(TNodeRef x, int breakpoint, int time) {
    TTree& t = tree();
    const TNodeRef left = t.createNode();
    const TNodeRef right = t.createNode();
    EXPECT_NE(right, kNoNode);
    const int loci = t.numLoci();
    for (const TNodeRef half : {left, right}) {
      EXPECT_EQ(t.create_LocationVector(half), 1);
      TNode& h = t.node(half);
      h.isInternal = kRecombinationNode;
      h.leftDesc = x;
      h.time = time;
      int first = loci, last = -1;
      for (int j = 0; j < loci; ++j) {
        const bool side = half == left ? j <= breakpoint : j > breakpoint;
        h.inTree[static_cast<std::size_t>(j)] =
            side ? t.node(x).inTree[static_cast<std::size_t>(j)] : 0;
        if (h.inTree[static_cast<std::size_t>(j)]) {
          first = std::min(first, j);
          last = std::max(last, j);
        }
      }
      if (last >= 0) {
        h.firstLocus = first;
        h.lastLocus = last;
      }
    }
    TNode& n = t.node(x);
    n.ancestor = left;
    n.recAncestorLeft = left;
    n.recAncestorRight = right;
    return {left, right};
  }

  void expectValidTree() {
    std::string problem;
    EXPECT_TRUE(tree().verify(&problem)) << problem;
  }

  // Restarts the run's generator at a fixed seed, so the draws of a test do not depend on what
  // the world's construction drew.
  void seed(int value) { context.random.initialize_ran3(-value); }

  std::unique_ptr<TDemeCollection> collection;
};

}  // namespace orvantis::testing
