// TSampler over the named distributions: bounds, value sets and the sentinels of unusable
// parameters.

#include <gtest/gtest.h>

#include <initializer_list>
#include <set>
#include <sstream>

#include "foundation/distribution_settings.h"
#include "foundation/random.h"
#include "foundation/sampler.h"

namespace orvantis {
namespace {

using T = TDistributionSettings;

TDistributionSettings make(unsigned type, std::initializer_list<double> parameters) {
  TDistributionSettings d;
  d.set_type(type);
  for (double p : parameters) d.add_parameter(p);
  return d;
}

TEST(SamplerTest, UniformDiscreteBoundsAndDiscreteValues) {
  std::ostringstream log;
  TRandom random(log, log);
  random.setFixedSeed(777);
  random.initialize_ran3(1);
  TSampler sampler(random);
  int idum = 1;
  std::set<double> seen;
  for (int i = 0; i < 10000; i++)
    seen.insert(sampler.sample(make(T::kUniformDiscrete, {2, 5}), idum));
  EXPECT_EQ(seen, (std::set<double>{2, 3, 4, 5}));
  seen.clear();
  for (int i = 0; i < 1000; i++)
    seen.insert(sampler.sample(make(T::kDiscreteValues, {1.5, 7}), idum));
  EXPECT_EQ(seen, (std::set<double>{1.5, 7}));
  // Parameters a type cannot use give its sentinel instead of a draw.
  EXPECT_EQ(sampler.sample(make(T::kDiscreteValues, {}), idum), -9999999);
  EXPECT_EQ(sampler.sample(make(T::kLogUniform, {0, 10}), idum), -999999999);
  EXPECT_EQ(sampler.sample(make(T::kNormalTrunc, {0, 1}), idum), -99999);
  EXPECT_EQ(sampler.sample(make(T::kUniform, {1}), idum), -9999999);  // reads nothing past the end
}

}  // namespace
}  // namespace orvantis
