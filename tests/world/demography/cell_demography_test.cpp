#include "world/demography/cell_demography.h"

#include <gtest/gtest.h>

#include "world/landscape/cell.h"

namespace orvantis {
namespace {

State withSize(int n, int K, float remainder = 0.0f) {
  State s;
  s._N_POP = n;
  s.K = K;
  s._N_remainder = remainder;
  return s;
}

TEST(GrowDensityTest, CarriesTheFractionIntoTheNextStep) {
  State s = withSize(10, 100);
  // 1.5 * 10 / (0.005 * 10 + 1) = 14.2857...
  s._N_POP = growDensity(s, 0.5f);
  EXPECT_EQ(s._N_POP, 14);
  EXPECT_NEAR(s._N_remainder, 0.285714f, 1e-5f);
  // The next step starts from 14.2857... = 100/7 and reaches 1.5 * (100/7) / (15/14) = 20.
  const int next = growDensity(s, 0.5f);
  EXPECT_NEAR(static_cast<float>(next) + s._N_remainder, 20.0f, 1e-4f);
}

TEST(GrowDensityTest, CapacityAttractsAndZeroCapacityEmpties) {
  State atK = withSize(100, 100);
  EXPECT_EQ(growDensity(atK, 0.5f), 100);
  State above = withSize(150, 100);
  EXPECT_EQ(growDensity(above, 0.5f), 128);  // 1.5 * 150 / 1.75 = 128.57
  State none = withSize(40, 0, 0.75f);
  EXPECT_EQ(growDensity(none, 0.5f), 0);
  EXPECT_FLOAT_EQ(none._N_remainder, 0.75f);
}

}  // namespace
}  // namespace orvantis
