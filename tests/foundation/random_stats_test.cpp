// Statistical checks of the deviates: 10^5 draws from a fixed seed, sample mean and variance
// within 5 standard errors of the theoretical values. The seed is fixed, so the outcome is
// deterministic; the bounds are wide enough that a correct implementation passes with any seed.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <sstream>
#include <vector>

#include "foundation/distribution_settings.h"
#include "foundation/random.h"
#include "foundation/sampler.h"

namespace orvantis {
namespace {

constexpr int kDraws = 100000;

struct Moments {
  double mean;
  double variance;
  double mu4;  // fourth central moment, for the standard error sqrt((mu4 - variance²) / N)
};

Moments poisson(double m) {
  return {m, m, m * (1 + 3 * m)};
}
Moments binomial(int n, double p) {
  const double v = n * p * (1 - p);
  return {n * p, v, v * (1 - 6 * p * (1 - p)) + 3 * v * v};
}
Moments gamma(double a) {
  return {a, a, 3 * a * (a + 2)};
}

TDistributionSettings distribution(unsigned type, std::vector<double> parameters) {
  TDistributionSettings d;
  d.set_type(type);
  for (double p : parameters) d.add_parameter(p);
  return d;
}

TEST(RandomStats, MeansAndVariancesOfTheDeviates) {
  std::ostringstream log;
  TRandom random(log, log);
  random.setFixedSeed(31415);
  random.initialize_ran3(1);
  int idum = 1;
  TSampler sampler(random);
  using T = TDistributionSettings;
  const auto normal = distribution(T::kNormal, {2.0, 3.0});
  const auto exponential = distribution(T::kExponential, {2.0});
  const auto gamma2 = distribution(T::kGamma2P, {3.0, 2.0});
  struct Case {
    const char* what;
    std::function<double()> draw;
    Moments expected;
  };
  const Case cases[] = {
      {"Poisson 3", [&] { return random.poisson_dev(3.0, idum); }, poisson(3)},
      {"Poisson 50", [&] { return random.poisson_dev(50.0, idum); }, poisson(50)},
      {"float Poisson 50", [&] { return random.poisson_dev(50.0f, idum); }, poisson(50)},
      {"binomial 1000, 0.3", [&] { return random.binomial_dev(0.3, 1000, idum); },
       binomial(1000, 0.3)},
      {"binomial 100, 0.8", [&] { return random.binomial_dev(0.8, 100, idum); },
       binomial(100, 0.8)},
      {"binomial n p < 1", [&] { return random.binomial_dev(0.002, 200, idum); },
       binomial(200, 0.002)},
      {"float binomial 1000", [&] { return random.binomial_dev(0.3f, 1000); }, binomial(1000, 0.3)},
      {"gamma 0.4", [&] { return random.gamma_dev(0.4); }, gamma(0.4)},
      {"wh gamma 0.5", [&] { return random.gamma_dev_wh(0.5); }, gamma(0.5)},
      {"wh gamma 2.5", [&] { return random.gamma_dev_wh(2.5); }, gamma(2.5)},
      {"normal 2, 3", [&] { return sampler.sample(normal, idum); }, {2.0, 9.0, 3 * 81.0}},
      {"exponential 2", [&] { return sampler.sample(exponential, idum); }, {0.5, 0.25, 9.0 / 16}},
      // Gamma(3)/2: moments of Gamma(3) scaled by 1/2, 1/4 and 1/16.
      {"gamma 3 / 2", [&] { return sampler.sample(gamma2, idum); }, {1.5, 0.75, 45.0 / 16}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<double> values(kDraws);
    double sum = 0;
    for (double& v : values) {
      v = c.draw();
      sum += v;
    }
    const double mean = sum / kDraws;
    double squares = 0;
    for (double v : values) squares += (v - mean) * (v - mean);
    const Moments& e = c.expected;
    EXPECT_NEAR(mean, e.mean, 5 * std::sqrt(e.variance / kDraws));
    EXPECT_NEAR(squares / (kDraws - 1), e.variance,
                5 * std::sqrt((e.mu4 - e.variance * e.variance) / kDraws));
  }
  EXPECT_EQ(log.str().find("strange"), std::string::npos);
}

}  // namespace
}  // namespace orvantis
