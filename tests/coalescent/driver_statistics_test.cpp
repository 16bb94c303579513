// The diversity that whole series of simulations produce, through the real driver, walk and
// mutation models, against the expectations of the coalescent (fixed seeds, 5 standard errors).
//
// In one deme of N haploid individuals two lineages meet with probability 1/N per generation:
// E[T2] = N generations, theta = 2 N mu per locus. For n genes and L sites of DNA, the number of
// segregating sites has expectation theta L a_n (a_n = 1 + 1/2 + ... + 1/(n - 1)) and the mean
// number of pairwise differences theta L; single-step microsatellites differ by a squared number
// of repeats of 2 mu E[T2] on average.

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "driver_fixture.h"

namespace orvantis {
namespace {

using testing::DriverTest;

struct TMeanAndError {
  double mean = 0.0;
  double error = 0.0;  // standard error of the mean
};

TMeanAndError meanAndError(const std::vector<double>& values) {
  const double n = static_cast<double>(values.size());
  double sum = 0.0;
  for (const double v : values) sum += v;
  const double mean = sum / n;
  double squares = 0.0;
  for (const double v : values) squares += (v - mean) * (v - mean);
  return {mean, std::sqrt(squares / (n - 1.0) / n)};
}

// The first `count` rows of the matrix printed after `heading` in the final results.
std::vector<std::vector<double>> matrixAfter(const std::string& results, const std::string& heading,
                                             int count) {
  std::vector<std::vector<double>> rows;
  const std::size_t at = results.find(heading);
  if (at == std::string::npos) return rows;
  std::istringstream lines(results.substr(at + heading.size()));
  for (int r = 0; r < count; ++r) {
    std::string line;
    std::getline(lines, line);
    std::istringstream values(line);
    rows.emplace_back();
    for (double v; values >> v;) rows.back().push_back(v);
  }
  return rows;
}

class DriverStatisticsTest : public DriverTest {};

TEST_F(DriverStatisticsTest, DiversityOfDnaAndMicrosatellitesInAConstantDeme) {
  constexpr int kSize = 1000;
  constexpr int kGenes = 10;
  constexpr int kSimulations = 300;
  constexpr int kSites = 1000;
  constexpr int kRepeats = 10;
  constexpr double kSiteRate = 2e-6;
  constexpr double kRepeatRate = 5e-4;
  keys["NumGeneticSimulations"] = std::to_string(kSimulations);
  oneCellWorld(kSize, 20);
  writeSamples({sampleAt("deme", kGenes, 0, 0, 0)});
  std::ostringstream parameters;
  parameters << "1\n#chromosome 1\n2\nDNA " << kSites << " 0 " << kSiteRate
             << " 0.25 0.25 0.25 0.25 1 1 1 1 1 1\nMICROSAT " << kRepeats << " 0 " << kRepeatRate
             << " 0 0\n";
  writeParameters(parameters.str());
  context.random.initialize_ran3(-20061);
  const TGeneticRunReport report = simulate();
  ASSERT_EQ(report.status, TGeneticRunStatus::Completed) << report.problem;
  ASSERT_EQ(report.completed, kSimulations);

  std::vector<double> segregating;
  std::vector<double> differences;
  std::vector<double> squaredRepeats;
  for (int s = 1; s <= kSimulations; ++s) {
    std::vector<std::string> dna;
    std::vector<std::vector<int>> repeats;
    for (const std::string& gene : DriverTest::geneData(output("_" + std::to_string(s) + ".arp"))) {
      std::istringstream fields(gene);
      dna.emplace_back();
      fields >> dna.back();
      repeats.emplace_back();
      for (int r; fields >> r;) repeats.back().push_back(r);
    }
    ASSERT_EQ(dna.size(), static_cast<std::size_t>(kGenes));
    int sites = 0;
    for (int k = 0; k < kSites; ++k) {
      for (int g = 1; g < kGenes; ++g) {
        if (dna[g][k] != dna[0][k]) {
          ++sites;
          break;
        }
      }
    }
    double pairDifferences = 0.0;
    double pairSquares = 0.0;
    for (int i = 0; i < kGenes; ++i) {
      for (int j = i + 1; j < kGenes; ++j) {
        for (int k = 0; k < kSites; ++k) pairDifferences += dna[i][k] != dna[j][k];
        for (int l = 0; l < kRepeats; ++l) {
          const double d = repeats[i][l] - repeats[j][l];
          pairSquares += d * d;
        }
      }
    }
    const double pairs = kGenes * (kGenes - 1) / 2.0;
    segregating.push_back(sites);
    differences.push_back(pairDifferences / pairs);
    squaredRepeats.push_back(pairSquares / pairs / kRepeats);
  }

  const double theta = 2.0 * kSize * kSiteRate * kSites;
  double harmonic = 0.0;
  for (int i = 1; i < kGenes; ++i) harmonic += 1.0 / i;
  const TMeanAndError s = meanAndError(segregating);
  EXPECT_NEAR(s.mean, theta * harmonic, 5 * s.error);
  const TMeanAndError pi = meanAndError(differences);
  EXPECT_NEAR(pi.mean, theta, 5 * pi.error);
  const TMeanAndError msd = meanAndError(squaredRepeats);
  EXPECT_NEAR(msd.mean, 2.0 * kRepeatRate * kSize, 5 * msd.error);

  // The final results: the mean coalescence time of two genes of the deme is E[T2] = N. Its
  // standard error over genealogies follows from the variance of the mean pairwise coalescence
  // time of n genes, N^2 2 (n^2 + n + 3) / (9 n (n - 1)).
  const auto times = matrixAfter(output("_results.txt"),
                                 "Mean coalescence times within and among demes over " +
                                     std::to_string(kSimulations) + " random samples\n",
                                 1);
  ASSERT_EQ(times.size(), 1u);
  ASSERT_EQ(times[0].size(), 1u);
  const double n = kGenes;
  const double sd = kSize * std::sqrt(2.0 * (n * n + n + 3.0) / (9.0 * n * (n - 1.0)));
  EXPECT_NEAR(times[0][0], kSize, 5 * sd / std::sqrt(static_cast<double>(kSimulations)));
  // And the mean number of pairwise differences over all loci, DNA and microsatellites.
  const auto pairwise = matrixAfter(output("_results.txt"),
                                    "Mean number of pairwise differences within and among demes "
                                    "over " +
                                        std::to_string(kSimulations) + " random samples\n",
                                    1);
  ASSERT_EQ(pairwise.size(), 1u);
  EXPECT_GT(pairwise[0][0], pi.mean);
}

TEST_F(DriverStatisticsTest, GenesOfTwoDemesOfARowCoalesceLaterThanGenesOfOneDeme) {
  // Two demes of 100 exchanging one migrant per generation each way: E[T] within a deme is
  // 2N = 200 generations, between the demes 2N + 1 / (2m) = 250.
  constexpr int kSimulations = 200;
  keys["NumGeneticSimulations"] = std::to_string(kSimulations);
  buildWorld({"1 1"}, 2000);
  setSize(0, 0, 100);
  setSize(0, 1, 100, 0, 1);
  setArrivals(0, 0, FromSide::East, 1, 0, 1);
  setArrivals(0, 1, FromSide::West, 1, 0, 2);
  setArrivals(0, 1, FromSide::West, 100, 0, 1, 1);  // colonised from the source
  addSource("Origin", 0, 0);
  writeSamples({sampleAt("left", 10, 0, 0, 0), sampleAt("right", 10, 0, 0, 1)});
  writeParameters("1\n#chromosome 1\n1\nRFLP 1 0 0.0001\n");
  context.random.initialize_ran3(-4242);
  const TGeneticRunReport report = simulate();
  ASSERT_EQ(report.status, TGeneticRunStatus::Completed) << report.problem;
  const auto times = matrixAfter(output("_results.txt"),
                                 "Mean coalescence times within and among demes over " +
                                     std::to_string(kSimulations) + " random samples\n",
                                 2);
  ASSERT_EQ(times.size(), 2u);
  ASSERT_EQ(times[0].size(), 2u);
  EXPECT_DOUBLE_EQ(times[0][1], times[1][0]);
  EXPECT_GT(times[0][1], times[0][0]);
  EXPECT_GT(times[0][1], times[1][1]);
  // Loosely around the island model's values (the sampled genes' own demes differ only by the
  // sampling).
  EXPECT_NEAR(times[0][0], 200.0, 40.0);
  EXPECT_NEAR(times[0][1], 250.0, 50.0);
}

}  // namespace
}  // namespace orvantis
