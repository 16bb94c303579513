// TSampler over the named distributions, and the process terminations of the gamma deviates.

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <set>
#include <sstream>

#include "foundation/random.h"
#include "foundation/sampler.h"
#include "settings/distribution_settings.h"

namespace orvantis {
namespace {

TDistributionSettings make(unsigned type, std::initializer_list<double> parameters) {
  TDistributionSettings d;
  d.set_type(type);
  for (double p : parameters) d.add_parameter(p);
  return d;
}

class SamplerTest : public ::testing::Test {
 protected:
  SamplerTest() {
    random.setFixedSeed(777);
    random.initialize_ran3(1);
  }
  std::ostringstream log;
  std::ostringstream out;
  TRandom random{log, out};
  TSampler sampler{random};
  int idum = 1;
};

using T = TDistributionSettings;

TEST_F(SamplerTest, UniformDiscreteCoversMinToMaxInclusive) {
  const auto d = make(T::kUniformDiscrete, {2, 5});
  std::set<double> seen;
  for (int i = 0; i < 10000; i++) {
    const double v = sampler.sample(d, idum);
    ASSERT_EQ(v, std::floor(v));
    ASSERT_GE(v, 2);
    ASSERT_LE(v, 5);
    seen.insert(v);
  }
  EXPECT_EQ(seen, (std::set<double>{2, 3, 4, 5}));
}

TEST_F(SamplerTest, DiscreteValuesAndSentinels) {
  const auto d = make(T::kDiscreteValues, {1.5, 2.5, 7});
  std::set<double> seen;
  for (int i = 0; i < 1000; i++) seen.insert(sampler.sample(d, idum));
  EXPECT_EQ(seen, (std::set<double>{1.5, 2.5, 7}));
  // Parameters a type cannot use give its sentinel instead of a draw.
  EXPECT_EQ(sampler.sample(make(T::kDiscreteValues, {}), idum), -9999999);
  EXPECT_EQ(sampler.sample(make(T::kLogUniform, {0, 10}), idum), -999999999);
  EXPECT_EQ(sampler.sample(make(T::kMixtNormal, {-0.1, 1, 2}), idum), -9999999);
  EXPECT_EQ(sampler.sample(make(T::kMixtNormal, {1.1, 1, 2}), idum), -9999999);
  EXPECT_EQ(sampler.sample(make(T::kNormalTrunc, {0, 1}), idum), -99999);
  EXPECT_EQ(sampler.sample(make(14, {1, 2}), idum), -9999999);
  EXPECT_EQ(sampler.sample(make(T::kUnknown, {}), idum), -9999999);
  // A type with too few parameters reads nothing past the vector.
  EXPECT_EQ(sampler.sample(make(T::kUniform, {1}), idum), -9999999);
}

TEST_F(SamplerTest, RangesOfContinuousTypes) {
  const auto logUniform = make(T::kLogUniform, {0.1, 1000});
  const auto trunc = make(T::kNormalTrunc, {1, 3});
  const auto lognormal = make(T::kLogNormal, {2, 1.5});
  for (int i = 0; i < 2000; i++) {
    const double l = sampler.sample(logUniform, idum);
    ASSERT_GE(l, 0.1);
    ASSERT_LT(l, 1000);
    ASSERT_GT(sampler.sample(trunc, idum), 0);
    ASSERT_GT(sampler.sample(lognormal, idum), 0);
  }
}

TEST_F(SamplerTest, GammaOfIntegerShapeIsIgammaDevWithoutFractionalStep) {
  std::ostringstream log2;
  std::ostringstream out2;
  TRandom twin(log2, out2);
  twin.setFixedSeed(777);
  twin.initialize_ran3(1);
  const auto d = make(T::kGamma, {3});
  for (int i = 0; i < 100; i++) ASSERT_EQ(sampler.sample(d, idum), twin.igamma_dev(3));
  int j = 1;
  EXPECT_EQ(random.ran3(idum), twin.ran3(j));
}

// The gamma deviates end the process on parameters they cannot use; the sampler's messages go
// to the TRandom's output stream (stderr here, so the death test can see them).
TEST(RandomDeathTest, GammaDeviatesExitOnUnusableParameters) {
  EXPECT_EXIT(TRandom(std::cerr, std::cerr).gamma_dev(0.0), ::testing::ExitedWithCode(1),
              "gamma_dev: parameter must be positive");
  EXPECT_EXIT(TRandom(std::cerr, std::cerr).igamma_dev(0), ::testing::ExitedWithCode(1),
              "Error: arg of igamma_dev was <1");
  const auto sampleWithSilentLog = [](const TDistributionSettings& d) {
    std::ostringstream silentLog;
    TRandom r(silentLog, std::cerr);
    int idum = 1;
    TSampler(r).sample(d, idum);
  };
  EXPECT_EXIT(sampleWithSilentLog(make(T::kGamma, {-1})), ::testing::ExitedWithCode(1),
              "gamma_dev: parameter must be positive");
  EXPECT_EXIT(sampleWithSilentLog(make(T::kGamma2P, {2, 0})), ::testing::ExitedWithCode(1),
              "gamma_dev: second parameter must be positive");
  EXPECT_EXIT(terminate_process(std::cerr, "Memory allocation error, exiting ...\n", 0),
              ::testing::ExitedWithCode(0), "Memory allocation error, exiting");
}

}  // namespace
}  // namespace orvantis
