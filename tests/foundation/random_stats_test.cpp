// Statistical checks of the deviates: 10^5 draws from a fixed seed, sample mean and variance
// within 5 standard errors of the theoretical values. The seed is fixed, so the outcome is
// deterministic; the bounds are wide enough that a correct implementation passes with any seed.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <sstream>

#include "foundation/random.h"
#include "foundation/sampler.h"
#include "settings/distribution_settings.h"

namespace orvantis {
namespace {

constexpr int kDraws = 100000;

// mean, variance: theoretical moments; mu4: theoretical fourth central moment (for the
// standard error of the sample variance, sqrt((mu4 - variance^2) / N)).
void expectMoments(const std::function<double()>& draw, double mean, double variance, double mu4,
                   const char* what) {
  double sum = 0;
  double sumSq = 0;
  std::vector<double> values(kDraws);
  for (int i = 0; i < kDraws; i++) {
    values[static_cast<std::size_t>(i)] = draw();
    sum += values[static_cast<std::size_t>(i)];
  }
  const double sampleMean = sum / kDraws;
  for (double v : values) sumSq += (v - sampleMean) * (v - sampleMean);
  const double sampleVariance = sumSq / (kDraws - 1);
  const double seMean = std::sqrt(variance / kDraws);
  const double seVariance = std::sqrt((mu4 - variance * variance) / kDraws);
  EXPECT_NEAR(sampleMean, mean, 5 * seMean) << what << ": mean";
  EXPECT_NEAR(sampleVariance, variance, 5 * seVariance) << what << ": variance";
}

void expectPoisson(const std::function<double()>& draw, double m, const char* what) {
  expectMoments(draw, m, m, m * (1 + 3 * m), what);
}

void expectBinomial(const std::function<double()>& draw, int n, double p, const char* what) {
  const double v = n * p * (1 - p);
  const double pq = p * (1 - p);
  expectMoments(draw, n * p, v, v * (1 - 6 * pq) + 3 * v * v, what);
}

void expectGamma(const std::function<double()>& draw, double a, const char* what) {
  expectMoments(draw, a, a, 3 * a * (a + 2), what);
}

class RandomStats : public ::testing::Test {
 protected:
  RandomStats() {
    random.setFixedSeed(31415);
    random.initialize_ran3(1);
  }
  std::ostringstream log;
  std::ostringstream out;
  TRandom random{log, out};
  int idum = 1;
};

TEST_F(RandomStats, Poisson) {
  expectPoisson([&] { return random.poisson_dev(3.0, idum); }, 3, "double mean 3");
  expectPoisson([&] { return random.poisson_dev(50.0, idum); }, 50, "double mean 50");
  expectPoisson([&] { return static_cast<double>(random.poisson_dev(3.0f, idum)); }, 3,
                "float mean 3");
  expectPoisson([&] { return static_cast<double>(random.poisson_dev(50.0f, idum)); }, 50,
                "float mean 50");
}

TEST_F(RandomStats, Binomial) {
  expectBinomial([&] { return random.binomial_dev(0.3, 10, idum); }, 10, 0.3, "n 10");
  expectBinomial([&] { return random.binomial_dev(0.3, 1000, idum); }, 1000, 0.3, "n 1000");
  expectBinomial([&] { return random.binomial_dev(0.8, 100, idum); }, 100, 0.8, "p 0.8");
  expectBinomial([&] { return random.binomial_dev(0.002, 200, idum); }, 200, 0.002, "n p < 1");
  expectBinomial([&] { return static_cast<double>(random.binomial_dev(0.3f, 10)); }, 10, 0.3,
                 "float n 10");
  expectBinomial([&] { return static_cast<double>(random.binomial_dev(0.3f, 1000)); }, 1000, 0.3,
                 "float n 1000");
}

TEST_F(RandomStats, Gamma) {
  expectGamma([&] { return random.gamma_dev(0.4); }, 0.4, "shape 0.4");
  expectGamma([&] { return random.gamma_dev(3.0); }, 3.0, "shape 3");
  expectGamma([&] { return random.gamma_dev(7.5); }, 7.5, "shape 7.5");
  expectGamma([&] { return random.gamma_dev_wh(0.5); }, 0.5, "wh shape 0.5");
  expectGamma([&] { return random.gamma_dev_wh(1.0); }, 1.0, "wh shape 1");
  expectGamma([&] { return random.gamma_dev_wh(2.5); }, 2.5, "wh shape 2.5");
}

TEST_F(RandomStats, NormalAndExponentialFromSampler) {
  TSampler sampler(random);
  TDistributionSettings normal;
  normal.set_type(TDistributionSettings::kNormal);
  normal.add_parameter(2.0);
  normal.add_parameter(3.0);
  expectMoments([&] { return sampler.sample(normal, idum); }, 2.0, 9.0, 3 * 81.0, "normal");

  TDistributionSettings exponential;
  exponential.set_type(TDistributionSettings::kExponential);
  exponential.add_parameter(2.0);
  expectMoments([&] { return sampler.sample(exponential, idum); }, 0.5, 0.25, 9.0 / 16,
                "exponential");

  TDistributionSettings gamma2;
  gamma2.set_type(TDistributionSettings::kGamma2P);
  gamma2.add_parameter(3.0);
  gamma2.add_parameter(2.0);
  // Gamma(3)/2: moments of Gamma(3) scaled by 1/2, 1/4 and 1/16.
  expectMoments([&] { return sampler.sample(gamma2, idum); }, 1.5, 0.75, 3 * 3 * 5 / 16.0,
                "gamma 2p");
  EXPECT_EQ(log.str().find("strange"), std::string::npos);
}

}  // namespace
}  // namespace orvantis
