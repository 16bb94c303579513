// Special functions, discrete gamma rates, MultiNomial and the site-rate entry points
// used by the mutation models.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <sstream>
#include <vector>

#include "foundation/gamma_rates.h"
#include "foundation/random.h"

namespace orvantis {
namespace {

TEST(LnGamma, LanczosAndStirlingAgreeWithTheLibrary) {
  for (double x : {0.3, 0.5, 1.0, 2.0, 3.7, 6.9, 7.0, 12.0, 100.0, 1234.5}) {
    const double expected = std::lgamma(x);
    const double tolerance = 1e-9 * std::max(1.0, std::fabs(expected));
    EXPECT_NEAR(ln_gamma_lanczos(x), expected, tolerance) << x;
    EXPECT_NEAR(ln_gamma_stirling(x), expected, tolerance) << x;
  }
}

TEST(IncompleteGamma, KnownValuesAndEdges) {
  // Shape 1: 1 - e^-x (series below 1, continued fraction above).
  for (double x : {0.2, 0.9, 3.0, 12.0}) {
    EXPECT_NEAR(IncompleteGamma(x, 1.0, 0.0), 1 - std::exp(-x), 1e-8) << x;
  }
  // Shape 1/2: erf(sqrt(x)).
  const double lg = std::lgamma(0.5);
  for (double x : {0.05, 0.3, 4.0, 20.0}) {
    EXPECT_NEAR(IncompleteGamma(x, 0.5, lg), std::erf(std::sqrt(x)), 1e-8) << x;
  }
  EXPECT_EQ(IncompleteGamma(0.0, 2.0, 0.0), 0.0);
  EXPECT_EQ(IncompleteGamma(-1.0, 2.0, 0.0), -1.0);
  EXPECT_EQ(IncompleteGamma(1.0, 0.0, 0.0), -1.0);
}

TEST(PercentagePoints, NormalAndChiSquare) {
  EXPECT_NEAR(normal_percentage_point(0.975), 1.959963985, 1e-7);
  EXPECT_NEAR(normal_percentage_point(0.025), -1.959963985, 1e-7);
  EXPECT_EQ(normal_percentage_point(0.0), -9999);
  EXPECT_EQ(normal_percentage_point(1.0), -9999);
  std::ostringstream log;
  EXPECT_NEAR(chi2_percentage_point(0.95, 1, log), 3.841459, 1e-5);
  EXPECT_NEAR(chi2_percentage_point(0.05, 10, log), 3.940299, 1e-5);
  EXPECT_NEAR(chi2_percentage_point(0.99, 30, log), 50.89218, 1e-4);
  // Small degrees of freedom (the iterative start of AS 91): check by the incomplete gamma.
  const double x = chi2_percentage_point(0.6, 0.2, log);
  EXPECT_NEAR(IncompleteGamma(x / 2, 0.1, std::lgamma(0.1)), 0.6, 1e-6);
  EXPECT_EQ(chi2_percentage_point(0.000001, 3, log), -1);
  EXPECT_EQ(chi2_percentage_point(0.5, 0, log), -1);
  EXPECT_EQ(log.str(), "");
}

TEST(DiscreteGammaRates, MeansOfEqualProbabilityCategories) {
  std::ostringstream log;
  // Yang (1994): alpha = 0.5, four categories.
  double rates[4];
  discrete_gamma_rates(rates, 0.5, 0.5, 4, false, log);
  const double yang[] = {0.0334, 0.2519, 0.8203, 2.8944};
  for (int i = 0; i < 4; ++i) EXPECT_NEAR(rates[i], yang[i], 5e-4) << i;
  // Mean and median variants both average alpha / beta.
  for (bool median : {false, true}) {
    std::vector<double> r(6);
    discrete_gamma_rates(r.data(), 2.0, 4.0, 6, median, log);
    EXPECT_NEAR(std::accumulate(r.begin(), r.end(), 0.0) / 6, 0.5, 1e-6) << median;
    EXPECT_TRUE(std::is_sorted(r.begin(), r.end())) << median;
  }
  EXPECT_EQ(log.str(), "");
}

// The category of each draw by the plain rule: first j with r < cumulative[j],
// the last category when none.
std::vector<int> plainMultinomial(TRandom& random, int n, const std::vector<double>& cumulative) {
  std::vector<int> counts(cumulative.size(), 0);
  for (int i = 0; i < n; i++) {
    const double r = random.uniform_wh();
    std::size_t j = 0;
    while (j + 1 < cumulative.size() && !(r < cumulative[j])) j++;
    counts[j]++;
  }
  return counts;
}

TEST(MultiNomial, ShortfallGoesToTheLastCategoryAndIsLogged) {
  std::ostringstream log;
  TRandom random(log);
  TRandom twin(log);
  const std::vector<double> prob = {0.5, 0.25, 0.24};  // sums to 0.99
  std::vector<double> work(3);
  std::vector<int> counts(3);
  MultiNomial(random, 10000, 3, prob.data(), counts.data(), work.data());
  EXPECT_EQ(log.str(), "sum P!=1 in MultiNomial\n");
  EXPECT_EQ(std::accumulate(counts.begin(), counts.end(), 0), 10000);
  EXPECT_EQ(work, (std::vector<double>{0.5, 0.75, 0.99}));
  EXPECT_EQ(counts, plainMultinomial(twin, 10000, {0.5, 0.75, 0.99}));
}

// Many categories go through a coarse index; a first category holding more than a fifth of the
// mass is its hardest case.
TEST(MultiNomial, CoarseIndexForManyCategoriesGivesThePlainResult) {
  std::ostringstream log;
  TRandom random(log);
  TRandom twin(log);
  std::vector<double> skewed(25, 0.6 / 24);
  skewed[0] = 0.4;
  std::vector<double> work(25);
  std::vector<int> counts(25);
  MultiNomial(random, 20000, 25, skewed.data(), counts.data(), work.data());
  EXPECT_EQ(counts, plainMultinomial(twin, 20000, work));
  // Already cumulative (work == nullptr).
  MultiNomial(random, 20000, 25, work.data(), counts.data(), nullptr);
  EXPECT_EQ(counts, plainMultinomial(twin, 20000, work));
  EXPECT_EQ(log.str(), "");
}

TEST(SiteRates, OnesDiscreteCategoriesAndContinuousGamma) {
  std::ostringstream log;
  TRandom random(log);
  std::vector<double> ones(50, -1);
  site_rates_from_gamma(random, ones.data(), 0.0, 4, 50, false, nullptr);
  for (double r : ones) EXPECT_EQ(r, 1.0);

  double categories[4];
  discrete_gamma_rates(categories, 0.5, 0.5, 4, false, log);
  std::vector<double> rates(1000);
  std::vector<double> work(4);
  site_rates_from_gamma(random, rates.data(), 0.5, 4, 1000, false, work.data());
  EXPECT_TRUE(std::is_sorted(rates.begin(), rates.end()));
  for (double r : rates) EXPECT_NE(std::find(categories, categories + 4, r), categories + 4);
  site_rates_from_gamma(random, rates.data(), 0.5, 4, 1000, true, nullptr);
  EXPECT_TRUE(std::is_sorted(rates.begin(), rates.end()));
  EXPECT_DOUBLE_EQ(rates.back(), 1.0);

  // Below two categories the rates are Gamma(0.8, 0.8) draws: mean 1, variance 1/0.8.
  const int count = 100000;
  std::vector<double> continuous(count);
  site_rates_from_gamma(random, continuous.data(), 0.8, 1, count, false, nullptr);
  const double mean = std::accumulate(continuous.begin(), continuous.end(), 0.0) / count;
  EXPECT_NEAR(mean, 1.0, 5 * std::sqrt(1.25 / count));
  std::vector<double> sorted(1000);
  sorted_site_rates_from_gamma(random, sorted.data(), 1000, 0.8, 1);
  EXPECT_TRUE(std::is_sorted(sorted.begin(), sorted.end()));
  EXPECT_GT(sorted.front(), 0.0);
  EXPECT_EQ(log.str(), "");
}

TEST(GammaQuantiles, SortedSampleQuantilesMatchTheDistribution) {
  std::ostringstream log;
  TRandom random(log);
  double out[4] = {};
  gamma_quantiles_by_sampling(random, out, 4, 2.0);
  // Values at 0.125, 0.375, 0.625, 0.875 of Gamma(2): chi2 points with 4 df, halved.
  for (int i = 0; i < 4; i++) {
    const double q = chi2_percentage_point(0.125 + 0.25 * i, 4.0, log) / 2;
    EXPECT_NEAR(out[i], q, 0.01) << i;
  }
  EXPECT_EQ(log.str(), "");
}

}  // namespace
}  // namespace orvantis
