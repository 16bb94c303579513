#include "genetics/coalescence_statistics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "coalescent/genetic_parameters.h"
#include "genetics/coalescence_statistics_report.h"
#include "genetics/nexus_files.h"
#include "genetics/sampled_genealogy.h"

namespace orvantis {
namespace {

using testing::coalesce;
using testing::makeTips;
using testing::setData;

class PairStatisticsTest : public ::testing::Test {
 protected:
  // ((1, 2) at step 2, 3) at step 5; genes 1 and 2 in deme 0, gene 3 in deme 1.
  void threeGenes(int rootTime = 5) {
    makeTips(tree, {{0, 0, 0}, {0, 0, 0}, {1, 0, 1}}, 3, 10);
    const TNodeRef a = coalesce(tree, 0, 1, 2, 0, 9);
    coalesce(tree, a, 2, rootTime, 1, 11 - rootTime);
    setData(tree, 0, {0, 1, 2});
    setData(tree, 1, {0, 1, 3});
    setData(tree, 2, {3, 3, 3});
  }

  std::ostringstream log;
  TTree tree{log};
  TPairStatistics statistics;
  const std::vector<int> demes{0, 0, 1};
};

TEST_F(PairStatisticsTest, EachGenealogyAddsItsAveragesOverPairs) {
  ASSERT_EQ(statistics.create(2, log), 1);
  threeGenes();
  ASSERT_EQ(statistics.addGenealogy(tree, demes), 1);
  // Within deme 0 one pair (time 2, one difference); between the demes two pairs (time 5, with
  // 3 and 2 differences); deme 1 has a single gene and no pair.
  EXPECT_EQ(statistics.meanTimes.at(0, 0), 2.0);
  EXPECT_EQ(statistics.meanTimes.at(0, 1), 5.0);
  EXPECT_EQ(statistics.meanTimes.at(1, 1), 0.0);
  EXPECT_EQ(statistics.meanDifferences.at(0, 0), 1.0);
  EXPECT_EQ(statistics.meanDifferences.at(1, 0), 2.5);

  // A second genealogy whose root is older; the final text turns both into means and S.D.s (the
  // between-deme differences, 3 and 2, spread the same in both genealogies).
  threeGenes(9);
  ASSERT_EQ(statistics.addGenealogy(tree, demes), 1);
  TTreeLengthSums sums;
  sums.add(1.5, 4);
  sums.add(3.0, 6);
  std::ostringstream out;
  writeFinalResults(out, {DNA, 0.0, 3, 0.003f, 2, 3}, statistics, sums);
  EXPECT_EQ(out.str(),
            "\nFinal results\n=============\n"
            "\nData type : DNA"
            "\nNo heterogeneity of mutation rates"
            "\nNumber of loci : 3"
            "\nTotal mutation rate per generation : 0.003"
            "\nMutation rate per locus per generation : 0.001"
            "\nMean coalescence times within and among demes over 2 random samples\n"
            "2.0000E+00 7.0000E+00 \n7.0000E+00 0.0000E+00 \n\n"
            "\nS.D. coalescence times within and among demes \n"
            "0.0000E+00 2.8284E+00 \n2.8284E+00 0.0000E+00 \n\n"
            "\nMean number of pairwise differences within and among demes over 2 random samples\n"
            "1.0000E+00 2.5000E+00 \n2.5000E+00 0.0000E+00 \n\n"
            "\nS.D. number of pairwise differences within and among demes \n"
            "0.0000E+00 7.0711E-01 \n7.0711E-01 0.0000E+00 \n\n"
            "\nMean length of the trees (subst. rate per site) : 7.5000E-01 +- 3.53553E-01\n"
            "\nMean length of the trees (total number of mutations) : 5.00000E+00 +- "
            "1.41421E+00\n");
}

TEST_F(PairStatisticsTest, OneSimulationLeavesTheDeviationsAsSumsAndHasNoDeviationOfLengths) {
  ASSERT_EQ(statistics.create(2, log), 1);
  threeGenes();
  ASSERT_EQ(statistics.addGenealogy(tree, demes), 1);
  TTreeLengthSums sums;
  sums.add(1.5, 4);
  std::ostringstream out;
  // Gamma rates: the shape sets the scientific form that the later numbers keep.
  writeFinalResults(out, {DNA, 0.5, 3, 0.003f, 1, 3}, statistics, sums);
  const std::string text = out.str();
  EXPECT_NE(text.find("\nData type : DNA\nHeterogeneity of mutation rates: Gamma value = "
                      "5.00000E-01\nNumber of loci : 3\nTotal mutation rate per generation : "
                      "3.00000E-03\nMutation rate per locus per generation : 1.00000E-03\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("\nS.D. coalescence times within and among demes \n"
                      "4.0000E+00 2.5000E+01 \n2.5000E+01 0.0000E+00 \n\n"),
            std::string::npos);
  const std::string end =
      "\nMean length of the trees (subst. rate per site) : 5.0000E-01"
      "\nMean length of the trees (total number of mutations) : 4.0000E+00";
  EXPECT_EQ(text.substr(text.size() - end.size()), end);
  // The stream's own format comes back after the text.
  out.str("");
  out << 0.25;
  EXPECT_EQ(out.str(), "0.25");
}

TEST_F(PairStatisticsTest, AncientGenesCountFromTheEndAndRecombiningGenealogiesAreRefused) {
  ASSERT_EQ(statistics.create(2, log), 1);
  threeGenes();
  tree.node(2).time = 3;  // an ancient gene: the pair time is still the ancestor's age
  ASSERT_EQ(statistics.addGenealogy(tree, demes), 1);
  EXPECT_EQ(statistics.meanTimes.at(0, 1), 5.0);

  makeTips(tree, {{0, 0, 0}, {0, 0, 0}, {1, 0, 1}}, 2, 10);
  const auto halves = testing::recombine(tree, 0, 0, 1, 0, 10);
  const TNodeRef a = coalesce(tree, halves.first, 1, 2, 0, 9);
  const TNodeRef b = coalesce(tree, halves.second, 2, 3, 0, 8);
  coalesce(tree, a, b, 4, 0, 7);
  EXPECT_EQ(statistics.addGenealogy(tree, demes), 0);
  // An unfinished genealogy and a tip without deme are refused too.
  threeGenes();
  EXPECT_EQ(statistics.addGenealogy(tree, {0, 0, -1}), 0);
  tree.roots[0] = kNoNode;
  EXPECT_EQ(statistics.addGenealogy(tree, demes), 0);
  EXPECT_EQ(statistics.genealogies(), 1);
  EXPECT_EQ(statistics.meanTimes.at(0, 1), 5.0);
}

TEST(TemporalCoalescenceTest, OneGenerationPerCoalescenceAndTheRecombinationNotice) {
  std::ostringstream log;
  TTree tree{log};
  makeTips(tree, std::vector<testing::TipSpec>(4), 1, 100);
  TNodeRef top = 0;
  for (TNodeRef t = 1; t < 4; ++t) top = coalesce(tree, top, t, 3 * t, 0, 101 - 3 * t);
  std::ostringstream out;
  writeTemporalCoalescenceHeading(out);
  writeCoalescenceTimes(out, tree, 2, 3);
  EXPECT_EQ(out.str(), "Coalescence times for every simulations\nSim_2_Chrom_3 98 95 92\n");

  std::ostringstream file;
  writeRecombinationNotice(&file, log);
  writeRecombinationNotice(nullptr, log);
  EXPECT_EQ(file.str(), " No coalescence distribution when recombination occurs!\n");
  EXPECT_EQ(log.str(),
            "WARNING: Recombination occuring, MRCA location map can not be trusted!\n"
            "WARNING: Recombination occuring, MRCA location map can not be trusted!\n");
}

class SampledPairStatisticsTest : public testing::SampledGenealogyTest {};

TEST_F(SampledPairStatisticsTest, TipsTakeThePositionOfTheirDemeInTheInitialList) {
  buildWorld({"1 1 1"});
  for (int c = 0; c < 3; ++c) setSize(0, c, 30);
  auto collection = collectionWith(
      {sampleAt("A", 2, 0, 0, 2), sampleAt("B", 1, 0, 0, 0), sampleAt("C", 2, 0, 0, 2)}, 1);
  std::vector<int> tipDeme;
  tipDemeIndexes(*collection, tipDeme);
  EXPECT_EQ(tipDeme, (std::vector<int>{0, 0, 0, 0, 1}));
}

}  // namespace
}  // namespace orvantis
