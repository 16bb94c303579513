// Log-gamma, incomplete gamma, percentage points, discrete gamma rates and MultiNomial against
// published reference values.

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

TEST(GammaFunctions, PublishedValues) {
  for (double x : {0.5, 1234.5}) {
    EXPECT_NEAR(ln_gamma_lanczos(x), std::lgamma(x), 1e-9 * std::max(1.0, std::lgamma(x))) << x;
    EXPECT_NEAR(ln_gamma_stirling(x), std::lgamma(x), 1e-9 * std::max(1.0, std::lgamma(x))) << x;
  }
  // Series below the shape + 1, continued fraction above.
  EXPECT_NEAR(IncompleteGamma(0.2, 1.0, 0.0), 1 - std::exp(-0.2), 1e-8);
  EXPECT_NEAR(IncompleteGamma(12.0, 1.0, 0.0), 1 - std::exp(-12.0), 1e-8);
  EXPECT_NEAR(IncompleteGamma(4.0, 0.5, std::lgamma(0.5)), std::erf(2.0), 1e-8);
  EXPECT_EQ(IncompleteGamma(-1.0, 2.0, 0.0), -1.0);
  EXPECT_NEAR(normal_percentage_point(0.975), 1.959963985, 1e-7);
  EXPECT_EQ(normal_percentage_point(0.0), -9999);
  std::ostringstream log;
  EXPECT_NEAR(chi2_percentage_point(0.95, 1, log), 3.841459, 1e-5);
  EXPECT_NEAR(chi2_percentage_point(0.99, 30, log), 50.89218, 1e-4);
  EXPECT_EQ(chi2_percentage_point(0.5, 0, log), -1);
  // Yang (1994): alpha = 0.5, four categories.
  double rates[4];
  discrete_gamma_rates(rates, 0.5, 0.5, 4, false, log);
  const double yang[] = {0.0334, 0.2519, 0.8203, 2.8944};
  for (int i = 0; i < 4; ++i) EXPECT_NEAR(rates[i], yang[i], 5e-4) << i;
  EXPECT_EQ(log.str(), "");
}

// The category of each draw by the plain rule: first j with r < cumulative[j], else the last.
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
  EXPECT_EQ(work, (std::vector<double>{0.5, 0.75, 0.99}));
  EXPECT_EQ(counts, plainMultinomial(twin, 10000, {0.5, 0.75, 0.99}));
  // Many categories go through a coarse index; a heavy first category is its hardest case.
  std::vector<double> skewed(25, 0.6 / 24);
  skewed[0] = 0.4;
  std::vector<double> cumulative(25);
  std::vector<int> many(25);
  MultiNomial(random, 20000, 25, skewed.data(), many.data(), cumulative.data());
  EXPECT_EQ(many, plainMultinomial(twin, 20000, cumulative));
}

}  // namespace
}  // namespace orvantis
