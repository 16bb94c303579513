#include "genetics/coalescence_statistics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
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

TEST(MeanMatrixTest, ConstructionPrintingMeansAndDeviations) {
  std::ostringstream log;
  TMigrationMatrix m(2, 7, 2.5, log);
  EXPECT_EQ(m.model(), 7);
  std::ostringstream out;
  m.print(out);
  EXPECT_EQ(out.str(), "0.0000E+00 2.5000E+00 \n2.5000E+00 0.0000E+00 \n\n");
  m.at(0, 0) = -1234.5;
  out.str("");
  m.print(out);
  EXPECT_EQ(out.str(), "-1.2345E+03 2.5000E+00 \n2.5000E+00 0.0000E+00 \n\n");
  m.free();
  EXPECT_EQ(m.size(), 0);
  out.str("");
  m.print(out);
  EXPECT_EQ(out.str(), "Matrix contains no data\n\n");

  TMeanMat mean(1, log);
  TMeanMat sd(1, log);
  mean.at(0, 0) = 6.0;  // values 1, 2, 3
  sd.at(0, 0) = 14.0;
  EXPECT_EQ(mean.toMean(0), 0);
  EXPECT_EQ(mean.at(0, 0), 6.0);
  EXPECT_EQ(sd.toSD(1, mean), 0);  // one value: the sums of squares stay
  EXPECT_EQ(sd.at(0, 0), 14.0);
  EXPECT_EQ(mean.toMean(3), 1);
  EXPECT_EQ(mean.at(0, 0), 2.0);
  EXPECT_EQ(sd.toSD(3, mean), 1);
  EXPECT_DOUBLE_EQ(sd.at(0, 0), 1.0);
  EXPECT_EQ(sd.count, 3);
  EXPECT_EQ(log.str(), "");
}

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
  EXPECT_EQ(statistics.meanTimes.at(1, 0), 5.0);
  EXPECT_EQ(statistics.meanTimes.at(1, 1), 0.0);
  EXPECT_EQ(statistics.sdTimes.at(0, 1), 25.0);
  EXPECT_EQ(statistics.meanDifferences.at(0, 0), 1.0);
  EXPECT_EQ(statistics.meanDifferences.at(1, 0), 2.5);
  EXPECT_EQ(statistics.sdDifferences.at(0, 1), 6.5);

  // A second genealogy whose root is older; the final text turns both into means and S.D.s.
  threeGenes(9);
  ASSERT_EQ(statistics.addGenealogy(tree, demes), 1);
  EXPECT_EQ(statistics.genealogies(), 2);
  TTreeLengthSums sums;
  sums.add(1.5, 4);
  sums.add(3.0, 6);
  std::ostringstream out;
  writeFinalResults(out, {DNA, 0.0, 3, 0.003f, 2, 3}, statistics, sums);
  EXPECT_DOUBLE_EQ(statistics.meanTimes.at(0, 1), 7.0);
  EXPECT_DOUBLE_EQ(statistics.sdTimes.at(0, 1), std::sqrt(8.0));
  EXPECT_DOUBLE_EQ(statistics.sdTimes.at(0, 0), 0.0);
  // The differences of the two between-deme pairs (3 and 2) spread the same in both genealogies.
  EXPECT_DOUBLE_EQ(statistics.sdDifferences.at(0, 1), std::sqrt(0.5));
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

