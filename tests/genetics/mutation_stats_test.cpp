// Statistical checks of the microsatellite and SNP models on a fixed genealogy (the DNA models
// are checked through whole runs in the coalescent tests): replicate drops of mutations
// with a fixed seed, means compared with their expectations given the tree within 5 standard
// errors of the replicates.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "genetics/mutation.h"
#include "support/hand_genealogy.h"

namespace orvantis {
namespace {

// Mean and standard error of replicate values.
struct TMeanEstimate {
  double sum = 0.0, squares = 0.0;
  int count = 0;
  void add(double x) {
    sum += x;
    squares += x * x;
    ++count;
  }
  double mean() const { return sum / count; }
  double standardError() const {
    const double m = mean();
    return std::sqrt((squares / count - m * m) / (count - 1));
  }
};

::testing::AssertionResult within5SE(const TMeanEstimate& estimate, double expected) {
  const double distance = std::fabs(estimate.mean() - expected);
  if (estimate.standardError() > 0 && distance <= 5 * estimate.standardError()) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << "mean " << estimate.mean() << " expected " << expected
                                       << " SE " << estimate.standardError();
}

class MutationStatisticsTest : public testing::HandGenealogyTest {
 protected:
  // Six genes: ((0, 1) at 2, 4) at 6 and ((2, 3) at 3, 5) at 8, joined at 15.
  void sixGenes(const std::string& block, int loci) {
    startRun({sampleAt("a", 3, 0, 0, 0), sampleAt("b", 3, 0, 0, 1)},
             "1\n#chromosome 1\n1\n" + block + "\n");
    // Tips 0-2 in cell 0 and 3-5 in cell 1; pair them as the comment says.
    const TNodeRef a = coalesce(0, 1, 2);
    const TNodeRef b = coalesce(2, 3, 3);
    const TNodeRef c = coalesce(a, 4, 6);
    const TNodeRef d = coalesce(b, 5, 8);
    coalesce(c, d, 15);
    expectValidTree();
    numLoci = loci;
    seed(2024);
  }

  // Path length between two contemporary genes: twice the age of their common ancestor.
  double pathLength(TNodeRef x, TNodeRef y) {
    std::vector<TNodeRef> above;
    for (TNodeRef n = x; n != kNoNode; n = tree().node(n).ancestor) above.push_back(n);
    for (TNodeRef n = y; n != kNoNode; n = tree().node(n).ancestor) {
      for (const TNodeRef m : above) {
        if (m == n) return 2.0 * tree().node(n).time;
      }
    }
    return 0.0;
  }
  int state(TNodeRef tip, int locus) {
    return tree().node(tip).data[static_cast<std::size_t>(locus)];
  }

  int numLoci = 0;
  static constexpr int kGenes = 6;
};

TEST_F(MutationStatisticsTest, MicrosatSquaredDifferencesGrowWithTheTimeToTheCommonAncestor) {
  struct Case {
    const char* block;
    double stepSquare;  // mean squared number of steps of one mutation
  };
  // Single steps; geometric steps with g = 0.5: E[m^2] = (1 + g) / (1 - g)^2 = 6.
  for (const Case c :
       {Case{"MICROSAT 40 0 0.01 0 0", 1.0}, Case{"MICROSAT 40 0 0.01 0.5 0", 6.0}}) {
    sixGenes(c.block, 40);
    const double rate = static_cast<float>(0.01);
    double expected = 0.0;
    int pairs = 0;
    for (TNodeRef x = 0; x < kGenes; ++x) {
      for (TNodeRef y = x + 1; y < kGenes; ++y) {
        expected += rate * pathLength(x, y) * c.stepSquare;  // 2 mu T per pair for single steps
        ++pairs;
      }
    }
    expected /= pairs;
    TMeanEstimate squares;
    for (int r = 0; r < 3000; ++r) {
      (void)mutateChromosome(*collection, numLoci, false);
      double sum = 0.0;
      for (TNodeRef x = 0; x < kGenes; ++x) {
        for (TNodeRef y = x + 1; y < kGenes; ++y) {
          for (int i = 0; i < numLoci; ++i) {
            const double d = state(x, i) - state(y, i);
            sum += d * d;
          }
        }
      }
      squares.add(sum / pairs / numLoci);
    }
    EXPECT_TRUE(within5SE(squares, expected)) << c.block;
  }
}

TEST_F(MutationStatisticsTest, SnpBranchIsChosenInProportionToItsLength) {
  sixGenes("SNP 100 0 0.5", 100);
  // Only the two halves of the sample, (0, 1, 4) of length 9 and (2, 3, 5) of length 7, hold
  // half of it: every SNP lies on one of them, the other genes keep state 0.
  const std::vector<int> halfA = {1, 1, 0, 0, 1, 0}, halfB = {0, 0, 1, 1, 0, 1};
  TMeanEstimate first;
  for (int r = 0; r < 100; ++r) {
    EXPECT_EQ(mutateChromosome(*collection, numLoci, false), 0);  // SNPs are not counted
    EXPECT_EQ(collection->mutation().treeLength(), 0.0);
    int onFirst = 0;
    for (int i = 0; i < numLoci; ++i) {
      std::vector<int> states;
      for (TNodeRef t = 0; t < kGenes; ++t) states.push_back(state(t, i));
      ASSERT_TRUE(states == halfA || states == halfB) << "locus " << i;
      onFirst += state(0, i) == 1;
    }
    first.add(static_cast<double>(onFirst) / numLoci);
  }
  EXPECT_TRUE(within5SE(first, 9.0 / 16.0));
}

}  // namespace
}  // namespace orvantis
