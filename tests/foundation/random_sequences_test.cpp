// The sequences of the deviates from a fixed seed, pinned: a run with --seed must give the same
// draws in every version, so any change to ran3 or to the Poisson and binomial methods (their
// caches, their tables of integer logarithms) shows here first.

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "foundation/random.h"

namespace orvantis {
namespace {

TEST(DeviateSequences, FixedSeedGivesThePinnedDraws) {
  std::ostringstream log;
  TRandom random(log, log);
  int seed = -4242;
  random.ran3(seed);
  int idum = 1;
  EXPECT_DOUBLE_EQ(random.ran3(idum), 0.655177133);
  EXPECT_DOUBLE_EQ(random.ran3(idum), 0.993565196);

  auto draws = [](auto draw) {
    std::vector<double> values;
    for (int i = 0; i < 4; ++i) values.push_back(static_cast<double>(draw()));
    return values;
  };
  using V = std::vector<double>;
  // Each method of each variant in turn, so every branch continues the same sequence.
  EXPECT_EQ(draws([&] { return random.poisson_dev(3.5f, idum); }), (V{4, 5, 4, 4}));
  EXPECT_EQ(draws([&] { return random.poisson_dev(100.0f, idum); }), (V{99, 91, 99, 91}));
  EXPECT_EQ(draws([&] { return random.poisson_dev(20.5, idum); }), (V{21, 23, 18, 17}));
  EXPECT_EQ(draws([&] { return random.binomial_dev(0.3f, 20); }), (V{4, 5, 5, 4}));
  EXPECT_EQ(draws([&] { return random.binomial_dev(0.25f, 400); }), (V{103, 101, 95, 107}));
  EXPECT_EQ(draws([&] { return random.binomial_dev(0.6, 1000, idum); }), (V{582, 608, 607, 600}));
  EXPECT_EQ(draws([&] { return random.binomial_dev(0.01, 60, idum); }), (V{0, 1, 0, 0}));
}

}  // namespace
}  // namespace orvantis
