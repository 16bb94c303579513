// The single-precision Poisson and binomial deviates for means and numbers of trials so large
// that single precision no longer holds their logarithmic terms to the unit.

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "foundation/random.h"

namespace orvantis {
namespace {

// The mean of `draws` draws lies within 5 standard errors of `mean`.
template <typename Draw>
void expectSoundMean(Draw draw, double mean, double variance) {
  constexpr int kDraws = 20;
  double sum = 0.0;
  for (int i = 0; i < kDraws; ++i) {
    const double x = draw();
    ASSERT_GE(x, 0.0);
    sum += x;
  }
  EXPECT_NEAR(sum / kDraws, mean, 5.0 * std::sqrt(variance / kDraws));
}

// At these values the acceptance of the single-precision rejection method is zero: the draws
// used never to end. They now end, from the right distributions.
TEST(LargeDeviatesTest, DrawsWhoseAcceptanceVanishesInSinglePrecisionEnd) {
  std::ostringstream log;
  TRandom random(log, log);
  random.setFixedSeed(7);
  int idum = 1;
  const float mean = 1.36893965e9f;
  expectSoundMean([&] { return static_cast<double>(random.poisson_dev(mean, idum)); }, mean, mean);
  constexpr int kTrials = 200000033;
  constexpr double kP = 0.45;
  expectSoundMean(
      [&] { return static_cast<double>(random.binomial_dev(static_cast<float>(kP), kTrials)); },
      kTrials * kP, kTrials * kP * (1.0 - kP));
}

}  // namespace
}  // namespace orvantis
