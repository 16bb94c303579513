#include "genetics/mutation.h"

#include <gtest/gtest.h>

#include <numeric>
#include <set>
#include <string>
#include <vector>

#include "genetics/locus_data.h"
#include "support/hand_genealogy.h"
#include "support/text_assertions.h"

namespace orvantis {
namespace {

std::string chromosome(const std::vector<std::string>& blocks) {
  std::string text = "1\n#chromosome 1\n" + std::to_string(blocks.size()) + "\n";
  for (const std::string& b : blocks) text += b + "\n";
  return text;
}

class MutationTest : public testing::HandGenealogyTest {
 protected:
  // Two samples of two genes in two cells; the genealogy ((0, 1) at 2, (2, 3) at 3) at 7.
  void fourTips(const std::vector<std::string>& blocks) {
    startRun({sampleAt("s1", 2, 0, 0, 0), sampleAt("s2", 2, 0, 0, 1)}, chromosome(blocks));
    left = coalesce(0, 1, 2);
    right = coalesce(2, 3, 3);
    root = coalesce(left, right, 7);
    expectValidTree();
  }

  int state(TNodeRef node, int locus) {
    return tree().node(node).data[static_cast<std::size_t>(locus)];
  }
  // The tips carrying state 1 at the locus.
  std::set<TNodeRef> derived(int locus) {
    std::set<TNodeRef> tips;
    for (TNodeRef t = 0; t < tree().sampleSize(); ++t) {
      if (state(t, locus) == 1) tips.insert(t);
    }
    return tips;
  }

