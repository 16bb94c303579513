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
#include <cstdlib>
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
  double sum = 0.0, squares = 0.0;
  for (const double v : values) sum += v;
  for (const double v : values) squares += (v - sum / n) * (v - sum / n);
  return {sum / n, std::sqrt(squares / (n - 1.0) / n)};
}

// The first `count` rows of the matrix printed after `heading` in the final results.
std::vector<std::vector<double>> matrixAfter(const std::string& results, const std::string& heading,
                                             int count) {
  std::vector<std::vector<double>> rows;
  const std::size_t at = results.find(heading);
  if (at == std::string::npos) return rows;
  std::istringstream lines(results.substr(at + heading.size()));
  for (std::string line; static_cast<int>(rows.size()) < count && std::getline(lines, line);) {
    std::istringstream values(line);
    rows.emplace_back();
    for (double v; values >> v;) rows.back().push_back(v);
  }
  return rows;
}

// One column of the summary statistics file, a value per simulation.
std::vector<double> column(const std::string& table, const std::string& name) {
  std::istringstream lines(table);
  std::string line;
  std::getline(lines, line);
  std::istringstream header(line);
  int index = 0;
  for (std::string field; std::getline(header, field, '\t') && field != name;) ++index;
  std::vector<double> values;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string field;
    for (int i = 0; i <= index; ++i) std::getline(fields, field, '\t');
    values.push_back(std::atof(field.c_str()));
  }
  return values;
}

class DriverStatisticsTest : public DriverTest {};

TEST_F(DriverStatisticsTest, DiversityOfDnaAndMicrosatellitesInAConstantDeme) {
  constexpr int kSize = 1000, kGenes = 10, kSimulations = 300, kSites = 1000;
  constexpr double kSiteRate = 2e-6, kRepeatRate = 5e-4;
  keys["NumGeneticSimulations"] = std::to_string(kSimulations);
  oneCellWorld(kSize, 20);
  writeSamples({sampleAt("deme", kGenes, 0, 0, 0)});
  std::ostringstream parameters;
  parameters << "1\n#chromosome 1\n2\nDNA " << kSites << " 0 " << kSiteRate
             << " 0.25 0.25 0.25 0.25 1 1 1 1 1 1\nMICROSAT 10 0 " << kRepeatRate << " 0 0\n";
  writeParameters(parameters.str());
  context.random.initialize_ran3(-20061);
  const TGeneticRunReport report = simulate(TGeneticOptions(), true);
  ASSERT_EQ(report.status, TGeneticRunStatus::Completed) << report.problem;
  ASSERT_EQ(report.completed, kSimulations);
  const std::string table = output("_summary_stats.tsv");
  ASSERT_EQ(column(table, "segsites_deme").size(), static_cast<std::size_t>(kSimulations));

  const double theta = 2.0 * kSize * kSiteRate * kSites;
  double harmonic = 0.0;
  for (int i = 1; i < kGenes; ++i) harmonic += 1.0 / i;
  const TMeanAndError s = meanAndError(column(table, "segsites_deme"));
  EXPECT_NEAR(s.mean, theta * harmonic, 5 * s.error);
  const TMeanAndError pi = meanAndError(column(table, "pi_deme"));
  EXPECT_NEAR(pi.mean, theta, 5 * pi.error);
  // The mean squared difference of a pair of genes, 2 mu E[T2], is twice the sample variance of
  // the sizes.
  const TMeanAndError variance = meanAndError(column(table, "varsize_deme"));
  EXPECT_NEAR(variance.mean, kRepeatRate * kSize, 5 * variance.error);

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