TEST_F(PairStatisticsTest, DataTypeNamesAndARunWithoutDemes) {
  const std::pair<int, const char*> names[] = {
      {MICROSAT, "MICROSAT"}, {RFLP, "RFLP"}, {DNA, "DNA"}, {STANDARD, "STANDARD"}, {SNP, "RFLP"}};
  for (const auto& [type, name] : names) {
    TPairStatistics empty;
    ASSERT_EQ(empty.create(0, log), 1);
    std::ostringstream out;
    writeFinalResults(out, {type, 0.0, 0, 0.0f, 1, 0}, empty, TTreeLengthSums());
    EXPECT_NE(out.str().find(std::string("\nData type : ") + name + "\n"), std::string::npos)
        << out.str();
    EXPECT_NE(out.str().find("\nNumber of loci : 0\n"), std::string::npos);
    EXPECT_EQ(out.str().find("per locus per generation"), std::string::npos);
    EXPECT_NE(out.str().find("random samples\nMatrix contains no data\n\n"), std::string::npos);
  }
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
  std::mt19937 rng(7);
  makeTips(tree, std::vector<testing::TipSpec>(12), 1, 100);
  testing::randomGenealogy(tree, 30, 0.0, 1, 100, rng);
  std::ostringstream out;
  writeTemporalCoalescenceHeading(out);
  writeCoalescenceTimes(out, tree, 2, 3);
  std::istringstream lines(out.str());
  std::string heading;
  std::string line;
  std::getline(lines, heading);
  std::getline(lines, line);
  EXPECT_EQ(heading, "Coalescence times for every simulations");
  std::istringstream fields(line);
  std::string name;
  fields >> name;
  EXPECT_EQ(name, "Sim_2_Chrom_3");
  std::vector<int> generations;
  for (int g; fields >> g;) generations.push_back(g);
  ASSERT_EQ(generations.size(), 11u);
  for (std::size_t k = 0; k < generations.size(); ++k) {
    EXPECT_EQ(generations[k], tree.node(static_cast<TNodeRef>(12 + k)).locTime.front());
  }

  std::ostringstream file;
  writeRecombinationNotice(&file, log);
  writeRecombinationNotice(nullptr, log);
  EXPECT_EQ(file.str(), " No coalescence distribution when recombination occurs!\n");
  EXPECT_EQ(log.str(),
            "WARNING: Recombination occuring, MRCA location map can not be trusted!\n"
            "WARNING: Recombination occuring, MRCA location map can not be trusted!\n");
  EXPECT_EQ(temporalCoalescenceFileName("G\\r"), "G\\r.coal");
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

// Mean and standard error of per-genealogy values.
struct Estimate {
  double mean = 0.0;
  double standardError = 0.0;
};
Estimate estimate(const std::vector<double>& values) {
  double sum = 0.0;
  double squares = 0.0;
  for (const double v : values) {
    sum += v;
    squares += v * v;
  }
  const double n = static_cast<double>(values.size());
  const double mean = sum / n;
  return {mean, std::sqrt((squares - n * mean * mean) / (n - 1) / n)};
}

// Wright-Fisher genealogies of a deme of N individuals: two genes pick the same parent with
// probability 1/N per generation, so their coalescence time T has mean N and E[T^2] = 2N^2 - N.
TEST(PairStatisticsStatisticalTest, WithinADemeOfConstantSizeTheMeanTimeIsItsSize) {
  const int size = 50;
  const int genealogies = 400;
  std::ostringstream log;
  TTree tree{log};
  TPairStatistics statistics;
  ASSERT_EQ(statistics.create(1, log), 1);
  std::mt19937 rng(2024);
  std::vector<double> times;
  std::vector<double> squares;
  for (int g = 0; g < genealogies; ++g) {
    makeTips(tree, std::vector<testing::TipSpec>(10), 1, 1000);
    testing::randomGenealogy(tree, size, 0.0, 1, 1000, rng);
    const double time = statistics.meanTimes.at(0, 0);
    const double square = statistics.sdTimes.at(0, 0);
    ASSERT_EQ(statistics.addGenealogy(tree, std::vector<int>(10, 0)), 1);
    times.push_back(statistics.meanTimes.at(0, 0) - time);
    squares.push_back(statistics.sdTimes.at(0, 0) - square);
  }
  const Estimate t = estimate(times);
  const Estimate t2 = estimate(squares);
  EXPECT_LT(std::fabs(t.mean - size), 5 * t.standardError) << t.mean << " +- " << t.standardError;
  EXPECT_LT(std::fabs(t2.mean - (2.0 * size * size - size)), 5 * t2.standardError)
      << t2.mean << " +- " << t2.standardError;
  ASSERT_EQ(statistics.meanTimes.toMean(statistics.genealogies()), 1);
  EXPECT_DOUBLE_EQ(statistics.meanTimes.at(0, 0), t.mean);
}

// Two demes of a row exchanging migrants rarely: genes of different demes must first meet, so
// they coalesce later than genes of one deme.
TEST(PairStatisticsStatisticalTest, BetweenTwoDemesOfARowLaterThanWithinEither) {
  std::ostringstream log;
  TTree tree{log};
  TPairStatistics statistics;
  ASSERT_EQ(statistics.create(2, log), 1);
  std::mt19937 rng(99);
  std::vector<testing::TipSpec> tips;
  std::vector<int> demes;
  for (int i = 0; i < 10; ++i) {
    tips.push_back({i / 5, 0, i / 5});
    demes.push_back(i / 5);
  }
  std::vector<double> differences[2];
  for (int g = 0; g < 300; ++g) {
    makeTips(tree, tips, 1, 5000);
    testing::randomGenealogy(tree, 20, 0.01, 2, 5000, rng);
    const double before[3] = {statistics.meanTimes.at(0, 0), statistics.meanTimes.at(1, 1),
                              statistics.meanTimes.at(0, 1)};
    ASSERT_EQ(statistics.addGenealogy(tree, demes), 1);
    for (int d = 0; d < 2; ++d) {
      differences[d].push_back((statistics.meanTimes.at(0, 1) - before[2]) -
                               (statistics.meanTimes.at(d, d) - before[d]));
    }
  }
  for (int d = 0; d < 2; ++d) {
    const Estimate e = estimate(differences[d]);
    EXPECT_GT(e.mean, 5 * e.standardError) << d << ": " << e.mean << " +- " << e.standardError;
  }
}

}  // namespace
}  // namespace orvantis