  TNodeRef left = kNoNode, right = kNoNode, root = kNoNode;
};

TEST_F(MutationTest, WithoutMutationRateEveryNodeKeepsTheRootState) {
  fourTips({"DNA 5 0 0 0.25 0.25 0.25 0.25 1 1 1 1 1 1", "MICROSAT 3 0 0 0 10", "RFLP 2 0 0"});
  seed(11);
  EXPECT_EQ(mutateChromosome(*collection, 10, false), 0);
  EXPECT_EQ(collection->mutation().treeLength(), 0.0);
  for (int i = 0; i < 10; ++i) {
    for (TNodeRef n = 0; n < tree().numNodes(); ++n) {
      EXPECT_EQ(tree().node(n).numSites, 10);
      EXPECT_EQ(state(n, i), state(root, i)) << "node " << n << ", locus " << i;
    }
  }
  for (int i = 5; i < 8; ++i) EXPECT_EQ(state(root, i), 0);  // microsatellites start at 0
}

TEST_F(MutationTest, ABranchOfLengthZeroReceivesNoMutation) {
  startRun({sampleAt("s1", 2, 0, 0, 0), sampleAt("s2", 1, 0, 0, 1)}, chromosome({"RFLP 50 0 0.5"}));
  const TNodeRef twins = coalesce(0, 1, 0);  // tips 0 and 1 meet at once
  root = coalesce(twins, 2, 5);
  seed(3);
  const int total = mutateChromosome(*collection, 50, false);
  const TMutationState& m = collection->mutation();
  EXPECT_DOUBLE_EQ(m.treeLength(), 50 * 0.5 * (5 + 5));
  int differences = 0;
  for (int i = 0; i < 50; ++i) {
    EXPECT_EQ(state(0, i), state(twins, i));
    EXPECT_EQ(state(1, i), state(twins, i));
    differences += state(2, i) != state(twins, i);
  }
  EXPECT_EQ(tree().node(0).numMutations, 0);
  EXPECT_GT(differences, 0);
  const std::vector<int>& hits = m.siteHits();
  EXPECT_EQ(std::accumulate(hits.begin(), hits.begin() + 50, 0), total);
  int hitLoci = 0;
  for (int i = 0; i < 50; ++i) hitLoci += hits[static_cast<std::size_t>(i)] > 0;
  EXPECT_EQ(m.sitesHit(), hitLoci);
}

TEST_F(MutationTest, AllZeroDnaParametersTurnAGCIntoTAndTIntoG) {
  fourTips({"DNA 1 0 0.3"});  // mutation rate only: the ten values are 0
  for (int replicate = 0; replicate < 200; ++replicate) {
    (void)mutateChromosome(*collection, 1, false);
    for (TNodeRef n = 0; n < tree().numNodes(); ++n) {
      if (n == root) continue;
      int expected = state(tree().node(n).ancestor, 0);
      for (int k = 0; k < tree().node(n).numMutations; ++k) {
        expected = expected == kDnaT ? kDnaG : kDnaT;
      }
      ASSERT_EQ(state(n, 0), expected) << "replicate " << replicate << ", node " << n;
    }
  }
}

TEST_F(MutationTest, SnpThatNoBranchCanCarryIsPlacedAnywhereAndPrintsTwo) {
  fourTips({"SNP 3 0 0.9"});  // only the root holds 90 % of the sample
  seed(2);
  (void)mutateChromosome(*collection, 3, false);
  for (int i = 0; i < 3; ++i) {
    const std::set<TNodeRef> d = derived(i);
    EXPECT_FALSE(d.empty()) << "locus " << i;
    for (TNodeRef t = 0; t < 4; ++t) {
      EXPECT_EQ(state(t, i), d.count(t) ? 1 : 2) << "locus " << i << ", tip " << t;
    }
  }
  storeDemeData(*collection);
  const TDeme& deme = *collection->demeAt(cellIndex(0, 0), 0);
  ASSERT_EQ(deme.loci.size(), 1u);
  for (const std::string& gene : deme.loci[0].genes) {
    EXPECT_EQ(gene.size(), 6u);
    EXPECT_NE(gene.find('2'), std::string::npos) << gene;
    EXPECT_EQ(gene.find('0'), std::string::npos) << gene;
  }
}

TEST_F(MutationTest, RecombiningGenealogyMutatesEachLocusOnItsOwnTree) {
  // Lineage 0 splits at step 1: locus 0 goes with gene 1, locus 1 with gene 2.
  startRun({sampleAt("s1", 2, 0, 0, 0), sampleAt("s2", 2, 0, 0, 1)},
           chromosome({"SNP 2 0.01 0.6"}));
  const auto [locus0, locus1] = recombine(0, 0, 1);
  const TNodeRef a = coalesce(locus0, 1, 2);
  const TNodeRef b = coalesce(locus1, 2, 3);
  const TNodeRef c = coalesce(a, 3, 4);
  root = coalesce(c, b, 6);
  expectValidTree();
  ASSERT_EQ(tree().roots, (std::vector<TNodeRef>{root, root}));
  // Locus 0: ((0, 1), 3) holds 3 of 4 genes. Locus 1: (1, 3) and (0, 2) hold 2 of 4 each,
  // below 0.6, so its derived genes are marked against 2.
  seed(4);
  for (int replicate = 0; replicate < 20; ++replicate) {
    (void)mutateChromosome(*collection, 2, true);
    EXPECT_EQ(derived(0), (std::set<TNodeRef>{0, 1, 3}));
    for (TNodeRef t = 0; t < 4; ++t) EXPECT_NE(state(t, 0), 2);
    const std::set<TNodeRef> d = derived(1);
    EXPECT_FALSE(d.empty());
    for (TNodeRef t = 0; t < 4; ++t) EXPECT_EQ(state(t, 1), d.count(t) ? 1 : 2);
  }

  // Poisson mutations follow the same trees: locus 0's branches add up to 18 steps, locus 1's
  // to 19.
  writeParameters(chromosome({"RFLP 2 0.01 0.25"}));
  startChromosome(0);
  {
    const auto [l0, l1] = recombine(0, 0, 1);
    const TNodeRef a2 = coalesce(l0, 1, 2);
    const TNodeRef b2 = coalesce(l1, 2, 3);
    coalesce(coalesce(a2, 3, 4), b2, 6);
  }
  expectValidTree();
  (void)mutateChromosome(*collection, 2, true);
  EXPECT_DOUBLE_EQ(collection->mutation().treeLength(), 0.25 * (18 + 19));
}

TEST_F(MutationTest, ALocusWithoutRootIsSkippedWithALogLine) {
  startRun({sampleAt("s1", 2, 0, 0, 0)}, chromosome({"RFLP 2 0 0.1"}));
  coalesce(0, 1, 4);
  tree().roots[1] = kNoNode;
  (void)mutateChromosome(*collection, 2, false);
  EXPECT_PRED_FORMAT2(testing::textContains, log.str(),
                      "ERROR: {mutateChromosome()} [1 of the 2 loci have no root");
}

TEST_F(MutationTest, GammaShapeZeroChangesNothingAndAPositiveShapeWeightsTheDnaLoci) {
  fourTips({"DNA 30 0 0.05 0.25 0.25 0.25 0.25 1 1 1 1 1 1", "MICROSAT 5 0 0.05 0 0"});
  seed(9);
  const int plain = mutateChromosome(*collection, 35, false);
  const std::vector<int> hits = collection->mutation().siteHits();
  collection->mutation().setGammaParameters(0.0, 4);
  seed(9);
  EXPECT_EQ(mutateChromosome(*collection, 35, false), plain);
  EXPECT_EQ(collection->mutation().siteHits(), hits);
  EXPECT_EQ(collection->mutation().gammaRates().size(), 0);

  collection->mutation().setGammaParameters(0.5, 4);
  (void)mutateChromosome(*collection, 35, false);
  const TGammaRates& rates = collection->mutation().gammaRates();
  ASSERT_EQ(rates.size(), 30);  // the DNA loci only
  double sum = 0.0;
  for (int k = 0; k < 30; ++k) sum += rates.rate(k);
  // The tree length weighs each DNA locus's rate: 19 steps x 0.05 x (sum of the weights), plus
  // the microsatellites at their own rate.
  EXPECT_NEAR(collection->mutation().treeLength(), 19 * static_cast<double>(0.05f) * (sum + 5),
              1e-9);
}

}  // namespace
}  // namespace orvantis
