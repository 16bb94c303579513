// The generators of simulations run as replicates: one key per seed and simulation, and a
// stream that depends on its key alone, whatever the generator drew before.

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <sstream>
#include <vector>

#include "coalescent/driver_seeds.h"
#include "coalescent/driver_threads.h"
#include "foundation/random.h"

namespace orvantis {
namespace {

// The first `n` uniform values of a generator after seedStream(key), and a Poisson and a
// binomial draw (whose caches must start afresh) in between.
std::vector<double> streamValues(TRandom& random, std::uint64_t key, int n) {
  random.seedStream(key);
  int idum = 1;
  std::vector<double> values;
  for (int i = 0; i < n; ++i) values.push_back(random.ran3(idum));
  values.push_back(random.poisson_dev(20.0, idum));
  values.push_back(random.binomial_dev(0.3, 50, idum));
  values.push_back(random.uniform_wh());
  values.push_back(random.ran3(idum));
  return values;
}

TEST(ReplicateStreams, KeysAreDistinctAndAStreamDependsOnItsKeyAlone) {
  std::set<std::uint64_t> keys;
  for (const int seed : {1, 2, 12345, 2000000, -7}) {
    for (int s = 1; s <= 20000; ++s) keys.insert(simulationStreamKey(seed, s));
  }
  EXPECT_EQ(keys.size(), 5u * 20000u);
  std::ostringstream log;
  TRandom used(log);
  TRandom fresh(log);
  // A generator that has drawn from another stream, Poisson and binomial caches included.
  const std::uint64_t key = simulationStreamKey(12345, 3);
  (void)streamValues(used, simulationStreamKey(12345, 2), 100);
  int idum = 1;
  (void)used.poisson_dev(3.5, idum);
  (void)used.binomial_dev(0.1f, 7);
  EXPECT_EQ(streamValues(used, key, 1000), streamValues(fresh, key, 1000));
  EXPECT_NE(streamValues(fresh, simulationStreamKey(12345, 4), 1000),
            streamValues(used, key, 1000));
  EXPECT_TRUE(log.str().empty()) << "a stream starts without log lines";
}

TEST(ReplicateStreams, StreamsAreUniformAndUnrelated) {
  // Mean of U within 5 standard errors of 1/2, and the correlation of two neighbouring
  // simulations' streams within 5 standard errors of 0.
  constexpr int n = 200000;
  std::ostringstream log;
  TRandom a(log);
  TRandom b(log);
  a.seedStream(simulationStreamKey(99, 1));
  b.seedStream(simulationStreamKey(99, 2));
  int ia = 1;
  int ib = 1;
  double sum = 0;
  double cross = 0;
  for (int i = 0; i < n; ++i) {
    const double u = a.ran3(ia);
    const double v = b.ran3(ib);
    ASSERT_GE(u, 0.0);
    ASSERT_LT(u, 1.0);
    sum += u;
    cross += (u - 0.5) * (v - 0.5);
  }
  const double se = std::sqrt(1.0 / 12.0 / n);
  EXPECT_NEAR(sum / n, 0.5, 5 * se);
  // (U - 1/2)(V - 1/2) has variance 1/144 for independent uniforms.
  EXPECT_NEAR(cross / n, 0.0, 5 * std::sqrt(1.0 / 144.0 / n));
}

}  // namespace
}  // namespace orvantis
